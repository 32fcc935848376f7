#include "app/about_dialog.h"
#include "batch/progress_window.h"
#include "filelist/file_item.h"
#include "filelist/main_window.h"
#include "platform/ini_file.h"
#include "settings/encoder_settings.h"
#include "settings/options_dialog.h"
#include "support/modal_answer.h"
#include "support/mp3_probe.h"
#include "support/wav_fixture.h"
#include "ui/report_ctrl.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBatchTimeoutMs = 60000;

const QString kDefaultSummary = u"  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"_s;

QComboBox* Combo(QDialog& dialog, const char* name)
{
    return dialog.findChild<QComboBox*>(QString::fromLatin1(name));
}

QPushButton* FindButton(QDialog& dialog, const QString& text)
{
    for (auto* button : dialog.findChildren<QPushButton*>()) {
        if (button->text().remove(u'&') == text)
            return button;
    }
    return nullptr;
}

void Click(QDialog& dialog, const QString& text)
{
    QPushButton* button = FindButton(dialog, text);
    QVERIFY2(button, qPrintable(text));
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QSettings(u"Brellum Corporation"_s, u"Quorbel"_s).clear();
        QFile::remove(GetConfigFolder() + u"/Config.ini"_s);
        g_encoderSettings = EncoderSettings{};
        OpenWindow();
    }
    void cleanup()
    {
        m_dlg.reset();
        m_dir.reset();
    }

    void firstStart()
    {
        QVERIFY(m_dlg->isMaximized());
        QCOMPARE(m_dlg->windowTitle(), u"Quorbel"_s);
        QCOMPARE(m_dlg->List()->CountItems(RS_ANY), 0);
        QTRY_VERIFY(!m_dlg->List()->accessibleDescription().isEmpty());  // the empty list's tip
        QCOMPARE(m_dlg->StatusPane(0)->text(), QString());
        QCOMPARE(m_dlg->StatusPane(1)->text(), QString());
        QCOMPARE(m_dlg->StatusPane(2)->text(), kDefaultSummary);
        QCOMPARE(m_dlg->StatusPane(2)->toolTip(), kDefaultSummary);
        QVERIFY(g_pReaderRing && g_pEffectsRing);
    }

    void enterAndEscapeDoNothing()
    {
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QTest::keyClick(m_dlg.get(), Qt::Key_Return);
        QTest::keyClick(m_dlg->List(), Qt::Key_Escape);
        QTest::keyClick(m_dlg->List(), Qt::Key_Enter);
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), 0);
    }

    void toolbarButtonsNameTheirCommands()
    {
        const QStringList tooltips{u"Add audio files to the current file list"_s, u"Convert the files in the list"_s,
                                   u"Open the option dialog"_s, u"About Quorbel"_s};
        const QStringList names{u"Add Files"_s, u"Convert all"_s, u"Options"_s, u"About"_s};
        const QList<QAction*> actions = m_dlg->ToolBar()->actions();
        QCOMPARE(actions.size(), 4);
        for (int position = 0; position < 4; ++position) {
            auto* button = qobject_cast<QToolButton*>(m_dlg->ToolBar()->widgetForAction(actions[position]));
            QVERIFY(button);
            QCOMPARE(button->toolTip(), tooltips[position]);
            QCOMPARE(button->iconSize(), QSize(48, 48));
            QVERIFY(!button->icon().isNull());
            QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), names[position]);
        }
    }

    void screenReadersHearTheTexts()
    {
        AddFiles(WriteWavs(1));
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(m_dlg->List());
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->text(QAccessible::Name), u"Files"_s);
        QCOMPARE(table->tableInterface()->cellAt(0, kColName)->text(QAccessible::Name), u"f0.wav"_s);
        QCOMPARE(table->tableInterface()->cellAt(0, kColFrequency)->text(QAccessible::Name), u"8000 Hz"_s);
        for (int pane = 0; pane < 3; ++pane) {
            QAccessibleInterface* label = QAccessible::queryAccessibleInterface(m_dlg->StatusPane(pane));
            QCOMPARE(label->text(QAccessible::Name), m_dlg->StatusPane(pane)->text());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(m_dlg.get())->text(QAccessible::Name), u"Quorbel"_s);
    }

    // Each key reaches its command; the effect tells which.
    void shortcuts_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("effect");
        QTest::newRow("F6 adds files") << int(Qt::Key_F6) << int(Qt::NoModifier) << u"files asked"_s;
        QTest::newRow("F3 converts all") << int(Qt::Key_F3) << int(Qt::NoModifier) << u"3 tasks"_s;
        QTest::newRow("Shift+F3 converts the selection") << int(Qt::Key_F3) << int(Qt::ShiftModifier) << u"1 tasks"_s;
        QTest::newRow("Ctrl+O opens the options") << int(Qt::Key_O) << int(Qt::ControlModifier) << u"Options"_s;
        QTest::newRow("F1 opens the about box") << int(Qt::Key_F1) << int(Qt::NoModifier) << u"About Quorbel"_s;
        QTest::newRow("Delete removes the selection") << int(Qt::Key_Delete) << int(Qt::NoModifier) << u"2 rows"_s;
        QTest::newRow("Ctrl+A selects every row") << int(Qt::Key_A) << int(Qt::ControlModifier) << u"3 selected"_s;
        QTest::newRow("F2 edits the name") << int(Qt::Key_F2) << int(Qt::NoModifier) << u"editing"_s;
    }
    void shortcuts()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, effect);
        AddFiles(WriteWavs(3));
        m_dlg->List()->SetItemStates(1, RS_SELECTED | RS_FOCUSED);

        QString seen;
        QObject scope;  // ends the wait for a dialog that this key does not open
        m_dlg->chooseFiles = [&seen](QWidget*) {
            seen = u"files asked"_s;
            return QStringList();
        };
        m_dlg->runBatch = [&seen](CConvProg& progress) { seen = u"%1 tasks"_s.arg(progress.m_tasks.size()); };
        AnswerNextModal<QDialog>([&seen](QDialog& dialog) {
            seen = dialog.windowTitle();
            dialog.done(QDialog::Accepted);
        }, &scope);
        QTest::keyClick(m_dlg->List(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        m_dlg->WaitForLoaderThread();

        if (effect.endsWith(u" rows"))
            seen = u"%1 rows"_s.arg(m_dlg->List()->CountItems(RS_ANY));
        else if (effect.endsWith(u" selected"))
            seen = u"%1 selected"_s.arg(m_dlg->List()->CountItems(RS_SELECTED));
        else if (effect == u"editing")
            seen = m_dlg->List()->findChild<QLineEdit*>() ? effect : QString();
        QTRY_COMPARE(seen, effect);
    }

    void optionsOkShowsTheNewSettingsCancelKeepsThem()
    {
        AnswerNextModal<COption>([](COption& options) {
            Combo(options, "freqList")->setCurrentIndex(8);
            Combo(options, "channelList")->setCurrentIndex(1);
            Combo(options, "bitsList")->setCurrentIndex(16);
            Click(options, u"OK"_s);
        });
        QTest::keyClick(m_dlg->List(), Qt::Key_O, Qt::ControlModifier);
        const QString changed = u"  MP3:  CBR 320 kbps; 44100 Hz; Mono;"_s;
        QCOMPARE(m_dlg->StatusPane(2)->text(), changed);

        AnswerNextModal<COption>([](COption& options) {
            Combo(options, "bitsList")->setCurrentIndex(0);
            Click(options, u"Cancel"_s);
        });
        QTest::keyClick(m_dlg->List(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_dlg->StatusPane(2)->text(), changed);
        QCOMPARE(g_encoderSettings.LameBits, std::int16_t{16});
    }

    void closeSavesEverythingAndARestartRestoresIt()
    {
        m_dlg->List()->ShowColumn(kColDuration, false);
        m_dlg->List()->horizontalHeader()->resizeSection(kColPath, 300);
        m_dlg->List()->sortInfo = {{kColSize, 0}, {kColName, 1}};
        g_encoderSettings.LameBits = 16;
        m_dlg->showNormal();
        const QRect normal(40, 60, 720, 430);
        m_dlg->setGeometry(normal);

        m_dlg->close();  // what Alt+F4 and the title-bar button ask for
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(m_dlg->result(), 1);
        QVERIFY(!g_pReaderRing && !g_pEffectsRing);
        platform::IniFile config;
        QVERIFY(config.Load(GetConfigFolder() + u"/Config.ini"_s));
        for (const auto& [section, key] : {std::pair{"OUTPUT", "DesDir"}, {"OUTPUT", "Filter"}, {"MP3", "LameChannel"},
                                           {"MP3", "LameBits"}, {"MP3", "Freq"}})
            QVERIFY2(!config.ReadString(QString::fromLatin1(section), QString::fromLatin1(key), {}, 260).isNull(),
                     key);
        QCOMPARE(config.ReadInt(u"MP3"_s, u"LameBits"_s, 0), 16);

        g_encoderSettings = EncoderSettings{};
        OpenWindow();
        QVERIFY(!m_dlg->isMaximized());
        QCOMPARE(m_dlg->geometry(), normal);
        QCOMPARE(m_dlg->List()->columnWidth(kColPath), 300);
        QVERIFY(!m_dlg->List()->IsColumnVisible(kColDuration));
        QCOMPARE(m_dlg->List()->sortInfo.size(), 2);
        QCOMPARE(m_dlg->List()->sortInfo.front().column, kColSize);
        QCOMPARE(m_dlg->StatusPane(2)->text(), u"  MP3:  CBR 320 kbps; Automatic Frequency; Automatic Channel;"_s);
    }

    void layoutFollowsTheWindow()
    {
        m_dlg->showNormal();
        m_dlg->resize(1000, 500);
        QTRY_COMPARE(m_dlg->StatusBar()->geometry(), QRect(0, 475, 1000, 25));
        QCOMPARE(m_dlg->StatusPane(0)->geometry().right() + 1, 250);
        QCOMPARE(m_dlg->StatusPane(1)->geometry().right() + 1, 500);
        QCOMPARE(m_dlg->StatusPane(2)->geometry().right() + 1, 1000);
        QCOMPARE(m_dlg->List()->geometry().bottom() + 1, 475);
        QCOMPARE(m_dlg->ToolBar()->width(), 1000);

        m_dlg->resize(1203, 640);
        QTRY_COMPARE(m_dlg->StatusBar()->geometry(), QRect(0, 615, 1203, 25));
        QCOMPARE(m_dlg->StatusPane(0)->geometry().right() + 1, 300);
        QCOMPARE(m_dlg->StatusPane(1)->geometry().right() + 1, 601);
        QCOMPARE(m_dlg->List()->geometry().bottom() + 1, 615);
    }

    void droppedFilesAndFoldersAreAdded()
    {
        const QStringList wavs = WriteWavs(2);
        QDir(m_dir->path()).mkpath(u"folder/inner"_s);
        WriteToneFile(Path("folder/a.WAV"), 8000, {{440, 0.5}}, 0.1);
        WriteToneFile(Path("folder/inner/deep.wav"), 8000, {{440, 0.5}}, 0.1);
        QFile notes(Path("folder/notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(wavs[0]), QUrl::fromLocalFile(Path("folder")),
                      QUrl::fromLocalFile(Path("folder/notes.txt"))});
        QWidget* target = m_dlg->List()->viewport();
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        m_dlg->WaitForLoaderThread();

        QCOMPARE(m_dlg->List()->CountItems(RS_ANY), 2);
        QCOMPARE(m_dlg->List()->GetItemText(0, kColName), u"a.WAV"_s);
        QCOMPARE(m_dlg->List()->GetItemText(1, kColName), u"f0.wav"_s);
        QCOMPARE(m_dlg->StatusPane(1)->text(), u" No file selected"_s);
    }

    // Adding generated files, converting them all, and finding the MP3 files in the output folder.
    void aUserConvertsTheList()
    {
        g_encoderSettings.DesDir = Path("out") + u'/';
        const QStringList wavs = WriteWavs(2);
        AddFiles(wavs);
        m_dlg->runBatch = nullptr;
        AnswerNextModal<CConvProg>([](CConvProg& progress) {
            QPushButton* finish = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((finish = FindButton(progress, u"Finish"_s)) != nullptr, kBatchTimeoutMs);
            QTest::mouseClick(finish, Qt::LeftButton);
        });
        QTest::keyClick(m_dlg->List(), Qt::Key_F3);

        for (const QString& name : {u"f0.mp3"_s, u"f1.mp3"_s}) {
            const DecodedMp3 decoded = DecodeMp3(Path("out/") + name);
            QVERIFY2(decoded.ok, qPrintable(name));
            QCOMPARE(decoded.rate, 8000);
        }
    }

private:
    void OpenWindow()
    {
        m_dlg.reset();
        m_dlg = std::make_unique<CNorvDlg>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }

    QString Path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    QStringList WriteWavs(int count) const
    {
        QStringList paths;
        for (int file = 0; file < count; ++file) {
            paths << m_dir->filePath(u"f%1.wav"_s.arg(file));
            WriteToneFile(paths.back(), 8000, {{440, 0.5}}, file + 1.0);
        }
        return paths;
    }

    void AddFiles(const QStringList& paths)
    {
        m_dlg->chooseFiles = [paths](QWidget*) { return paths; };
        QTest::keyClick(m_dlg->List(), Qt::Key_F6);
        m_dlg->WaitForLoaderThread();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CNorvDlg> m_dlg;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
