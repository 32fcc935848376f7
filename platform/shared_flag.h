#pragma once

#include <atomic>

namespace platform {

// A 32-bit flag that one thread writes and others poll. Stores release and loads acquire, so a thread
// that sees the change also sees everything the writer did before it (ring data written before a
// producer clears its running flag, for instance). Copies take the current value.
class SharedFlag {
public:
    SharedFlag() = default;
    SharedFlag(const SharedFlag& other) : m_nValue(other.IsSet()) {}
    SharedFlag& operator=(const SharedFlag& other)
    {
        Set(other.IsSet());
        return *this;
    }

    bool IsSet() const { return m_nValue.load(std::memory_order_acquire) != 0; }
    void Set(bool value) { m_nValue.store(value ? 1 : 0, std::memory_order_release); }

private:
    std::atomic<int> m_nValue{0};
};

}  // namespace platform
