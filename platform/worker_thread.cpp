#include "platform/worker_thread.h"

#include <chrono>
#include <utility>

namespace platform {

WorkerThread::WorkerThread(std::function<void()> body) : m_pState(std::make_shared<State>())
{
    m_pState->body = std::move(body);
}

WorkerThread::~WorkerThread()
{
    if (!m_thread.joinable())
        return;
    // The last handle may be dropped by the worker itself; it cannot join itself.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void WorkerThread::Resume()
{
    const std::lock_guard lock(m_pState->mutex);
    m_pState->bStarted = true;
    m_thread = std::thread([state = m_pState] {
        state->body();
        const std::lock_guard finishedLock(state->mutex);
        state->bFinished = true;
        state->finishedSignal.notify_all();
    });
}

bool WorkerThread::Wait(std::uint32_t timeoutMs)
{
    std::unique_lock lock(m_pState->mutex);
    if (!m_pState->bStarted)
        return true;
    return m_pState->finishedSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                             [this] { return m_pState->bFinished; });
}

std::shared_ptr<WorkerThread> WorkerThreadSlot::Get() const
{
    const std::lock_guard lock(m_mutex);
    return m_pThread;
}

void WorkerThreadSlot::Set(std::shared_ptr<WorkerThread> thread)
{
    std::shared_ptr<WorkerThread> previous;
    {
        const std::lock_guard lock(m_mutex);
        previous = std::exchange(m_pThread, std::move(thread));
    }
    // `previous` may join its thread when it goes: never under the lock.
}

void StartWorker(WorkerThreadSlot& slot, std::function<void()> body)
{
    auto thread = std::make_shared<WorkerThread>(std::move(body));
    slot.Set(thread);
    thread->Resume();
}

}  // namespace platform
