#include "cli/console_batch_state.h"

#include "batch/log_format.h"
#include "platform/tick.h"

#include <unistd.h>

CConsoleBatchState::CConsoleBatchState() : m_bTerminal(::isatty(STDOUT_FILENO) == 1)
{
    g_pConvProg = this;
}

CConsoleBatchState::~CConsoleBatchState()
{
    g_pConvProg = nullptr;
}

void CConsoleBatchState::ClearProgressLine()
{
    if (m_bProgressShown)
        std::fputs("\r\033[K", stdout);
    m_bProgressShown = false;
}

// Errors stay in the log on standard output too, so that the lines keep their order.
void CConsoleBatchState::PostLog(const QString& line, int)
{
    const std::lock_guard lock(m_mutex);
    ClearProgressLine();
    std::printf("%s %s  %s\n", qUtf8Printable(NextLogNumberText()), qUtf8Printable(LogTimeText()), qUtf8Printable(line));
    std::fflush(stdout);
}

void CConsoleBatchState::PostDone()
{
    PostLog(QStringLiteral("Finished converting, all done"), kLogInfo);
    const std::lock_guard lock(m_mutex);
    m_bDone = true;
}

void CConsoleBatchState::DeliverProgress(float filePercent, float batchPercent, bool)
{
    if (!m_bTerminal)
        return;
    const std::lock_guard lock(m_mutex);
    const std::uint32_t now = platform::TickCount();
    const double fileSeconds = (now - m_dwFileStartTick.load(std::memory_order_relaxed)) / 1000.0;
    const double batchSeconds = (now - m_dwBatchStartTick.load(std::memory_order_relaxed)) / 1000.0;
    const double speed = batchSeconds > 0 ? m_fBatchSecondsDone.load(std::memory_order_relaxed) / batchSeconds : 0.0;
    std::printf("\r\033[K%s  file %6.2f%%  batch %6.2f%%  %6.2fx  %s / %s", qUtf8Printable(m_strCaption),
                std::min(filePercent, 100.0f), std::min(batchPercent, 100.0f), speed,
                qUtf8Printable(FormatHms(static_cast<std::int64_t>(fileSeconds))),
                qUtf8Printable(FormatHms(static_cast<std::int64_t>(batchSeconds))));
    std::fflush(stdout);
    m_bProgressShown = true;
}

void CConsoleBatchState::SetCaption(const QString& caption)
{
    const std::lock_guard lock(m_mutex);
    m_strCaption = caption;
}

void CConsoleBatchState::SetFileLabels(const QString&, const QString&) {}

void CConsoleBatchState::StartClockTimer() {}

bool CConsoleBatchState::IsDone() const
{
    const std::lock_guard lock(m_mutex);
    return m_bDone;
}

void CConsoleBatchState::PostErrorBox(const QString& text)
{
    const std::lock_guard lock(m_mutex);
    ClearProgressLine();
    std::fprintf(stderr, "quorbel-convert: %s\n", qUtf8Printable(text));
}
