#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTimeoutMs = 10000;

}  // namespace

// The installed program as the desktop starts it: one window per executable name and user.
class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid() && m_runtime->isValid());
        QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void cleanup()
    {
        for (auto& process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
        m_processes.clear();
    }

    void aSecondStartHandsOverAndEnds()
    {
        QProcess& first = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(WaitUntilRunning(first, u"quorbel"_s));

        QProcess& second = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(second.waitForFinished(kTimeoutMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
    }

    void aCopyUnderAnotherNameRunsItsOwnWindow()
    {
        QProcess& first = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(WaitUntilRunning(first, u"quorbel"_s));
        const QString copy = m_home->filePath(u"quorbel-copy"_s);
        QVERIFY(QFile::copy(QStringLiteral(QUORBEL_GUI), copy));

        QProcess& other = Start(copy);
        QVERIFY(WaitUntilRunning(other, u"quorbel-copy"_s));
        QCOMPARE(first.state(), QProcess::Running);
    }

    void aStartAfterTheFirstDiedRunsAsTheFirst()
    {
        QProcess& first = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(WaitUntilRunning(first, u"quorbel"_s));
        first.kill();
        QVERIFY(first.waitForFinished(kTimeoutMs));

        QProcess& next = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(WaitUntilRunning(next, u"quorbel"_s));
        QProcess& later = Start(QStringLiteral(QUORBEL_GUI));
        QVERIFY(later.waitForFinished(kTimeoutMs));
        QCOMPARE(next.state(), QProcess::Running);
    }

private:
    QProcess& Start(const QString& program)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, m_home->path());
        environment.insert(u"XDG_CONFIG_HOME"_s, m_home->filePath(u".config"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, m_runtime->path());
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process->start(program, {});
        process->waitForStarted(kTimeoutMs);
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    // True once `process` holds the instance lock of `name` (its first line is the holder's process id)
    // and is still running.
    bool WaitUntilRunning(QProcess& process, const QString& name) const
    {
        QFile lock(QDir(m_runtime->path()).filePath(name + u".instance.lock"_s));
        const QByteArray pid = QByteArray::number(process.processId());
        const auto holds = [&] {
            if (!lock.open(QIODevice::ReadOnly))
                return false;
            const bool held = lock.readLine().trimmed() == pid;
            lock.close();
            return held;
        };
        return QTest::qWaitFor([&] { return holds() || process.state() != QProcess::Running; }, kTimeoutMs)
               && process.state() == QProcess::Running;
    }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

QTEST_GUILESS_MAIN(ApplicationTest)
#include "application_test.moc"
