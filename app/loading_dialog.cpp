#include "app/loading_dialog.h"

#include "ui/report_types.h"

#include <QProgressBar>
#include <QPushButton>
#include <QThread>

CProcessing* g_loadingDlg = nullptr;

CProcessing::CProcessing(QWidget* parent, CLoadingHost& host) : QDialog(parent), m_host(host)
{
    setWindowTitle(QStringLiteral("Processing Audio Files..."));
    setFixedSize(320, 96);
    m_prgBusy = new QProgressBar(this);
    m_prgBusy->setGeometry(14, 14, 292, 20);
    m_prgBusy->setRange(0, 0);  // a moving busy indicator that never shows a position
    m_prgBusy->setTextVisible(false);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setGeometry(118, 52, 84, 28);
    m_pCancel->setAutoDefault(false);
    connect(m_pCancel, &QPushButton::clicked, this, &CProcessing::CancelLoad);
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, &CProcessing::OnShowTimer);
    g_loadingDlg = this;
}

CProcessing::~CProcessing()
{
    g_loadingDlg = nullptr;
}

template <typename Action>
void CProcessing::OnOwnThread(Action action)
{
    if (QThread::currentThread() == thread())
        action();
    else
        QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
}

void CProcessing::Arm(QWidget* window, int delayMs)
{
    OnOwnThread([this, window, delayMs] {
        if (window)
            move(window->geometry().center() - rect().center());
        setWindowTitle(QString());
        m_showTimer.start(delayMs);
    });
}

void CProcessing::EndLoad()
{
    OnOwnThread([this] {
        m_showTimer.stop();
        hide();
    });
}

void CProcessing::SetTitle(const QString& title)
{
    OnOwnThread([this, title] { setWindowTitle(title); });
}

void CProcessing::OnShowTimer()
{
    if (isHidden()) {
        showNormal();
        activateWindow();
    }
}

// The dialog stays up: the loader finishes the file in hand, then ends the load, which hides it.
void CProcessing::CancelLoad()
{
    g_listBusy = 1;
    m_host.ClearLoading();
}

// The close box and Escape both arrive here: the load stops and the dialog hides.
void CProcessing::reject()
{
    CancelLoad();
    QDialog::reject();
}
