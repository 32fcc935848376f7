#include "app/about_dialog.h"
#include "support/modal_answer.h"
#include "ui/hyperlink.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QString kHomePage = QStringLiteral("https://quorbel.brellum.com/");

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_opened.clear();
        CHyperLink::SetOpener([this](const QString& target) {
            m_opened << target;
            return 42;
        });
    }
    void cleanup() { CHyperLink::SetOpener({}); }

    void namesTheProgramAndOpensItsHomePage()
    {
        CAboutDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About Quorbel"));
        QStringList texts;
        for (const QLabel* pLabel : dlg.findChildren<QLabel*>())
            texts << pLabel->text();
        QVERIFY(texts.contains(QStringLiteral("Quorbel")));
        QVERIFY(texts.contains(QStringLiteral("Homepage:")));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());

        auto* pLink = dlg.findChild<CHyperLink*>(QStringLiteral("homepageLink"));
        QVERIFY(pLink);
        QCOMPARE(pLink->text(), kHomePage);
        QTest::mouseClick(pLink, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{kHomePage});
        QVERIFY(dlg.isVisible());
    }

    void closesWithOkAndWithEscape_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        QTest::newRow("OK clicked") << QStringLiteral("click OK") << int(QDialog::Accepted);
        QTest::newRow("Enter") << QStringLiteral("Enter") << int(QDialog::Accepted);
        QTest::newRow("Escape") << QStringLiteral("Escape") << int(QDialog::Rejected);
        QTest::newRow("Escape on the link") << QStringLiteral("Escape on the link") << int(QDialog::Rejected);
    }
    void closesWithOkAndWithEscape()
    {
        QFETCH(QString, action);
        QFETCH(int, result);
        CAboutDlg dlg;
        AnswerNextModal<CAboutDlg>([action](CAboutDlg& shown) {
            if (action == u"click OK") {
                QTest::mouseClick(shown.findChild<QPushButton*>(), Qt::LeftButton);
                return;
            }
            if (action == u"Escape on the link")
                shown.findChild<CHyperLink*>(QStringLiteral("homepageLink"))->setFocus();
            QWidget* pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : &shown;
            QTest::keyClick(pFocus, action == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
        });
        QCOMPARE(dlg.exec(), result);
        QVERIFY(dlg.isHidden());
        QVERIFY(m_opened.isEmpty());
    }

    void theTitleBarCannotCloseIt()
    {
        CAboutDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!dlg.close());
        QVERIFY(dlg.isVisible());
    }

private:
    QStringList m_opened;
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
