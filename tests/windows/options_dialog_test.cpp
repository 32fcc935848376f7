#include "settings/options_dialog.h"
#include "settings/encoder_settings.h"
#include "support/modal_answer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kAutomatic = u" Automatic (Fastest & Optimal Way, Recommended)"_s;

enum class Close { OkButton, EnterKey, CancelButton, EscapeKey, CloseBox };

QString ConfigFile()
{
    return GetConfigFolder() + u"/Config.ini"_s;
}

QString MusicFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + u'/';
}

struct Settings {
    QString DesDir;
    int Freq, LameChannel, LameBits;
    friend bool operator==(const Settings&, const Settings&) = default;
};

Settings Current()
{
    const EncoderSettings& s = g_encoderSettings;
    return {s.DesDir, s.Freq, s.LameChannel, s.LameBits};
}

char* toString(const Settings& s)
{
    return QTest::toString(u"%1 Freq %2 LameChannel %3 LameBits %4"_s.arg(s.DesDir).arg(s.Freq).arg(s.LameChannel).arg(s.LameBits));
}

// What a message box showed before the test's answer closed it.
struct ShownBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

void AnswerNextBox(QMessageBox::StandardButton answer, ShownBox& shown)
{
    AnswerNextModal<QMessageBox>([answer, &shown](QMessageBox& box) {
        shown = {box.windowTitle(), box.text(), box.icon(), box.standardButtons()};
        box.button(answer)->click();
    });
}

// Types the folder into the picker's name box and confirms it with Enter, or cancels the picker.
void AnswerNextPicker(const QString& typed, bool bConfirm, QString* shownTitle = nullptr, QString* startFolder = nullptr)
{
    AnswerNextModal<QFileDialog>([=](QFileDialog& picker) {
        // Typing goes to the focused name box, as it does for a user; the box only tidies the list's
        // selection while it has the focus.
        auto* name = picker.findChild<QLineEdit*>(u"fileNameEdit"_s);
        if (!QTest::qWaitForWindowActive(&picker) || !name->hasFocus()) {
            picker.reject();
            QFAIL("the picker's name box has no focus");
        }
        if (shownTitle)
            *shownTitle = picker.windowTitle();
        if (startFolder)
            *startFolder = picker.selectedFiles().value(0);
        QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(name, typed);
        if (bConfirm)
            QTest::keyClick(name, Qt::Key_Return);
        else
            QTest::keyClick(&picker, Qt::Key_Escape);
    });
}

}  // namespace

Q_DECLARE_METATYPE(Close)

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        QFile::remove(ConfigFile());
        g_encoderSettings = EncoderSettings{};
        InitSettings();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_nSummaries = 0;
    }
    void cleanup()
    {
        m_dlg.reset();
        m_dir.reset();
    }

    void opensWithTheDefaults()
    {
        OpenDialog();
        QCOMPARE(m_dlg->windowTitle(), u"Options"_s);
        QCOMPARE(Edit()->text(), MusicFolder());
        QCOMPARE(List("freqList")->currentText(), kAutomatic);
        QCOMPARE(List("channelList")->currentText(), kAutomatic);
        QCOMPARE(List("bitsList")->currentText(), u" 128 kbits per second"_s);
        QCOMPARE(List("freqList")->count(), 9);
        QCOMPARE(List("channelList")->count(), 3);
        QCOMPARE(List("bitsList")->count(), 17);
        QVERIFY(!Edit()->isEnabled());
    }

    void labelsNameTheirControls_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("control");
        QTest::newRow("folder") << u"folderCaption"_s << u"Output Folder:"_s << u"folderEdit"_s;
        QTest::newRow("frequency") << u"freqCaption"_s << u"Sampling Frequency:"_s << u"freqList"_s;
        QTest::newRow("channels") << u"channelCaption"_s << u"Channel Mode:"_s << u"channelList"_s;
        QTest::newRow("bit rate") << u"bitsCaption"_s << u"Bits per Second:"_s << u"bitsList"_s;
    }
    void labelsNameTheirControls()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(QString, control);
        OpenDialog();
        const auto* caption = m_dlg->findChild<QLabel*>(label);
        QCOMPARE(caption->text(), text);
        QVERIFY(caption->buddy());
        QCOMPARE(caption->buddy()->objectName(), control);
    }

    void tabOrderRunsFromBrowseToCancel()
    {
        OpenDialog();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
        QStringList visited;
        const QStringList expected{u"browseButton"_s, u"freqList"_s,    u"channelList"_s, u"bitsList"_s,
                                   u"resetButton"_s,  u"okButton"_s,    u"cancelButton"_s};
        for (qsizetype step = 0; step < expected.size(); ++step) {
            visited.append(QApplication::focusWidget()->objectName());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget()->objectName(), visited.first());  // the order is a closed ring
        const auto start = visited.indexOf(u"browseButton"_s);
        QVERIFY(start >= 0);
        std::rotate(visited.begin(), visited.begin() + start, visited.end());
        QCOMPARE(visited, expected);
    }

    void okStoresTheChosenLists_data()
    {
        QTest::addColumn<int>("freq");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<Close>("close");
        QTest::addColumn<QString>("summary");
        QTest::newRow("44100 Hz, mono, 320 kbit/s by OK")
            << 8 << 1 << 16 << QStringList{u" 44100 Hertz"_s, u" Mono"_s, u" 320 kbits per second"_s} << Close::OkButton
            << u"  MP3:  CBR 320 kbps; 44100 Hz; Mono;"_s;
        QTest::newRow("8000 Hz, stereo, 8 kbit/s by Enter")
            << 1 << 2 << 0 << QStringList{u"   8000 Hertz"_s, u" Stereo"_s, u"   8 kbits per second"_s} << Close::EnterKey
            << u"  MP3:  CBR   8 kbps;  8000 Hz; Stereo;"_s;
        QTest::newRow("11025 Hz, automatic, 16 kbit/s by OK")
            << 2 << 0 << 1 << QStringList{u" 11025 Hertz"_s, kAutomatic, u"  16 kbits per second"_s} << Close::OkButton
            << u"  MP3:  CBR  16 kbps; 11025 Hz; Automatic Channel;"_s;
    }
    void okStoresTheChosenLists()
    {
        QFETCH(int, freq);
        QFETCH(int, channel);
        QFETCH(int, bits);
        QFETCH(QStringList, shown);
        QFETCH(Close, close);
        QFETCH(QString, summary);
        OpenDialog();
        ChooseByKeys(List("freqList"), freq);
        ChooseByKeys(List("channelList"), channel);
        ChooseByKeys(List("bitsList"), bits);
        const QStringList texts{List("freqList")->currentText(), List("channelList")->currentText(),
                                List("bitsList")->currentText()};
        QCOMPARE(texts, shown);

        CloseDialog(close);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        QCOMPARE(Current(), (Settings{MusicFolder(), freq, channel, bits}));
        QCOMPARE(SettingsSummaryText(), summary);
    }

    void anIndexOutsideItsListIsKeptOnOk()
    {
        g_encoderSettings.Freq = 42;
        OpenDialog();
        QCOMPARE(List("freqList")->currentIndex(), -1);
        ChooseByKeys(List("bitsList"), 3);
        CloseDialog(Close::OkButton);
        QCOMPARE(Current(), (Settings{MusicFolder(), 42, 0, 3}));
    }

    void cancelTakesNothing_data()
    {
        QTest::addColumn<Close>("close");
        QTest::newRow("Cancel button") << Close::CancelButton;
        QTest::newRow("Escape key") << Close::EscapeKey;
        QTest::newRow("close box") << Close::CloseBox;
    }
    void cancelTakesNothing()
    {
        QFETCH(Close, close);
        const QString picked = MakeFolder(u"Picked"_s);
        OpenDialog();
        const Settings before = Current();
        AnswerNextPicker(picked, true);
        QTest::mouseClick(Button("browseButton"), Qt::LeftButton);
        QCOMPARE(Edit()->text(), picked);
        for (const char* name : {"freqList", "channelList", "bitsList"})
            QTest::keyClick(List(name), Qt::Key_End);

        CloseDialog(close);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QCOMPARE(Current(), before);
    }

    void browsedFolderIsTakenOnOk_data()
    {
        // Relative paths lie in the test's own folder.
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("stored");
        QTest::newRow("a folder gets its slash") << u"Out"_s << u"Out/"_s;
        QTest::newRow("the root stays as it is") << u"/"_s << u"/"_s;
    }
    void browsedFolderIsTakenOnOk()
    {
        QFETCH(QString, folder);
        QFETCH(QString, stored);
        if (QDir::isRelativePath(folder))
            folder = MakeFolder(folder);
        stored = QDir(m_dir->path()).filePath(stored);
        g_encoderSettings.DesDir = MakeFolder(u"Start"_s) + u'/';
        OpenDialog();
        QString title;
        QString start;
        AnswerNextPicker(folder, true, &title, &start);
        QTest::mouseClick(Button("browseButton"), Qt::LeftButton);
        QCOMPARE(title, u"Specify the Output Folder"_s);
        QCOMPARE(start, m_dir->filePath(u"Start"_s));
        QCOMPARE(Edit()->text(), folder);
        QCOMPARE(g_encoderSettings.DesDir, m_dir->filePath(u"Start/"_s));  // nothing is taken before OK

        CloseDialog(Close::OkButton);
        QCOMPARE(g_encoderSettings.DesDir, stored);
    }

    void cancelledPickerKeepsTheFolderBox()
    {
        OpenDialog();
        AnswerNextPicker(MakeFolder(u"Other"_s), false);
        QTest::mouseClick(Button("browseButton"), Qt::LeftButton);
        QCOMPARE(Edit()->text(), MusicFolder());
    }

    void emptyFolderIsRefusedUntilOneIsPicked()
    {
        g_encoderSettings.DesDir.clear();
        OpenDialog();
        ChooseByKeys(List("freqList"), 8);
        ShownBox shown;
        AnswerNextBox(QMessageBox::Ok, shown);
        CloseDialog(Close::OkButton);
        QCOMPARE(shown.text, u"Invalidate Output Folder!"_s);
        QCOMPARE(shown.icon, QMessageBox::Critical);
        QCOMPARE(shown.title, QGuiApplication::applicationDisplayName());
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(Current(), (Settings{QString(), 0, 0, 11}));

        const QString picked = MakeFolder(u"Picked"_s);
        AnswerNextPicker(picked, true);
        QTest::mouseClick(Button("browseButton"), Qt::LeftButton);
        CloseDialog(Close::OkButton);
        QVERIFY(m_dlg->isHidden());
        QCOMPARE(Current(), (Settings{picked + u'/', 8, 0, 11}));
    }

    void reset_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("Yes") << QMessageBox::Yes;
        QTest::newRow("No") << QMessageBox::No;
    }
    void reset()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        const Settings stored{MakeFolder(u"Kept"_s) + u'/', 3, 2, 4};
        g_encoderSettings.DesDir = stored.DesDir;
        g_encoderSettings.Freq = 3;
        g_encoderSettings.LameChannel = 2;
        g_encoderSettings.LameBits = 4;
        QVERIFY(SaveSettings());
        OpenDialog();
        QTest::keyClick(List("bitsList"), Qt::Key_End);  // a choice not yet taken

        ShownBox shown;
        AnswerNextBox(answer, shown);
        QTest::mouseClick(Button("resetButton"), Qt::LeftButton);
        QCOMPARE(shown.text, u"Reset ALL Options, Are You Sure?"_s);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QCOMPARE(shown.buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(m_dlg->isVisible());

        if (answer == QMessageBox::Yes) {
            const Settings defaults{MusicFolder(), 0, 0, 11};
            QCOMPARE(Current(), defaults);
            QCOMPARE(Edit()->text(), defaults.DesDir);
            QCOMPARE(List("freqList")->currentText(), kAutomatic);
            QCOMPARE(List("channelList")->currentText(), kAutomatic);
            QCOMPARE(List("bitsList")->currentText(), u" 128 kbits per second"_s);
            QVERIFY(!QFile::exists(ConfigFile()));
            QCOMPARE(m_nSummaries, 1);
            QVERIFY(m_bShownAtSummary);
            QCOMPARE(m_strSummaryAtCall, u"  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"_s);
            CloseDialog(Close::CancelButton);
            QCOMPARE(Current(), defaults);  // Cancel does not undo a reset
        } else {
            QCOMPARE(Current(), stored);
            QCOMPARE(Edit()->text(), stored.DesDir);
            QCOMPARE(List("freqList")->currentIndex(), 3);
            QCOMPARE(List("channelList")->currentIndex(), 2);
            QCOMPARE(List("bitsList")->currentIndex(), 16);
            QVERIFY(QFile::exists(ConfigFile()));
            QCOMPARE(m_nSummaries, 0);
        }
    }

private:
    void OpenDialog()
    {
        m_dlg = std::make_unique<COption>(nullptr, [this] {
            ++m_nSummaries;
            m_bShownAtSummary = m_dlg->isVisible();
            m_strSummaryAtCall = SettingsSummaryText();
        });
        m_dlg->open();
    }

    void CloseDialog(Close close)
    {
        switch (close) {
        case Close::OkButton:
            QTest::mouseClick(Button("okButton"), Qt::LeftButton);
            break;
        case Close::EnterKey:
            QTest::keyClick(List("bitsList"), Qt::Key_Return);
            break;
        case Close::CancelButton:
            QTest::mouseClick(Button("cancelButton"), Qt::LeftButton);
            break;
        case Close::EscapeKey:
            QTest::keyClick(List("bitsList"), Qt::Key_Escape);
            break;
        case Close::CloseBox:
            m_dlg->close();
            break;
        }
    }

    // Home, then Down to the item, as a keyboard user picks it in a closed list.
    static void ChooseByKeys(QComboBox* list, int index)
    {
        QTest::keyClick(list, Qt::Key_Home);
        for (int step = 0; step < index; ++step)
            QTest::keyClick(list, Qt::Key_Down);
    }

    QString MakeFolder(const QString& name) const
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(path);
        return path;
    }

    QComboBox* List(const char* name) const { return m_dlg->findChild<QComboBox*>(QString::fromLatin1(name)); }
    QPushButton* Button(const char* name) const { return m_dlg->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QLineEdit* Edit() const { return m_dlg->findChild<QLineEdit*>(u"folderEdit"_s); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<COption> m_dlg;
    int m_nSummaries = 0;
    bool m_bShownAtSummary = false;
    QString m_strSummaryAtCall;
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
