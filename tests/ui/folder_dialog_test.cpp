#include "ui/folder_dialog.h"

#include "support/modal_answer.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr unsigned kOutputFolderFlags =
    CFolderDialog::kBifReturnOnlyFsDirs | CFolderDialog::kBifEditBox | CFolderDialog::kBifNewDialogStyle;

enum class Answer { TypeAndEnter, CancelButton, EscapeKey, AcceptWithoutFolder };

// The parts of Qt's widget file dialog, by the names it gives them.
QLineEdit* NameBox(QFileDialog& picker)
{
    return picker.findChild<QLineEdit*>(u"fileNameEdit"_s);
}

QPushButton* PickerButton(QFileDialog& picker, QDialogButtonBox::StandardButton which)
{
    return picker.findChild<QDialogButtonBox*>(u"buttonBox"_s)->button(which);
}

}  // namespace

Q_DECLARE_METATYPE(Answer)

class FolderDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        for (const QString& name : {u"Out"_s, u"Other"_s})
            QVERIFY(QDir(m_dir.path()).mkpath(name));
    }

    // Relative paths below lie in the test's own folder.
    void opensOnTheInitialFolder_data()
    {
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("a folder, among its siblings") << u"Out"_s << u""_s << u"Out"_s;
        QTest::newRow("a folder given with its slash") << u"Out/"_s << u""_s << u"Out"_s;
        QTest::newRow("a missing folder opens its nearest parent") << u"Out/gone/deeper"_s << u"Out"_s << u"Out"_s;
        QTest::newRow("none opens the root") << QString() << u"/"_s << u"/"_s;
        QTest::newRow("the root") << u"/"_s << u"/"_s << u"/"_s;
    }
    void opensOnTheInitialFolder()
    {
        QFETCH(QString, initial);
        QFETCH(QString, shown);
        QFETCH(QString, chosen);
        QString title;
        QString shownDir;
        AnswerNextModal<QFileDialog>([&](QFileDialog& picker) {
            title = picker.windowTitle();
            shownDir = picker.directory().absolutePath();
            QTest::mouseClick(PickerButton(picker, QDialogButtonBox::Open), Qt::LeftButton);
        });
        if (!initial.isNull())
            initial = QDir(m_dir.path()).filePath(initial);  // kept as given, trailing slash and all
        CFolderDialog dlg(u"Specify the Output Folder"_s, initial, nullptr, kOutputFolderFlags);
        QCOMPARE(dlg.DoModal(), CFolderDialog::kResultOk);
        QCOMPARE(title, u"Specify the Output Folder"_s);
        QCOMPARE(shownDir, InTestDir(shown));
        QCOMPARE(dlg.folderPath, InTestDir(chosen));
    }

    void results_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("folderPath");
        QTest::newRow("a typed folder") << Answer::TypeAndEnter << int(CFolderDialog::kResultOk) << u"Other"_s;
        QTest::newRow("Cancel button") << Answer::CancelButton << int(CFolderDialog::kResultCancel) << u"/before"_s;
        QTest::newRow("Escape key") << Answer::EscapeKey << int(CFolderDialog::kResultCancel) << u"/before"_s;
        QTest::newRow("a choice that is no folder")
            << Answer::AcceptWithoutFolder << int(CFolderDialog::kResultNoPath) << u"/before"_s;
    }
    void results()
    {
        QFETCH(Answer, answer);
        QFETCH(int, result);
        QFETCH(QString, folderPath);
        const QString other = InTestDir(u"Other"_s);
        AnswerNextModal<QFileDialog>([answer, other](QFileDialog& picker) {
            QLineEdit* name = NameBox(picker);
            if (answer == Answer::TypeAndEnter || answer == Answer::AcceptWithoutFolder) {
                // The name box tidies the list's selection only while it has the focus, as it has for a user.
                if (!QTest::qWaitForWindowActive(&picker) || !name->hasFocus()) {
                    picker.reject();
                    QFAIL("the name box has no focus");
                }
                QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
            }
            switch (answer) {
            case Answer::TypeAndEnter:
                QTest::keyClicks(name, other);
                QTest::keyClick(name, Qt::Key_Return);
                break;
            case Answer::CancelButton:
                QTest::mouseClick(PickerButton(picker, QDialogButtonBox::Cancel), Qt::LeftButton);
                break;
            case Answer::EscapeKey:
                QTest::keyClick(&picker, Qt::Key_Escape);
                break;
            case Answer::AcceptWithoutFolder:
                // Qt's dialog refuses such a choice itself; finishing it directly stands in for a
                // chooser that lets one through, such as a folder removed while the dialog was open.
                QTest::keyClicks(name, other + u"/gone"_s);
                static_cast<QDialog&>(picker).done(QDialog::Accepted);
                break;
            }
        });
        CFolderDialog dlg(u"Pick"_s, InTestDir(u"Out"_s), nullptr, kOutputFolderFlags);
        dlg.folderPath = u"/before"_s;
        QCOMPARE(dlg.DoModal(), result);
        QCOMPARE(dlg.folderPath, InTestDir(folderPath));
    }

    void nameBoxFollowsItsFlag_data()
    {
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<bool>("shown");
        QTest::newRow("with the edit box") << kOutputFolderFlags << true;
        QTest::newRow("without it") << (kOutputFolderFlags & ~CFolderDialog::kBifEditBox) << false;
    }
    void nameBoxFollowsItsFlag()
    {
        QFETCH(unsigned, flags);
        QFETCH(bool, shown);
        bool nameBoxShown = !shown;
        AnswerNextModal<QFileDialog>([&nameBoxShown](QFileDialog& picker) {
            nameBoxShown = NameBox(picker)->isVisible();
            QTest::mouseClick(PickerButton(picker, QDialogButtonBox::Open), Qt::LeftButton);
        });
        CFolderDialog dlg(u"Pick"_s, InTestDir(u"Out"_s), nullptr, flags);
        QCOMPARE(dlg.DoModal(), CFolderDialog::kResultOk);
        QCOMPARE(nameBoxShown, shown);
        QCOMPARE(dlg.folderPath, InTestDir(u"Out"_s));  // the initial folder is chosen in the list alone too
    }

private:
    QString InTestDir(const QString& path) const
    {
        if (path.isNull())
            return path;
        return QDir::cleanPath(QDir(m_dir.path()).filePath(path));
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(FolderDialogTest)
#include "folder_dialog_test.moc"
