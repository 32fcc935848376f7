#include "support/recording_batch_state.h"

CRecordingBatchState::CRecordingBatchState()
{
    g_pConvProg = this;
}

CRecordingBatchState::~CRecordingBatchState()
{
    g_pConvProg = nullptr;
}

void CRecordingBatchState::PostLog(const QString& line, int level)
{
    const std::lock_guard lock(m_mutex);
    m_logLines.push_back({line, level});
}

void CRecordingBatchState::PostDone()
{
    const std::lock_guard lock(m_mutex);
    ++m_nDone;
}

void CRecordingBatchState::DeliverProgress(float filePercent, float batchPercent, bool synchronous)
{
    const std::lock_guard lock(m_mutex);
    m_progress.push_back({filePercent, batchPercent, synchronous});
}

void CRecordingBatchState::SetCaption(const QString& caption)
{
    const std::lock_guard lock(m_mutex);
    m_strCaption = caption;
}

void CRecordingBatchState::SetFileLabels(const QString& source, const QString& dest)
{
    const std::lock_guard lock(m_mutex);
    m_strSourceLabel = source;
    m_strDestLabel = dest;
}

void CRecordingBatchState::StartClockTimer()
{
    const std::lock_guard lock(m_mutex);
    ++m_nClockTimerStarts;
}

std::vector<CRecordingBatchState::LogLine> CRecordingBatchState::LogLines() const
{
    const std::lock_guard lock(m_mutex);
    return m_logLines;
}

std::vector<CRecordingBatchState::Progress> CRecordingBatchState::ProgressReports() const
{
    const std::lock_guard lock(m_mutex);
    return m_progress;
}

int CRecordingBatchState::DoneCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_nDone;
}

int CRecordingBatchState::ClockTimerStarts() const
{
    const std::lock_guard lock(m_mutex);
    return m_nClockTimerStarts;
}

QString CRecordingBatchState::Caption() const
{
    const std::lock_guard lock(m_mutex);
    return m_strCaption;
}

QString CRecordingBatchState::SourceLabel() const
{
    const std::lock_guard lock(m_mutex);
    return m_strSourceLabel;
}

QString CRecordingBatchState::DestLabel() const
{
    const std::lock_guard lock(m_mutex);
    return m_strDestLabel;
}

void CRecordingBatchState::PostErrorBox(const QString& text)
{
    const std::lock_guard lock(m_mutex);
    m_errorBoxes.push_back(text);
}

std::vector<QString> CRecordingBatchState::ErrorBoxes() const
{
    const std::lock_guard lock(m_mutex);
    return m_errorBoxes;
}
