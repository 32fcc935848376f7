#pragma once

#include "engine/conversion_task.h"
#include "platform/shared_flag.h"
#include "platform/worker_thread.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

enum LogLevel : int { kLogInfo = 0, kLogWarning = 1, kLogError = 2 };

// The state of one running batch and the only way its worker threads reach whoever shows it: the
// progress window, the command-line front end, or a test. Every method may be called from any thread.
class CBatchState {
public:
    virtual ~CBatchState() = default;

    // Queued for the window; returns at once.
    virtual void PostLog(const QString& line, int level) = 0;
    virtual void PostDone() = 0;
    // Queued when `synchronous` is false; otherwise returns once the window has shown the values. A
    // synchronous report must not block forever on a window that is itself waiting for the worker.
    virtual void DeliverProgress(float filePercent, float batchPercent, bool synchronous) = 0;
    // Blocking calls into the window.
    virtual void SetCaption(const QString& caption) = 0;
    virtual void SetFileLabels(const QString& source, const QString& dest) = 0;
    virtual void StartClockTimer() = 0;
    // An error message box, shown by the window's own thread; the worker does not wait for it, so a
    // window that is waiting for that worker cannot deadlock.
    virtual void PostErrorBox(const QString& text) = 0;

    bool IsRunning() const { return m_bRunning.IsSet(); }

    // Set only by the window when the batch starts; cleared by the window or by any worker on failure.
    platform::SharedFlag m_bRunning;
    platform::SharedFlag m_bPaused;  // written by the window, read by the encoder

    // Counters have one writer at a time (the encoder while it encodes a file, the batch driver between
    // files); readers may see a value that is a moment old.
    std::atomic<std::uint64_t> m_nBatchSamplesDone{0};
    std::atomic<std::uint64_t> m_nFileSamplesDone{0};
    std::uint64_t m_nBatchSamplesTotal = 0;  // filled with m_tasks before the batch starts
    std::atomic<float> m_fBatchSecondsDone{0};
    std::atomic<float> m_fFileSecondsDone{0};
    std::atomic<int> m_nCurrentTask{0};

    platform::WorkerThreadSlot m_pBatchThread;
    platform::WorkerThreadSlot m_pEncoderThread;
    platform::WorkerThreadSlot m_pEffectsThread;

    std::vector<CConversionTask> m_tasks;  // filled before the batch starts, read-only afterwards

    std::atomic<std::uint32_t> m_dwFileStartTick{0};
    std::atomic<std::uint32_t> m_dwBatchStartTick{0};
};

// The live batch; set before any worker of it starts.
extern CBatchState* g_pConvProg;
// The task being converted; set by the conversion before it starts the stage threads.
extern CConversionTask* g_pCurrentTask;

// Reports the two percentages; `bFinal` makes the report synchronous.
void ReportProgress(float filePercent, float batchPercent, int bFinal);
