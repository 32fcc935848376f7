#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QLocalSocket;
class QWidget;

// Lets one process per name and user run as the first instance. The first holds a lock file and listens on
// a local socket, both in the user's runtime folder and named after `name`; a later process with the same
// name finds the lock taken and asks the first, over the socket, to come to the front. Different names
// never see each other. A lock left by a process that died is taken over. Use on one thread.
class CSingleInstance : public QObject {
    Q_OBJECT

public:
    explicit CSingleInstance(const QString& name, QObject* parent = nullptr);
    ~CSingleInstance() override;

    // This process owns the name, or the lock could not be made at all (then it runs alone, unguarded).
    bool IsFirst() const { return m_bFirst; }

    // From a second process: sends the first a request to come forward and waits until it is written.
    // Tries again for a first that is still starting, until timeoutMs; returns whether it went through.
    bool ActivateFirst(int timeoutMs);

signals:
    // In the first instance, once for each request of a later start.
    void activationRequested();

private:
    void Listen();
    void OnNewConnection();
    void ReadRequests(QLocalSocket* pSocket);

    std::unique_ptr<QLockFile> m_pLock;
    QString m_strSocketPath;
    QLocalServer m_server;  // after the lock: the socket closes before the lock is let go
    bool m_bFirst = false;
};

// The executable's file name without its folder and its last extension, as the instance name.
QString ExecutableBaseName();

// Brings the first instance forward for a later start: restores the main window when it is minimised and
// activates it, then activates the open modal dialog above it, if any.
void BringToFront(QWidget* mainWindow);
