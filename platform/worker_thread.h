#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// A thread that is created suspended so that its handle can be recorded before it runs.
// There is no forced termination: every body must end by itself once told to stop.
class WorkerThread {
public:
    explicit WorkerThread(std::function<void()> body);
    ~WorkerThread();

    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body; called once, from the thread that created the handle.
    void Resume();

    // True when the body has ended (or never started) within the time-out. Any thread.
    bool Wait(std::uint32_t timeoutMs);

private:
    // Shared with the running thread, which may outlive this handle when the body drops the last one.
    struct State {
        std::function<void()> body;
        std::mutex mutex;
        std::condition_variable finishedSignal;
        bool bStarted = false;
        bool bFinished = false;
    };
    std::shared_ptr<State> m_pState;
    std::thread m_thread;
};

// A handle shared between the thread that starts a worker and the threads that wait for it.
class WorkerThreadSlot {
public:
    std::shared_ptr<WorkerThread> Get() const;
    void Set(std::shared_ptr<WorkerThread> thread);

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<WorkerThread> m_pThread;
};

// Creates the thread suspended, records it in the slot, then lets it run.
void StartWorker(WorkerThreadSlot& slot, std::function<void()> body);

}  // namespace platform
