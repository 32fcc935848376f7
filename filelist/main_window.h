#pragma once

#include "app/loading_dialog.h"
#include "batch/source_probe.h"
#include "ui/resize_dlg.h"

#include <QFileInfo>
#include <QIcon>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <type_traits>

class CConvProg;
class CReportCtrl;
class QLabel;
class QAction;
class QToolBar;
class QUrl;

// Sent by the loader thread, synchronously, to append an empty row; the event type keeps the system's number.
inline constexpr int WM_FILELIST_ADDROW = 1125;
inline const QString kAppTitle = QStringLiteral("Quorbel");
// Command ids of the window's keys, toolbar and row context menu.
inline constexpr int ID_FILE_OPEN = 32780;
inline constexpr int ID_FILE_REMOVE = 32788;
inline constexpr int ID_EDIT_SELECTALL = 32823;
inline constexpr int ID_FILE_RENAME = 32853;
inline constexpr int ID_FILE_PROPERTIES = 32855;
inline constexpr int ID_FILE_ADDFILES = 32861;
inline constexpr int ID_CONVERT_SELECTED = 32873;
inline constexpr int ID_CONVERT_ALL = 32874;
inline constexpr int ID_OPTIONS = 32875;
inline constexpr int ID_APP_ABOUT = 32889;

struct ToolBarButton {
    int id;
    const char* iconPath;
    const char* name;  // what a screen reader announces for the picture-only button
    const char* tooltip;
};

// The main window: a toolbar over the file list, and three status panes with the list totals, the
// selection and the settings summary. Closing it saves the settings and the list's layout.
class CNorvDlg : public CResizeDlg, public CLoadingHost {
    Q_OBJECT

public:
    explicit CNorvDlg(QWidget* parent = nullptr);
    ~CNorvDlg() override;

    // Asks for the files to add, on the window thread; the open-file dialog unless a test replaces it.
    std::function<QStringList(QWidget* owner)> chooseFiles;
    // Runs a filled progress window; modally unless a test replaces it.
    std::function<void(CConvProg& progress)> runBatch;

    CReportCtrl* List() const { return m_pList; }
    QLabel* StatusPane(int pane) const { return m_pStatusPanes[pane]; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    QWidget* StatusBar() const { return m_pStatusBar; }

    // Add Files (command 32861, F6): stops a running load and starts a new loader thread.
    void OnAddFiles();
    // Adds dropped WAV files, and the WAV files directly inside dropped folders, as Add Files would.
    void AddDroppedFiles(const QList<QUrl>& urls);
    // Waits for the loader thread of the last Add Files to end, serving its requests meanwhile. A load
    // that was told to stop ends after the file it is filling.
    void WaitForLoaderThread();

    void OnOpen();
    void OnProperties();
    void OnRename();
    void OnRemove();
    void OnRemoveAll();
    void OnSelectAll();
    // Converts the selected rows, or every row, skipping invalid ones; nothing while a load or sort runs.
    void ConvertFiles(bool selectedOnly);
    // Options (command 32875, Ctrl+O): the options dialog, then the summary, whatever its result.
    void OnOptions();
    // About (command 32889, F1).
    void OnAbout();
    // Pane 2: the settings summary as text and tooltip.
    void ShowSettingsSummary();

    void ClearLoading() override { m_bLoading.store(0, std::memory_order_release); }
    void UpdateStatusTexts();
    void UpdateSelectionText();

    // "%d file(s)   %.2f MB   %02d:%02d:%02d" over every counted row, or "No file".
    QString ListTotalsText() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing saves the placement (in the base), then the column layout and the sort keys.
    void done(int nResult) override;
    // The title-bar close and Alt+F4: the window's one way out (see OnClose).
    void closeEvent(QCloseEvent* event) override;
    // Enter and Escape do nothing here: neither may close the window.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void CreateToolBar();
    void AddToolBarButton(QAction& command, const ToolBarButton& button);
    void CreateStatusBar();
    QAction* AddCommand(const QKeySequence& key, const std::function<void()>& handler);
    void RecalcLayout();
    void SplitStatusBar();
    void OnClose();

    // Loader thread; `dropped` are the files to add, or empty to ask the user for them.
    void StartLoader(const QStringList& dropped);
    void LoadFiles(const QStringList& dropped);
    void BeginLoadingUi();
    void EndOfLoad();
    void FillRow(const QFileInfo& found, int& iconCache);
    void ShowAudioColumns(const QString& fullPath);
    void ProbeRow(const QString& fullPath);

    // Window thread.
    int OnAddRow();
    int SmallIconIndex(const QFileInfo& file);
    void ShowListTotals();
    void SetHeaderArrows(int column, int ascending);
    void StopLoad();
    QString FullPathOf(int row) const;
    void RemoveRow(int row);
    void RemoveRows(unsigned filter);
    void OnEditCommitted(int row, int column);
    void OnContextMenu(const QPoint& position);
    void OnDoubleClick();

    // Runs `action` on the window thread and waits for it; direct when already there.
    // An exception on the window thread is rethrown in the caller, so the loader's failure path sees it.
    template <typename Action>
    auto OnWindowThread(Action action) -> std::invoke_result_t<Action>;

    CReportCtrl* m_pList;
    QToolBar* m_pToolBar;
    QWidget* m_pStatusBar;
    QLabel* m_pStatusPanes[3];
    CProcessing* m_pLoadingDlg;
    QList<QIcon> m_smallIcons;  // the list's small images; grows as new file kinds are found
    QHash<QString, int> m_iconIndexByKind;  // MIME type name to its image in m_smallIcons
    QList<QIcon> m_headerIcons;  // none, ascending, descending
    QTimer m_statusTimer;
    QTimer m_layoutTimer;  // one layout a second after the window was first placed
    bool m_bFirstMove = true;
    int m_bClosing = 0;  // set by the first close request
    QThread* m_pLoaderThread = nullptr;

    // 1 while a load runs (and while the removal and selection commands work); any thread clears it to stop
    // the load at its next check. Release stores, acquire loads.
    std::atomic<int> m_bLoading{0};
    // The row being filled, on the window thread at the loader's request.
    int m_nCurrentRow = -1;

    // The list totals: added to by the loader thread, taken from by the removal commands on the window
    // thread; every update and every read holds m_totalsLock so that none is lost.
    mutable std::mutex m_totalsLock;
    int m_nFileCount = 0;
    double m_dTotalSizeMB = 0;
    double m_dTotalDuration = 0;
};

// The main window while it exists; the dialogs it opens reach it through this.
extern CNorvDlg* g_pMainDlg;

template <typename Action>
auto CNorvDlg::OnWindowThread(Action action) -> std::invoke_result_t<Action>
{
    using Result = std::invoke_result_t<Action>;
    if (QThread::currentThread() == thread())
        return action();
    std::exception_ptr error;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            this,
            [&] {
                try {
                    action();
                } catch (...) {
                    error = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (error)
            std::rethrow_exception(error);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            this,
            [&] {
                try {
                    result = action();
                } catch (...) {
                    error = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (error)
            std::rethrow_exception(error);
        return result;
    }
}
