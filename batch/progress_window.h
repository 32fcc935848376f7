#pragma once

#include "engine/batch_state.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement.h"

#include <QEvent>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// Event numbers of the reports that workers post to the progress window.
inline constexpr QEvent::Type WM_CONVERT_PROGRESS = static_cast<QEvent::Type>(1124);
inline constexpr QEvent::Type WM_CONVERT_LOG = static_cast<QEvent::Type>(1125);
inline constexpr QEvent::Type WM_CONVERT_DONE = static_cast<QEvent::Type>(1129);

// The modal window that runs one batch and shows its progress and log. Workers reach it only through
// the batch-state interface, whose calls all become events handled on the window's thread.
class CConvProg : public CResizeDlg, public CBatchState {
    Q_OBJECT

public:
    // Where the window keeps its placement in the per-user profile.
    static const QString kPlacementSection;
    static const QString kPlacementEntry;

    // How long the batch waits after the window has appeared before it starts.
    static constexpr std::uint32_t kBatchStartDelayMs = 500;

    explicit CConvProg(QWidget* parent = nullptr);
    ~CConvProg() override;

    void PostLog(const QString& line, int level) override;
    void PostDone() override;
    void DeliverProgress(float filePercent, float batchPercent, bool synchronous) override;
    void SetCaption(const QString& caption) override;
    void SetFileLabels(const QString& source, const QString& dest) override;
    void StartClockTimer() override;
    void PostErrorBox(const QString& text) override;

    void AddLogLine(const QString& text, int level);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void OnProgress(float filePercent, float batchPercent);
    void OnDone();
    void OnPause();
    void OnCancel();
    void OnClockTimer();
    // Waits for the stage threads and the batch thread, each at most a second; they end within
    // milliseconds once the batch is no longer running.
    void StopWorkers();
    // Waits until every worker has ended, so that none outlives the window it reports to.
    void JoinWorkers();

    WindowPlacementStore m_placement;
    QProgressBar* m_prgFile;
    QProgressBar* m_prgBatch;
    QLabel* m_pFilePercent;
    QLabel* m_pFileSpeed;
    QLabel* m_pFileElapsed;
    QLabel* m_pFileEta;
    QLabel* m_pBatchPercent;
    QLabel* m_pBatchSpeed;
    QLabel* m_pBatchElapsed;
    QLabel* m_pBatchEta;
    QLabel* m_pSourcePath;
    QLabel* m_pDestPath;
    QTreeWidget* m_lstLog;
    QPushButton* m_pClear;
    QPushButton* m_pPause;
    QPushButton* m_pCancel;
    QTimer m_clockTimer;
    bool m_bStarted = false;
};
