#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(WorkerThread, HandleIsRecordedBeforeTheBodyRuns)
{
    platform::WorkerThreadSlot slot;
    std::atomic<bool> sawItself{false};
    platform::StartWorker(slot, [&] { sawItself = slot.Get() != nullptr; });
    ASSERT_TRUE(slot.Get()->Wait(5000));
    EXPECT_TRUE(sawItself);
}

TEST(WorkerThread, WaitTimesOutWhileTheBodyRunsAndSucceedsAfterIt)
{
    std::atomic<bool> release{false};
    platform::WorkerThread thread([&] {
        while (!release)
            std::this_thread::yield();
    });
    EXPECT_TRUE(thread.Wait(0)) << "a thread that never started counts as ended";
    thread.Resume();
    EXPECT_FALSE(thread.Wait(20));
    release = true;
    EXPECT_TRUE(thread.Wait(5000));
}

// A worker may drop the last handle to its own thread; that must neither deadlock nor touch freed memory.
TEST(WorkerThread, BodyMayDropTheLastHandleToItself)
{
    platform::WorkerThreadSlot slot;
    std::atomic<bool> startReturned{false};
    std::atomic<bool> handleDropped{false};
    platform::StartWorker(slot, [&] {
        while (!startReturned)
            std::this_thread::yield();
        auto self = slot.Get();
        slot.Set(nullptr);
        self.reset();
        handleDropped = true;
    });
    startReturned = true;
    while (!handleDropped)
        std::this_thread::yield();
    EXPECT_EQ(slot.Get(), nullptr);
}

}  // namespace
