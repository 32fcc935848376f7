#include "batch/batch_driver.h"

#include "engine/folder_path.h"
#include "platform/tick.h"

#include <QFileInfo>

namespace {

// A stage that makes no progress for this long while not paused is considered stalled.
constexpr std::uint32_t kStallTimeoutMs = 10000;

QString Separator()
{
    return QString(99, u'-');
}

double SecondsSince(std::uint32_t startTick)
{
    // At least a millisecond, so that speeds stay finite for the tiniest files.
    return std::max(platform::TickCount() - startTick, 1u) / 1000.0;
}

// Waits until the stage thread has ended. There is no forced termination: a stage that stalls (no sample
// encoded for a while although the batch is not paused) is told to stop, and then waited for, so that
// its file is always closed. A pause, however long, is never mistaken for a stall.
void AwaitStage(CBatchState& batch, const platform::WorkerThreadSlot& slot)
{
    const auto thread = slot.Get();
    if (!thread)
        return;
    std::uint64_t lastDone = batch.m_nFileSamplesDone.load(std::memory_order_relaxed);
    std::uint32_t lastProgress = platform::TickCount();
    while (!thread->Wait(100)) {
        const std::uint64_t done = batch.m_nFileSamplesDone.load(std::memory_order_relaxed);
        const std::uint32_t now = platform::TickCount();
        if (done != lastDone || batch.m_bPaused.IsSet()) {
            lastDone = done;
            lastProgress = now;
        } else if (now - lastProgress >= kStallTimeoutMs) {
            batch.m_bRunning.Set(false);
        }
    }
}

QString FolderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(std::max<qsizetype>(slash, 1));
}

}  // namespace

void StartBatch(CBatchState& batch, std::uint32_t startDelayMs)
{
    batch.m_bRunning.Set(true);
    platform::StartWorker(batch.m_pBatchThread, [&batch, startDelayMs] {
        platform::SleepMs(startDelayMs);
        RunBatch(batch);
    });
}

void RunBatch(CBatchState& batch)
{
    batch.StartClockTimer();
    const std::uint32_t batchStart = platform::TickCount();
    batch.m_dwBatchStartTick.store(batchStart, std::memory_order_relaxed);
    const int taskCount = static_cast<int>(batch.m_tasks.size());
    batch.m_nCurrentTask.store(0, std::memory_order_relaxed);

    for (int index = 0; index < taskCount && batch.IsRunning(); ++index) {
        batch.PostLog(Separator(), kLogInfo);
        const std::uint32_t fileStart = platform::TickCount();
        batch.SetCaption(QStringLiteral("Converting %1/%2").arg(index + 1).arg(taskCount));

        CConversionTask task = batch.m_tasks[static_cast<std::size_t>(index)];
        const QString folder = FolderOf(task.m_strDest);
        if (!QFileInfo::exists(folder) && !CreateFolderPath(folder)) {
            batch.PostLog(QStringLiteral("Fail to create folder %1 !").arg(folder), kLogError);
            batch.m_bRunning.Set(false);
            break;
        }
        if (QFileInfo::exists(task.m_strDest))
            task.m_strDest = MakeUniqueName(task.m_strDest);
        batch.SetFileLabels(task.m_strSource, task.m_strDest);
        batch.PostLog(QStringLiteral("Start a new converting task."), kLogInfo);
        batch.PostLog(QStringLiteral("Source:  %1.").arg(task.m_strSource), kLogInfo);
        batch.PostLog(QStringLiteral("Destination: %1.").arg(task.m_strDest), kLogInfo);

        batch.m_nFileSamplesDone.store(0, std::memory_order_relaxed);
        batch.m_fFileSecondsDone.store(0, std::memory_order_relaxed);
        batch.m_dwFileStartTick.store(platform::TickCount(), std::memory_order_relaxed);
        g_pReaderRing->Reset();
        g_pEffectsRing->Reset();

        if (!task.Convert())
            batch.m_bRunning.Set(false);
        // The effects thread starts the encoder thread, so it is waited for first.
        AwaitStage(batch, batch.m_pEffectsThread);
        AwaitStage(batch, batch.m_pEncoderThread);

        if (batch.IsRunning()) {
            const double elapsed = SecondsSince(fileStart);
            batch.PostLog(QString::asprintf("Time elapsed %.2f secs, speed %.2fx.", elapsed,
                                            batch.m_fFileSecondsDone.load(std::memory_order_relaxed) / elapsed),
                          kLogInfo);
            batch.PostLog(QStringLiteral("Converting status: OK."), kLogInfo);
        } else {
            batch.PostLog(QStringLiteral("Converting status: ERROR."), kLogError);
        }
        batch.m_nCurrentTask.store(index + 1, std::memory_order_relaxed);
    }

    if (!batch.IsRunning())
        return;
    if (taskCount > 1) {
        batch.PostLog(Separator(), kLogInfo);
        const double total = SecondsSince(batchStart);
        batch.PostLog(QString::asprintf("Total time elapsed %.2f secs, overall speed %.2fx.", total,
                                        batch.m_fBatchSecondsDone.load(std::memory_order_relaxed) / total),
                      kLogInfo);
    }
    batch.PostDone();
}

QString MakeUniqueName(const QString& path)
{
    // The extension is the last dot of the file name, never one in a folder name.
    qsizetype dot = path.lastIndexOf(u'.');
    if (dot < path.lastIndexOf(u'/'))
        dot = path.size();
    const QString base = path.left(dot);
    const QString extension = path.mid(dot);
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base, QString::number(n), extension);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}
