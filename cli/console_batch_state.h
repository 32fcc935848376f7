#pragma once

#include "engine/batch_state.h"

#include <cstdio>
#include <mutex>

// The batch state of the command-line front end: numbered, timed log lines on standard output, and a
// progress line that rewrites itself when standard output is a terminal.
class CConsoleBatchState : public CBatchState {
public:
    CConsoleBatchState();
    ~CConsoleBatchState() override;

    void PostLog(const QString& line, int level) override;
    void PostDone() override;
    void DeliverProgress(float filePercent, float batchPercent, bool synchronous) override;
    void SetCaption(const QString& caption) override;
    void SetFileLabels(const QString& source, const QString& dest) override;
    void StartClockTimer() override;
    void PostErrorBox(const QString& text) override;

    bool IsDone() const;

private:
    void ClearProgressLine();

    mutable std::mutex m_mutex;
    const bool m_bTerminal;
    bool m_bProgressShown = false;
    bool m_bDone = false;
    QString m_strCaption;
};
