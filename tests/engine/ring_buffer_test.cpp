#include "engine/ring_buffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

namespace {

std::vector<int> Sequence(int first, int count)
{
    std::vector<int> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), first);
    return values;
}

TEST(RingBuffer, EmptyRingReadsNothingAndZeroesTheDestination)
{
    SampleRing ring(16);
    std::vector<int> dst(10, -7);
    EXPECT_EQ(ring.Available(0), 0u);
    EXPECT_EQ(ring.Read(dst.data(), 10, 0), 0u);
    EXPECT_EQ(dst, std::vector<int>(10, 0));
}

TEST(RingBuffer, FullRingHoldsOneLessThanItsSizeAndRefusesMore)
{
    SampleRing ring(kSampleRingSize);
    const std::vector<int> values = Sequence(0, kSampleRingSize);
    EXPECT_EQ(ring.Write(values.data(), kSampleRingSize), kSampleRingSize - 1);
    EXPECT_EQ(ring.FreeSpace(), 0u);
    EXPECT_EQ(ring.Available(0), kSampleRingSize - 1);
    const int extra = 42;
    EXPECT_EQ(ring.Write(&extra, 1), 0u);
    EXPECT_EQ(ring.Available(0), kSampleRingSize - 1);
}

TEST(RingBuffer, WriteAcrossTheEndWrapsAndReadsBackInOrder)
{
    SampleRing ring(16);
    std::vector<int> scratch(12);
    ASSERT_EQ(ring.Write(Sequence(0, 12).data(), 12), 12u);
    ASSERT_EQ(ring.Read(scratch.data(), 12, 0), 12u);  // both positions now at 12

    const std::vector<int> crossing = Sequence(100, 10);
    EXPECT_EQ(ring.Write(crossing.data(), 10), 10u);
    std::vector<int> out(10);
    EXPECT_EQ(ring.Read(out.data(), 10, 0), 10u);
    EXPECT_EQ(out, crossing);
    EXPECT_EQ(ring.Available(0), 0u);
    EXPECT_EQ(ring.FreeSpace(), 15u);
}

TEST(RingBuffer, ShortReadReturnsWhatIsThereAndZeroesTheRest)
{
    SampleRing ring(256);
    const std::vector<int> values = Sequence(1, 60);
    ring.Write(values.data(), 60);
    std::vector<int> dst(100, -1);
    EXPECT_EQ(ring.Read(dst.data(), 100, 0), 60u);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), dst.begin()));
    EXPECT_TRUE(std::all_of(dst.begin() + 60, dst.end(), [](int v) { return v == 0; }));
}

TEST(RingBuffer, ShortWriteTakesWhatFits)
{
    SampleRing ring(8);
    EXPECT_EQ(ring.Write(Sequence(0, 10).data(), 10), 7u);
    std::vector<int> out(7);
    ring.Read(out.data(), 7, 0);
    EXPECT_EQ(out, Sequence(0, 7));
}

TEST(RingBuffer, InPlaceWriteIsOfferedOnlyWhereItFitsWithoutWrapping)
{
    SampleRing ring(16);
    std::vector<int> scratch(10);
    ring.Write(Sequence(0, 10).data(), 10);
    ring.Read(scratch.data(), 10, 0);  // positions at 10: 6 slots before the end, 15 free

    EXPECT_EQ(ring.ContiguousWriteSpace(7), nullptr) << "would wrap";
    int* space = ring.ContiguousWriteSpace(6);
    ASSERT_NE(space, nullptr);
    std::iota(space, space + 6, 50);
    ring.CommitWrite(6);
    EXPECT_EQ(ring.Available(0), 6u);
    ASSERT_NE(ring.ContiguousWriteSpace(9), nullptr) << "the write position wrapped to the start";
    EXPECT_EQ(ring.ContiguousWriteSpace(10), nullptr) << "only 9 slots are free";

    std::vector<int> out(6);
    ring.Read(out.data(), 6, 0);
    EXPECT_EQ(out, Sequence(50, 6));
}

TEST(RingBuffer, ResetEmptiesTheRing)
{
    SampleRing ring(16);
    std::vector<int> scratch(5);
    ring.Write(Sequence(0, 9).data(), 9);
    ring.Read(scratch.data(), 5, 0);
    ring.Reset();
    EXPECT_EQ(ring.Available(0), 0u);
    EXPECT_EQ(ring.FreeSpace(), 15u);
}

// One producer and one consumer with block sizes that do not divide the capacity, so the positions wrap
// at every possible offset; every element must arrive once and in order.
TEST(RingBuffer, ProducerAndConsumerThreadsPassEveryElementInOrder)
{
    constexpr int kTotal = 3'000'000;
    SampleRing ring(4099);
    std::thread producer([&ring] {
        std::vector<int> block(1000);
        int next = 0;
        std::size_t size = 1;
        while (next < kTotal) {
            size = size % 997 + 1;
            const auto n = static_cast<std::uint32_t>(std::min<long>(static_cast<long>(size), kTotal - next));
            if (ring.FreeSpace() < n) {
                std::this_thread::yield();
                continue;
            }
            std::iota(block.begin(), block.begin() + n, next);
            ASSERT_EQ(ring.Write(block.data(), n), n);
            next += static_cast<int>(n);
        }
    });

    std::vector<int> block(1500);
    int expected = 0;
    std::uint32_t size = 1;
    bool inOrder = true;
    while (expected < kTotal) {
        size = size % 1499 + 1;
        const std::uint32_t n = ring.Read(block.data(), std::min(size, ring.Available(0)), 0);
        for (std::uint32_t i = 0; i < n; ++i)
            inOrder = inOrder && block[i] == expected++;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, kTotal);
}

}  // namespace
