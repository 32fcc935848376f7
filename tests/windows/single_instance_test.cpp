#include "app/single_instance.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kTimeoutMs = 10000;

void PrintLine(const char* pszLine)
{
    std::puts(pszLine);
    std::fflush(stdout);
}

// The test program also runs as another start of the application, in a process of its own.
// "--hold NAME" prints "first" or "second", then "activated" for each request, until it is killed.
int RunHolder(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CSingleInstance instance(QString::fromLocal8Bit(argv[2]));
    PrintLine(instance.IsFirst() ? "first" : "second");
    QObject::connect(&instance, &CSingleInstance::activationRequested, [] { PrintLine("activated"); });
    return QCoreApplication::exec();
}

// "--activate NAME" ends with 0 when it reached a first instance, 1 when it was the first, 2 when it failed.
int RunSecondStart(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CSingleInstance instance(QString::fromLocal8Bit(argv[2]));
    if (instance.IsFirst())
        return 1;
    return instance.ActivateFirst(kTimeoutMs) ? 0 : 2;
}

std::unique_ptr<QProcess> StartSelf(const char* pszMode, const QString& name)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(pszMode), name});
    return process;
}

QByteArray NextLine(QProcess& process)
{
    if (!QTest::qWaitFor([&] { return process.canReadLine(); }, kTimeoutMs))
        return {};
    return process.readLine().trimmed();
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // A runtime folder of the test's own, which the child processes inherit.
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void aSecondStartWithTheSameNameReachesTheFirst()
    {
        CSingleInstance first(QStringLiteral("same"));
        QVERIFY(first.IsFirst());
        QSignalSpy requests(&first, &CSingleInstance::activationRequested);
        for (int nStart = 1; nStart <= 2; ++nStart) {
            CSingleInstance second(QStringLiteral("same"));
            QVERIFY(!second.IsFirst());
            QVERIFY(second.ActivateFirst(kTimeoutMs));
            QTRY_COMPARE(requests.count(), nStart);
        }
    }

    void differentNamesDoNotSeeEachOther()
    {
        CSingleInstance alpha(QStringLiteral("alpha"));
        CSingleInstance beta(QStringLiteral("beta"));
        QVERIFY(alpha.IsFirst());
        QVERIFY(beta.IsFirst());
        QSignalSpy alphaRequests(&alpha, &CSingleInstance::activationRequested);
        QSignalSpy betaRequests(&beta, &CSingleInstance::activationRequested);
        CSingleInstance secondBeta(QStringLiteral("beta"));
        QVERIFY(!secondBeta.IsFirst());
        QVERIFY(secondBeta.ActivateFirst(kTimeoutMs));
        QTRY_COMPARE(betaRequests.count(), 1);
        QCOMPARE(alphaRequests.count(), 0);
    }

    void theNameIsFreeAgainWhenTheFirstEnds()
    {
        {
            CSingleInstance first(QStringLiteral("again"));
            QVERIFY(first.IsFirst());
        }
        CSingleInstance next(QStringLiteral("again"));
        QVERIFY(next.IsFirst());
        QSignalSpy requests(&next, &CSingleInstance::activationRequested);
        CSingleInstance later(QStringLiteral("again"));
        QVERIFY(later.ActivateFirst(kTimeoutMs));
        QTRY_COMPARE(requests.count(), 1);
    }

    void aStartInAnotherProcessReachesTheFirst()
    {
        CSingleInstance first(QStringLiteral("shared"));
        QVERIFY(first.IsFirst());
        QSignalSpy requests(&first, &CSingleInstance::activationRequested);
        const auto second = StartSelf("--activate", QStringLiteral("shared"));
        QVERIFY(second->waitForFinished(kTimeoutMs));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QTRY_COMPARE(requests.count(), 1);
    }

    void aFirstInAnotherProcessIsActivatedAndItsDeathFreesTheName()
    {
        const QString name = QStringLiteral("held");
        const auto holder = StartSelf("--hold", name);
        QCOMPARE(NextLine(*holder), QByteArray("first"));
        {
            CSingleInstance second(name);
            QVERIFY(!second.IsFirst());
            QVERIFY(second.ActivateFirst(kTimeoutMs));
            QCOMPARE(NextLine(*holder), QByteArray("activated"));
        }
        // Killed, the first leaves its lock and socket files behind.
        holder->kill();
        QVERIFY(holder->waitForFinished(kTimeoutMs));
        CSingleInstance next(name);
        QVERIFY(next.IsFirst());
        QSignalSpy requests(&next, &CSingleInstance::activationRequested);
        CSingleInstance later(name);
        QVERIFY(!later.IsFirst());
        QVERIFY(later.ActivateFirst(kTimeoutMs));
        QTRY_COMPARE(requests.count(), 1);
    }

    void bringToFrontShowsTheMainWindowOrItsDialog_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("expectDialog");
        QTest::addColumn<int>("expectedState");
        QTest::newRow("minimised") << QStringLiteral("minimised") << false << int(Qt::WindowNoState);
        QTest::newRow("minimised from maximised") << QStringLiteral("maximised, minimised") << false
                                                  << int(Qt::WindowMaximized);
        QTest::newRow("behind another window, dialog open") << QStringLiteral("dialog") << true
                                                            << int(Qt::WindowNoState);
    }
    void bringToFrontShowsTheMainWindowOrItsDialog()
    {
        QFETCH(QString, before);
        QFETCH(bool, expectDialog);
        QFETCH(int, expectedState);
        QWidget mainWindow;
        mainWindow.setGeometry(20, 20, 300, 200);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        QDialog dialog(&mainWindow);
        if (before == u"dialog") {
            dialog.setWindowModality(Qt::WindowModal);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        }
        QWidget other;
        other.setGeometry(400, 20, 300, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        if (before.startsWith(u"maximised"))
            mainWindow.setWindowState(Qt::WindowMaximized);
        if (before.endsWith(u"minimised")) {
            mainWindow.setWindowState(mainWindow.windowState() | Qt::WindowMinimized);
            QVERIFY(mainWindow.isMinimized());
        }

        BringToFront(&mainWindow);
        QCOMPARE(int(mainWindow.windowState()), expectedState);
        QWidget* pExpected = expectDialog ? static_cast<QWidget*>(&dialog) : &mainWindow;
        QTRY_COMPARE(QApplication::activeWindow(), pExpected);
    }

private:
    QTemporaryDir m_runtime;
};

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0)
        return RunHolder(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--activate") == 0)
        return RunSecondStart(argc, argv);
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "single_instance_test.moc"
