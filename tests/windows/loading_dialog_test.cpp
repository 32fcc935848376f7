#include "app/loading_dialog.h"
#include "ui/report_types.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

// Stands in for the main window that owns the load.
class FakeHost : public CLoadingHost {
public:
    void ClearLoading() override { ++nCleared; }
    int nCleared = 0;
};

}  // namespace

class LoadingDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        g_listBusy = 0;
        m_host = std::make_unique<FakeHost>();
        m_dlg = std::make_unique<CProcessing>(nullptr, *m_host);
        QCOMPARE(g_loadingDlg, m_dlg.get());
    }
    void cleanup()
    {
        m_dlg.reset();
        QCOMPARE(g_loadingDlg, nullptr);
    }

    void shortLoadNeverShowsTheDialog()
    {
        m_dlg->Arm(nullptr, 500);
        m_dlg->EndLoad();
        QTest::qWait(800);
        QVERIFY(m_dlg->isHidden());
    }

    void longLoadShowsTheDialogAfterTheDelayWithTheLoadersTitle()
    {
        m_dlg->Arm(nullptr, 500);
        QVERIFY(m_dlg->windowTitle().isEmpty());
        QVERIFY(m_dlg->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->isVisible(), 2000);

        // The loader thread names the file it reads.
        QThread* loader = QThread::create([this] { m_dlg->SetTitle(QStringLiteral("Reading  /music/a b.wav")); });
        loader->start();
        loader->wait();
        delete loader;
        QTRY_COMPARE(m_dlg->windowTitle(), QStringLiteral("Reading  /music/a b.wav"));
        m_dlg->EndLoad();
        QVERIFY(m_dlg->isHidden());
    }

    void cancelStopsTheLoadButStaysShown()
    {
        m_dlg->Arm(nullptr, 0);
        QTRY_VERIFY(m_dlg->isVisible());
        QTest::mouseClick(m_dlg->findChild<QPushButton*>(), Qt::LeftButton);
        QCOMPARE(m_host->nCleared, 1);
        QCOMPARE(g_listBusy.load(), 1);
        QVERIFY(m_dlg->isVisible());
    }

    void closingTheWindowCancelsTheLoadToo()
    {
        m_dlg->Arm(nullptr, 0);
        QTRY_VERIFY(m_dlg->isVisible());
        QVERIFY(m_dlg->close());
        QCOMPARE(m_host->nCleared, 1);
        QCOMPARE(g_listBusy.load(), 1);
        QVERIFY(m_dlg->isHidden());
    }

private:
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<CProcessing> m_dlg;
};

QTEST_MAIN(LoadingDialogTest)
#include "loading_dialog_test.moc"
