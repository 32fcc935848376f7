#include "batch/progress_window.h"
#include "batch/task_builder.h"
#include "engine/mp3_encoder.h"
#include "settings/encoder_settings.h"
#include "support/modal_answer.h"
#include "support/mp3_probe.h"
#include "support/wav_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int kBatchTimeoutMs = 30000;

}  // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        CreateSampleRings();
    }
    void cleanupTestCase() { DestroySampleRings(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        g_encoderSettings = EncoderSettings{};
        g_encoderSettings.DesDir = m_dir->filePath(QStringLiteral("out")) + u'/';
        SetEncoderModuleName(kEncoderModuleName);
        m_dlg = std::make_unique<CConvProg>();
    }
    void cleanup()
    {
        m_dlg.reset();
        m_dir.reset();
    }

    void oneFileFinishesWithTheStatusLineAndFullBars()
    {
        AddSource(QStringLiteral("one.wav"), 1.0);
        m_dlg->open();
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->windowTitle(), QStringLiteral("Finished Converting"), kBatchTimeoutMs);

        const QStringList log = LogTexts();
        QCOMPARE(log.last(), QStringLiteral("Finished converting, all done"));
        QCOMPARE(log.at(log.size() - 2), QStringLiteral("Converting status: OK."));
        QCOMPARE(LastRowColour(), QColor(0, 0, 255));
        for (const char* name : {"filePercent", "batchPercent"})
            QCOMPARE(Text(name), QStringLiteral("100.00%"));
        for (const char* name : {"fileEta", "batchEta"})
            QCOMPARE(Text(name), QStringLiteral("00:00:00"));
        for (const char* name : {"fileBar", "batchBar"})
            QCOMPARE(m_dlg->findChild<QProgressBar*>(QString::fromUtf8(name))->value(), 100);
        QVERIFY(Button(QStringLiteral("Open Dir")));
        QVERIFY(Button(QStringLiteral("Finish")));
        QCOMPARE(Text("destPath"), g_encoderSettings.DesDir + QStringLiteral("one.mp3"));
    }

    void threeFilesGiveThreeBlocksAndTheTotal()
    {
        for (const char* name : {"a.wav", "b.wav", "c.wav"})
            AddSource(QString::fromUtf8(name), 0.5);
        m_dlg->open();
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->windowTitle(), QStringLiteral("Finished Converting"), kBatchTimeoutMs);
        const QStringList log = LogTexts();
        QCOMPARE(log.count(QString(99, u'-')), 4);
        QCOMPARE(log.count(QStringLiteral("Converting status: OK.")), 3);
        QVERIFY(log.at(log.size() - 2).startsWith(QStringLiteral("Total time elapsed")));
    }

    void pauseHoldsTheEncoderAndResumeContinues()
    {
        AddSource(QStringLiteral("long.wav"), 30.0);
        m_dlg->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->m_nFileSamplesDone.load() > 0, kBatchTimeoutMs);
        QTest::mouseClick(Button(QStringLiteral("Pause")), Qt::LeftButton);
        QVERIFY(Button(QStringLiteral("Resume")));
        QTest::qWait(300);
        const auto heldAt = m_dlg->m_nFileSamplesDone.load();
        QTest::qWait(400);
        QCOMPARE(m_dlg->m_nFileSamplesDone.load(), heldAt);
        QTest::mouseClick(Button(QStringLiteral("Resume")), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->windowTitle(), QStringLiteral("Finished Converting"), kBatchTimeoutMs);
    }

    void cancelAnsweredNoResumes()
    {
        AddSource(QStringLiteral("long.wav"), 30.0);
        m_dlg->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->m_nFileSamplesDone.load() > 0, kBatchTimeoutMs);
        QString question;
        AnswerNextMessageBox(QMessageBox::No, &question);
        QTest::mouseClick(Button(QStringLiteral("Cancel")), Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Do You Want to Cancel?"));
        QVERIFY(!m_dlg->m_bPaused.IsSet());
        QVERIFY(m_dlg->isVisible());
        const auto before = m_dlg->m_nFileSamplesDone.load();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->m_nFileSamplesDone.load() > before, kBatchTimeoutMs);
    }

    void cancelAnsweredYesStopsAndLeavesATaggedPart()
    {
        AddSource(QStringLiteral("long.wav"), 60.0);
        m_dlg->open();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->m_nFileSamplesDone.load() > 44100 * 4, kBatchTimeoutMs);
        AnswerNextMessageBox(QMessageBox::Yes);
        QTest::mouseClick(Button(QStringLiteral("Cancel")), Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), 0);
        m_dlg.reset();  // the window waits for every worker before it goes
        const QString partial = g_encoderSettings.DesDir + QStringLiteral("long.mp3");
        QVERIFY(HasInfoTag(partial));
        const DecodedMp3 decoded = DecodeMp3(partial);
        QVERIFY(decoded.ok);
        QVERIFY(decoded.Frames() > 0 && decoded.Frames() < 44100LL * 60);
    }

    void cancelAfterTheEndClosesWithoutAQuestion()
    {
        AddSource(QStringLiteral("one.wav"), 0.5);
        m_dlg->open();
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->windowTitle(), QStringLiteral("Finished Converting"), kBatchTimeoutMs);
        QTest::mouseClick(Button(QStringLiteral("Finish")), Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
        QVERIFY(!QApplication::activeModalWidget() || !qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    }

    void missingSourceLeavesTheStoppedState()
    {
        const QString path = AddSource(QStringLiteral("gone.wav"), 0.5);
        QFile::remove(path);
        m_dlg->open();
        QTRY_VERIFY_WITH_TIMEOUT(LogTexts().contains(QStringLiteral("Converting status: ERROR.")), kBatchTimeoutMs);
        QTest::qWait(100);
        QCOMPARE(LastRowColour(), QColor(255, 0, 0));
        QVERIFY(Button(QStringLiteral("Pause")));
        QVERIFY(Button(QStringLiteral("Cancel")));
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Converting 1/1"));
        QTest::mouseClick(Button(QStringLiteral("Cancel")), Qt::LeftButton);
        QVERIFY(!m_dlg->isVisible());
    }

    void missingEncoderModuleShowsItsBoxFromTheWindow()
    {
        SetEncoderModuleName("no_such_lame_enc.so");
        AddSource(QStringLiteral("one.wav"), 0.5);
        QString text;
        AnswerNextMessageBox(QMessageBox::Ok, &text);
        m_dlg->open();
        QTRY_COMPARE_WITH_TIMEOUT(text, QStringLiteral("Error Loading Lame_enc.dll"), kBatchTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(LogTexts().contains(QStringLiteral("Converting status: ERROR.")), kBatchTimeoutMs);
    }

    void clearKeepsTheLineNumbering()
    {
        m_dlg->AddLogLine(QStringLiteral("first"), 0);
        auto* log = m_dlg->findChild<QTreeWidget*>(QStringLiteral("log"));
        const int number = log->topLevelItem(0)->text(1).trimmed().toInt();
        QTest::mouseClick(Button(QStringLiteral("Clear")), Qt::LeftButton);
        QCOMPARE(log->topLevelItemCount(), 0);
        m_dlg->AddLogLine(QStringLiteral("second"), 2);
        QCOMPARE(log->topLevelItem(0)->text(1), QString::asprintf("%03d ", number + 1));
    }

    void escapeAndEnterDoNothing()
    {
        AddSource(QStringLiteral("one.wav"), 0.5);
        m_dlg->open();
        QTRY_COMPARE_WITH_TIMEOUT(m_dlg->windowTitle(), QStringLiteral("Finished Converting"), kBatchTimeoutMs);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(m_dlg.get(), key);
        QVERIFY(m_dlg->isVisible());
    }

private:
    QString AddSource(const QString& name, double seconds)
    {
        const QString path = m_dir->filePath(name);
        WriteToneFile(path, 44100, {{1000, 0.5}, {500, 0.5}}, seconds);
        FileItemInfo info;
        info.m_nType = FileTypeOf(name);
        ProbeAudioHeader(path, info);
        m_dlg->m_tasks.push_back(BuildConversionTask(path, name, info));
        m_dlg->m_nBatchSamplesTotal += m_dlg->m_tasks.back().m_nTotalSamples;
        return path;
    }

    QStringList LogTexts() const
    {
        QStringList texts;
        const auto* log = m_dlg->findChild<QTreeWidget*>(QStringLiteral("log"));
        for (int row = 0; row < log->topLevelItemCount(); ++row)
            texts.append(log->topLevelItem(row)->text(3));
        return texts;
    }

    QColor LastRowColour() const
    {
        const auto* log = m_dlg->findChild<QTreeWidget*>(QStringLiteral("log"));
        return log->topLevelItem(log->topLevelItemCount() - 1)->foreground(3).color();
    }

    QString Text(const char* name) const { return m_dlg->findChild<QLabel*>(QString::fromUtf8(name))->text(); }

    QPushButton* Button(const QString& text) const
    {
        for (QPushButton* button : m_dlg->findChildren<QPushButton*>()) {
            if (button->text() == text && button->isEnabled())
                return button;
        }
        return nullptr;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConvProg> m_dlg;
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
