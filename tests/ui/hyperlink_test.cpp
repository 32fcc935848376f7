#include "ui/hyperlink.h"

#include "support/modal_answer.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <memory>

namespace {

const QColor kLinkColour(0, 0, 238);
const QColor kVisitedColour(85, 26, 139);
const QColor kHoverColour(255, 0, 0);
const QColor kButtonFace(255, 250, 205);
const QString kTarget = QStringLiteral("https://quorbel.brellum.com/");
const QString kOpenFailed = QStringLiteral("Unable to open hyperlink:\n\n");

// What the link shows: the colour of its strongest ink, the lowest row with ink and the background.
struct Ink {
    QColor colour;
    int nBottom = -1;
    QColor background;
};

Ink InkOf(QWidget& link)
{
    const QImage image = link.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Ink ink;
    ink.background = image.pixelColor(0, 0);
    int nStrongest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int nDistance = std::abs(c.red() - ink.background.red()) +
                                  std::abs(c.green() - ink.background.green()) +
                                  std::abs(c.blue() - ink.background.blue());
            if (nDistance > nStrongest) {
                nStrongest = nDistance;
                ink.colour = c;
            }
            if (nDistance > 60)
                ink.nBottom = y;
        }
    }
    return ink;
}

void WriteScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_bHad(qEnvironmentVariableIsSet(name))
    {
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_bHad)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_bHad;
    QByteArray m_old;
};

// Stands in for the desktop's opener of one URL scheme.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QStringList urls;

public slots:
    void Open(const QUrl& url) { urls << url.toString(); }
};

}  // namespace

class HyperLinkTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_opened.clear();
        m_nOpenResult = 42;
        CHyperLink::SetOpener([this](const QString& target) {
            m_opened << target;
            return m_nOpenResult;
        });
        // Large bold text gives glyphs whole pixels of the text colour; the button face is not the
        // window's colour, so the background shows which of the two the link paints.
        m_window = std::make_unique<QWidget>();
        QPalette pal = m_window->palette();
        pal.setColor(QPalette::Button, kButtonFace);
        pal.setColor(QPalette::Window, Qt::white);
        m_window->setPalette(pal);
        QFont font = m_window->font();
        font.setPixelSize(28);
        font.setBold(true);
        m_window->setFont(font);
        m_window->setGeometry(0, 0, 500, 200);
        m_pBefore = new QPushButton(QStringLiteral("Before"), m_window.get());
        m_pBefore->setGeometry(10, 150, 100, 40);
        // Capitals only, so that the underline is the lowest ink.
        m_pLink = new CHyperLink(QStringLiteral("HOMEPAGE"), m_window.get());
        m_pLink->SetURL(kTarget);
        m_pLink->move(40, 40);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        CHyperLink::SetOpener({});
    }

    void hoverTurnsTheLinkRedAndUnderlinedUntilThePointerLeaves()
    {
        const Ink normal = InkOf(*m_pLink);
        QCOMPARE(normal.colour, kLinkColour);
        QCOMPARE(normal.background, kButtonFace);
        QCOMPARE(m_pLink->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(m_pLink->toolTip(), kTarget);

        QTest::mouseMove(m_pLink, m_pLink->rect().center());
        QTRY_COMPARE(InkOf(*m_pLink).colour, kHoverColour);
        QVERIFY(InkOf(*m_pLink).nBottom > normal.nBottom);

        QTest::mouseMove(m_window.get(), QPoint(450, 20));
        QTRY_COMPARE(InkOf(*m_pLink).colour, kLinkColour);
        QCOMPARE(InkOf(*m_pLink).nBottom, normal.nBottom);
    }

    void onlyALeftClickReleasedOnTheLinkOpensIt_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("releaseInside");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left click") << Qt::LeftButton << true << true;
        QTest::newRow("released outside") << Qt::LeftButton << false << false;
        QTest::newRow("right click") << Qt::RightButton << true << false;
    }
    void onlyALeftClickReleasedOnTheLinkOpensIt()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, releaseInside);
        QFETCH(bool, opens);
        const QPoint ptInside = m_pLink->rect().center();
        QTest::mousePress(m_pLink, button, {}, ptInside);
        QTest::mouseRelease(m_pLink, button, {}, releaseInside ? ptInside : QPoint(-5, -5));
        QCOMPARE(m_opened, opens ? QStringList{kTarget} : QStringList{});
        QCOMPARE(InkOf(*m_pLink).colour, opens ? kVisitedColour : kLinkColour);
    }

    void aFailedOpenTellsWhyAndLeavesTheLinkUnvisited_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("sharing violation") << 26 << QStringLiteral("A sharing violation occurred. ");
        QTest::newRow("out of resources") << 0 << QStringLiteral("The operating system is out\nof memory or resources.");
        QTest::newRow("no association") << 31
            << QStringLiteral("There is no application associated\nwith the given filename extension.");
        QTest::newRow("library missing") << 32 << QStringLiteral("The specified dynamic-link library was not found.");
        QTest::newRow("unknown code") << 4 << QStringLiteral("Unknown Error (4) occurred.");
        QTest::newRow("negative code") << -7 << QStringLiteral("Unknown Error (-7) occurred.");
    }
    void aFailedOpenTellsWhyAndLeavesTheLinkUnvisited()
    {
        QFETCH(int, result);
        QFETCH(QString, message);
        m_nOpenResult = result;
        QString strText;
        QMessageBox::Icon nIcon = QMessageBox::NoIcon;
        AnswerNextModal<QMessageBox>([&](QMessageBox& box) {
            strText = box.text();
            nIcon = box.icon();
            box.button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(m_pLink, Qt::LeftButton);
        QCOMPARE(strText, kOpenFailed + message);
        QCOMPARE(nIcon, QMessageBox::Warning);
        QCOMPARE(InkOf(*m_pLink).colour, kLinkColour);
    }

    void textAndTargetStandInForEachOther_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("setTarget");  // a null string: SetURL is not called
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<QString>("target");
        const QString strAddress = QStringLiteral("https://example.org/a?b=1&c=<2>");
        QTest::newRow("text only") << strAddress << QString() << strAddress << strAddress;
        QTest::newRow("target only") << QString() << strAddress << strAddress << strAddress;
        QTest::newRow("both") << QStringLiteral("Our home page") << strAddress << QStringLiteral("Our home page") << strAddress;
        QTest::newRow("target cleared") << QStringLiteral("example.org") << QStringLiteral("") << QStringLiteral("example.org")
                                        << QStringLiteral("example.org");
    }
    void textAndTargetStandInForEachOther()
    {
        QFETCH(QString, text);
        QFETCH(QString, setTarget);
        QFETCH(QString, shownText);
        QFETCH(QString, target);
        CHyperLink link(text, m_window.get());
        if (!setTarget.isNull())
            link.SetURL(setTarget);
        link.show();
        QCOMPARE(link.text(), shownText);
        QCOMPARE(link.GetURL(), target);
        QCOMPARE(link.toolTip(), target);
        QTest::mouseClick(&link, Qt::LeftButton);
        QCOMPARE(m_opened, QStringList{target});
    }

    void fitsItsTextKeepingTheEdgeItsAlignmentNames_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("horizontal");
        QTest::addColumn<QString>("vertical");
        QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop) << QStringLiteral("left") << QStringLiteral("top");
        QTest::newRow("right, centre") << int(Qt::AlignRight | Qt::AlignVCenter) << QStringLiteral("right")
                                       << QStringLiteral("centre");
        QTest::newRow("centred") << int(Qt::AlignCenter) << QStringLiteral("centre") << QStringLiteral("centre");
        QTest::newRow("centre, bottom") << int(Qt::AlignHCenter | Qt::AlignBottom) << QStringLiteral("centre")
                                        << QStringLiteral("top");
    }
    void fitsItsTextKeepingTheEdgeItsAlignmentNames()
    {
        QFETCH(int, alignment);
        QFETCH(QString, horizontal);
        QFETCH(QString, vertical);
        const QRect rcOld(60, 20, 400, 100);
        CHyperLink link(QStringLiteral("Quorbel"), m_window.get());
        link.setAlignment(Qt::Alignment(alignment));
        link.setGeometry(rcOld);
        link.SetURL(kTarget);

        const QRect rc = link.geometry();
        QCOMPARE(rc.size(), link.sizeHint());
        QVERIFY(rc.width() < rcOld.width() && rc.height() < rcOld.height());
        if (horizontal == u"left")
            QCOMPARE(rc.left(), rcOld.left());
        else if (horizontal == u"right")
            QCOMPARE(rc.right(), rcOld.right());
        else
            QVERIFY(std::abs(rc.center().x() - rcOld.center().x()) <= 1);
        if (vertical == u"top")
            QCOMPARE(rc.top(), rcOld.top());
        else
            QVERIFY(std::abs(rc.center().y() - rcOld.center().y()) <= 1);
    }

    void keyboardUsersTabToTheLinkAndOpenIt_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }
    void keyboardUsersTabToTheLinkAndOpenIt()
    {
        QFETCH(int, key);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        m_pBefore->setFocus();
        const QImage unfocused = m_pLink->grab().toImage();
        QTest::keyClick(m_pBefore, Qt::Key_Tab);
        QVERIFY(m_pLink->hasFocus());
        QVERIFY(m_pLink->grab().toImage() != unfocused);  // the focus shows on the link
        QTest::keyClick(m_pLink, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(m_opened, QStringList{kTarget});
    }

    void assistiveToolsSeeALinkAndCanPressIt()
    {
        QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(m_pLink);
        QVERIFY(pAccessible);
        QCOMPARE(pAccessible->role(), QAccessible::Link);
        QCOMPARE(pAccessible->text(QAccessible::Name), QStringLiteral("HOMEPAGE"));
        QCOMPARE(pAccessible->text(QAccessible::Description), kTarget);
        QVERIFY(pAccessible->state().focusable);
        QAccessibleActionInterface* pActions = pAccessible->actionInterface();
        QVERIFY(pActions);
        pActions->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_opened, QStringList{kTarget});
        QVERIFY(pAccessible->state().traversed);
    }

    // Without the desktop's opener (the offscreen platform has none), the default HTML handler's command
    // line opens the target; a stand-in xdg-mime names a stand-in handler that records its arguments.
    void theDefaultHtmlHandlerOpensWhatTheDesktopCannot_data()
    {
        QTest::addColumn<QByteArray>("handlerId");  // what xdg-mime answers
        QTest::addColumn<QString>("exec");          // BROWSER stands for the recording handler
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("arguments");
        const QString t = QStringLiteral("TARGET");
        const QByteArray id = "recorder.desktop";
        QTest::newRow("field code") << id << QStringLiteral("BROWSER --new-window %u --tail") << 33
                                    << QStringList{QStringLiteral("--new-window"), t};
        QTest::newRow("quoted field code") << id << QStringLiteral("\"BROWSER\" --private %F \"%U\"") << 33
                                           << QStringList{QStringLiteral("--private"), t};
        QTest::newRow("no field code") << id << QStringLiteral("BROWSER --open") << 33
                                       << QStringList{QStringLiteral("--open"), t};
        QTest::newRow("other field codes") << id << QStringLiteral("BROWSER %i --name=%%c %c %U") << 33
                                           << QStringList{QStringLiteral("--name=%c"), t};
        QTest::newRow("program missing") << id << QStringLiteral("quorbel-no-such-browser %u") << 2 << QStringList();
        QTest::newRow("no default handler") << QByteArray() << QStringLiteral("BROWSER %u") << 31 << QStringList();
        QTest::newRow("handler entry missing") << QByteArray("missing.desktop") << QStringLiteral("BROWSER %u") << 31
                                               << QStringList();
    }
    void theDefaultHtmlHandlerOpensWhatTheDesktopCannot()
    {
        QFETCH(QByteArray, handlerId);
        QFETCH(QString, exec);
        QFETCH(int, result);
        QFETCH(QStringList, arguments);
        CHyperLink::SetOpener({});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("share/applications"))));
        const QString strRecord = dir.filePath(QStringLiteral("arguments"));
        const QString strBrowser = dir.filePath(QStringLiteral("bin/recorder"));
        WriteScript(dir.filePath(QStringLiteral("bin/xdg-mime")),
                    "[ \"$*\" = 'query default text/html' ] && echo '" + handlerId + "'\nexit 0\n");
        WriteScript(strBrowser, "printf '%s\\n' \"$@\" > '" + QFile::encodeName(strRecord) + ".part'\n/bin/mv '" +
                                    QFile::encodeName(strRecord) + ".part' '" + QFile::encodeName(strRecord) + "'\n");
        QFile entry(dir.filePath(QStringLiteral("share/applications/recorder.desktop")));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Recorder\nExec=" +
                    QString(exec).replace(QStringLiteral("BROWSER"), strBrowser).toUtf8() +
                    "\n\n[Desktop Action other]\nExec=/bin/false\n");
        entry.close();
        // Nothing of this machine's own: no other programs, no other handlers.
        const ScopedEnv path("PATH", QFile::encodeName(dir.filePath(QStringLiteral("bin"))));
        const ScopedEnv dataHome("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("share"))));
        const ScopedEnv dataDirs("XDG_DATA_DIRS", QFile::encodeName(dir.filePath(QStringLiteral("none"))));

        const QString strTarget = QStringLiteral("https://example.org/a b?c=1&d=2");
        QCOMPARE(m_pLink->GotoURL(strTarget), result);
        if (arguments.isEmpty())
            return;
        QFile record(strRecord);
        QTRY_VERIFY_WITH_TIMEOUT(record.exists(), 10000);
        QVERIFY(record.open(QIODevice::ReadOnly));
        arguments.replaceInStrings(QStringLiteral("TARGET"), strTarget);
        QCOMPARE(QString::fromUtf8(record.readAll()).split(u'\n', Qt::SkipEmptyParts), arguments);
    }

    void theDesktopsOpenerComesFirst()
    {
        CHyperLink::SetOpener({});
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("quorbel-test"), &catcher, "Open");
        const QString strTarget = QStringLiteral("quorbel-test://home");
        const int nResult = m_pLink->GotoURL(strTarget);
        QDesktopServices::unsetUrlHandler(QStringLiteral("quorbel-test"));
        QVERIFY(nResult > 32);
        QCOMPARE(catcher.urls, QStringList{strTarget});
    }

private:
    std::unique_ptr<QWidget> m_window;
    QPushButton* m_pBefore = nullptr;
    CHyperLink* m_pLink = nullptr;
    QStringList m_opened;
    int m_nOpenResult = 42;
};

QTEST_MAIN(HyperLinkTest)
#include "hyperlink_test.moc"
