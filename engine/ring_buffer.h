#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

// Lock-free ring of samples between one producer thread and `Readers` consumer threads.
// One slot always stays empty, so equal positions mean empty and the ring holds capacity - 1 elements.
template <typename T, unsigned Readers>
class RingBuffer {
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(Readers >= 1);

public:
    explicit RingBuffer(std::uint32_t capacity) : m_pData(std::make_unique<T[]>(capacity)), m_nSize(capacity) {}
    virtual ~RingBuffer() = default;

    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    std::uint32_t Capacity() const { return m_nSize; }

    // Consumer `reader`'s thread (or the producer, as a lower bound).
    std::uint32_t Available(unsigned reader) const
    {
        const std::uint32_t w = m_nWrite.load(std::memory_order_acquire);
        const std::uint32_t r = m_nRead[reader].load(std::memory_order_relaxed);
        return r < w ? w - r : (w + m_nSize - r) % m_nSize;
    }

    // Producer thread (or a consumer, as a lower bound). Only reader 0 holds the producer back.
    std::uint32_t FreeSpace() const
    {
        const std::uint32_t r0 = m_nRead[0].load(std::memory_order_acquire);
        const std::uint32_t w = m_nWrite.load(std::memory_order_relaxed);
        return (r0 + m_nSize - w - 1) % m_nSize;
    }

    // Producer thread only. Copies what fits and never blocks.
    std::uint32_t Write(const T* src, std::uint32_t count)
    {
        const std::uint32_t n = std::min(count, FreeSpace());
        if (n == 0)
            return 0;
        const std::uint32_t w = m_nWrite.load(std::memory_order_relaxed);
        const std::uint32_t tail = m_nSize - w;
        if (tail < n) {
            std::memcpy(&m_pData[w], src, tail * sizeof(T));
            std::memcpy(&m_pData[0], src + tail, (n - tail) * sizeof(T));
        } else {
            std::memcpy(&m_pData[w], src, n * sizeof(T));
        }
        // Release: the consumer that sees the new position also sees the elements it covers.
        m_nWrite.store((w + n) % m_nSize, std::memory_order_release);
        return n;
    }

    // Producer thread only: `count` free slots in one piece, to be filled in place and then published with
    // CommitWrite; null when that many slots are not free or would wrap around the end of the storage.
    T* ContiguousWriteSpace(std::uint32_t count)
    {
        const std::uint32_t w = m_nWrite.load(std::memory_order_relaxed);
        return count <= FreeSpace() && count <= m_nSize - w ? &m_pData[w] : nullptr;
    }

    // Producer thread only, after filling `count` slots of ContiguousWriteSpace.
    void CommitWrite(std::uint32_t count)
    {
        const std::uint32_t w = m_nWrite.load(std::memory_order_relaxed);
        m_nWrite.store((w + count) % m_nSize, std::memory_order_release);
    }

    // Consumer `reader`'s thread only. Zero-fills the part of dst that no element reached.
    std::uint32_t Read(T* dst, std::uint32_t count, unsigned reader)
    {
        const std::uint32_t available = Available(reader);
        if (available < count) {
            std::fill(dst + available, dst + count, T{});
            count = available;
        }
        if (count == 0)
            return 0;
        const std::uint32_t r = m_nRead[reader].load(std::memory_order_relaxed);
        const std::uint32_t tail = m_nSize - r;
        if (tail < count) {
            std::memcpy(dst, &m_pData[r], tail * sizeof(T));
            std::memcpy(dst + tail, &m_pData[0], (count - tail) * sizeof(T));
        } else {
            std::memcpy(dst, &m_pData[r], count * sizeof(T));
        }
        // Release: the producer may reuse the slots only after they have been copied out.
        m_nRead[reader].store((r + count) % m_nSize, std::memory_order_release);
        return count;
    }

    // Only while neither side is active.
    void Reset()
    {
        m_nWrite.store(0, std::memory_order_release);
        for (auto& read : m_nRead)
            read.store(0, std::memory_order_release);
    }

private:
    std::unique_ptr<T[]> m_pData;
    // Each position on its own cache line, so that the two threads do not slow each other down.
    alignas(64) std::atomic<std::uint32_t> m_nWrite{0};               // written by the producer only
    alignas(64) std::array<std::atomic<std::uint32_t>, Readers> m_nRead{};  // each written by its own reader
    alignas(64) std::uint32_t m_nSize;
};

using SampleRing = RingBuffer<int, 1>;

inline constexpr std::uint32_t kSampleRingSize = 1u << 20;

// Reader stage -> effects stage, and effects stage -> encoder stage. Owned by whoever hosts conversions
// (the main window, the command-line front end), through CreateSampleRings and DestroySampleRings.
extern SampleRing* g_pReaderRing;
extern SampleRing* g_pEffectsRing;

void CreateSampleRings();
void DestroySampleRings();
