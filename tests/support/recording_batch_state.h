#pragma once

#include "engine/batch_state.h"

#include <mutex>
#include <vector>

// A batch state without a window: records everything the workers report, from any thread, and installs
// itself as g_pConvProg for its lifetime.
class CRecordingBatchState : public CBatchState {
public:
    struct LogLine {
        QString text;
        int level;
        bool operator==(const LogLine&) const = default;
    };
    struct Progress {
        float filePercent;
        float batchPercent;
        bool synchronous;
    };

    CRecordingBatchState();
    ~CRecordingBatchState() override;

    void PostLog(const QString& line, int level) override;
    void PostDone() override;
    void DeliverProgress(float filePercent, float batchPercent, bool synchronous) override;
    void SetCaption(const QString& caption) override;
    void SetFileLabels(const QString& source, const QString& dest) override;
    void StartClockTimer() override;
    void PostErrorBox(const QString& text) override;

    std::vector<LogLine> LogLines() const;
    std::vector<Progress> ProgressReports() const;
    int DoneCount() const;
    int ClockTimerStarts() const;
    QString Caption() const;
    QString SourceLabel() const;
    QString DestLabel() const;
    std::vector<QString> ErrorBoxes() const;

private:
    mutable std::mutex m_mutex;
    std::vector<LogLine> m_logLines;
    std::vector<Progress> m_progress;
    int m_nDone = 0;
    int m_nClockTimerStarts = 0;
    QString m_strCaption;
    QString m_strSourceLabel;
    QString m_strDestLabel;
    std::vector<QString> m_errorBoxes;
};
