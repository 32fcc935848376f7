// Samples per second through one producer and one consumer thread in 4096-frame stereo blocks,
// beside a plain memcpy of the same bytes.
#include "engine/ring_buffer.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr std::uint32_t kBlock = 4096 * 2;
constexpr std::uint64_t kTotal = 1ull << 30;  // samples per run

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double RingRun()
{
    SampleRing ring(kSampleRingSize);
    std::vector<int> in(kBlock, 7);
    std::vector<int> out(kBlock);
    const auto start = std::chrono::steady_clock::now();
    std::thread producer([&] {
        for (std::uint64_t written = 0; written < kTotal;) {
            if (ring.FreeSpace() < kBlock) {
                std::this_thread::yield();
                continue;
            }
            written += ring.Write(in.data(), kBlock);
        }
    });
    for (std::uint64_t read = 0; read < kTotal;) {
        if (ring.Available(0) < kBlock) {
            std::this_thread::yield();
            continue;
        }
        read += ring.Read(out.data(), kBlock, 0);
    }
    producer.join();
    return kTotal / Seconds(start);
}

double MemcpyRun()
{
    // Same bytes, same block size, through a buffer as large as the ring.
    std::vector<int> in(kBlock, 7);
    std::vector<int> store(kSampleRingSize);
    std::vector<int> out(kBlock);
    const auto start = std::chrono::steady_clock::now();
    std::uint32_t position = 0;
    for (std::uint64_t done = 0; done < kTotal; done += kBlock) {
        std::memcpy(&store[position], in.data(), kBlock * sizeof(int));
        std::memcpy(out.data(), &store[position], kBlock * sizeof(int));
        position = (position + kBlock) % (kSampleRingSize - kBlock);
    }
    volatile int sink = out[kBlock / 2];
    static_cast<void>(sink);
    return kTotal / Seconds(start);
}

}  // namespace

int main()
{
    double ring = 0;
    double copy = 0;
    for (int run = 0; run < 3; ++run) {
        ring = std::max(ring, RingRun());
        copy = std::max(copy, MemcpyRun());
    }
    std::printf("ring, 2 threads : %8.1f M samples/s\n", ring / 1e6);
    std::printf("memcpy, 1 thread: %8.1f M samples/s (in and out)\n", copy / 1e6);
    std::printf("ring / memcpy   : %8.2f\n", ring / copy);
}
