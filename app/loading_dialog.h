#pragma once

#include <QDialog>
#include <QTimer>

class QProgressBar;
class QPushButton;

// The window that owns a load of files; the loading dialog's Cancel tells it to stop.
class CLoadingHost {
public:
    virtual ~CLoadingHost() = default;
    // Clears the host's loading flag, which the loader checks between files.
    virtual void ClearLoading() = 0;
};

// The small busy window of a load: armed when a load starts, it shows itself only when the load is still
// running after the delay, so short loads never flash a window. Every operation may be called from any
// thread; it takes effect on the dialog's own thread.
class CProcessing : public QDialog {
    Q_OBJECT

public:
    CProcessing(QWidget* parent, CLoadingHost& host);
    ~CProcessing() override;

    // Centres the dialog over `window`, empties its title and starts the delay.
    void Arm(QWidget* window, int delayMs);
    // Stops the delay and hides the dialog.
    void EndLoad();
    void SetTitle(const QString& title);

protected:
    void reject() override;

private:
    void OnShowTimer();
    void CancelLoad();
    template <typename Action>
    void OnOwnThread(Action action);

    CLoadingHost& m_host;
    QProgressBar* m_prgBusy;
    QPushButton* m_pCancel;
    QTimer m_showTimer;
};

// The process's one loading dialog, set while it exists.
extern CProcessing* g_loadingDlg;
