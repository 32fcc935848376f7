#include "app/single_instance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

#include <unistd.h>

#include <algorithm>

namespace {

const QByteArray kRequest = QByteArrayLiteral("activate\n");
constexpr qint64 kMaxRequestBytes = 64;
constexpr int kRetryMs = 50;

// The user's runtime folder; where there is none, a folder of the user's own in the temporary folder.
QString InstanceFolder()
{
    const QString strRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!strRuntime.isEmpty())
        return strRuntime;
    const QString strFolder = QDir::tempPath() + QStringLiteral("/quorbel-") + QString::number(::getuid());
    QDir().mkpath(strFolder);
    QFile::setPermissions(strFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return strFolder;
}

}  // namespace

CSingleInstance::CSingleInstance(const QString& name, QObject* parent) : QObject(parent)
{
    const QString strBase = InstanceFolder() + u'/' + name;
    m_strSocketPath = strBase + QStringLiteral(".instance");
    m_pLock = std::make_unique<QLockFile>(strBase + QStringLiteral(".instance.lock"));
    // Only a lock whose process is gone is stale; a first instance may run for days.
    m_pLock->setStaleLockTime(0);
    if (m_pLock->tryLock(0))
        m_bFirst = true;
    else
        m_bFirst = m_pLock->error() != QLockFile::LockFailedError;
    if (m_bFirst)
        Listen();
}

CSingleInstance::~CSingleInstance() = default;

void CSingleInstance::Listen()
{
    // A socket file left by a first instance that died; holding the lock, nobody else can own it.
    QLocalServer::removeServer(m_strSocketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    m_server.listen(m_strSocketPath);
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* pSocket = m_server.nextPendingConnection()) {
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] { ReadRequests(pSocket); });
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        ReadRequests(pSocket);  // the request may have arrived with the connection
    }
}

void CSingleInstance::ReadRequests(QLocalSocket* pSocket)
{
    while (pSocket->canReadLine()) {
        if (pSocket->readLine(kMaxRequestBytes) == kRequest)
            emit activationRequested();
    }
    // Whatever this is, it is not a request of ours.
    if (pSocket->bytesAvailable() > kMaxRequestBytes)
        pSocket->abort();
}

bool CSingleInstance::ActivateFirst(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_strSocketPath);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        socket.abort();
        // The first instance may hold the lock and not yet listen.
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(kRetryMs, deadline.remainingTime())));
    }
    socket.write(kRequest);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    socket.disconnectFromServer();
    return true;
}

QString ExecutableBaseName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void BringToFront(QWidget* mainWindow)
{
    if (!mainWindow)
        return;
    // Clearing only the minimised state brings a maximised window back maximised.
    if (mainWindow->isMinimized())
        mainWindow->setWindowState(mainWindow->windowState() & ~Qt::WindowMinimized);
    mainWindow->raise();
    mainWindow->activateWindow();
    // The main window runs modally itself; a dialog open above it is what the user wants back.
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal && pModal != mainWindow) {
        pModal->raise();
        pModal->activateWindow();
    }
}
