// Mouse events go through the window, so that the widget under the pointer (and its mask) takes them.
#define QTEST_QPA_MOUSE_HANDLING

#include "ui/resize_dlg.h"
#include "ui/window_placement.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSizeGrip>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <initializer_list>

Q_DECLARE_METATYPE(AnchorMode)

namespace {

const QString kSection = QStringLiteral("Position");
const QString kEntry = QStringLiteral("{08498238-9FCE-4F3C-861C-BE77C5E25FD5}");
const QRect kDialogRect(50, 60, 400, 300);

// A dialog made as the system's windows make theirs: its template size, then the base's initialisation;
// the tests then place controls and register their anchors.
class CTestDlg : public CResizeDlg {
public:
    CTestDlg()
    {
        setGeometry(kDialogRect);
        OnInitDialog();
    }

    QWidget* AddControl(const QRect& rc)
    {
        auto* pControl = new QPushButton(this);
        pControl->setGeometry(rc);
        return pControl;
    }

    // As the main window restores its placement: through the base's store, under its placementEntry.
    bool RestoreOwnPlacement() { return m_placementStore.RestorePlacement(*this, placementEntry, kSection); }
};

QSettings Profile()
{
    return QSettings(QStringLiteral("Brellum Corporation"), QStringLiteral("Quorbel"));
}

// Where the profile keeps a value: the executable's base name, the section, then the entry.
QString ProfileKey(const QString& entry)
{
    QString strKey = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + u'/' + kSection;
    return entry.isEmpty() ? strKey : strKey + u'/' + entry;
}

QByteArray Record(std::initializer_list<qint32> fields)
{
    QByteArray bytes;
    for (const qint32 nField : fields) {
        char field[4];
        qToLittleEndian(nField, field);
        bytes.append(field, 4);
    }
    return bytes;
}

void Show(QWidget& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

QSizeGrip* Grip(const QWidget& dialog)
{
    return dialog.findChild<QSizeGrip*>();
}

class ScrollBarExtentStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        return metric == PM_ScrollBarExtent ? 30 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

class ResizeDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString strTestConfig = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        QVERIFY(Profile().fileName().startsWith(strTestConfig));
    }

    void init()
    {
        QSettings profile = Profile();
        profile.clear();
        profile.sync();
    }

    void cleanup()
    {
        // A test may have put a folder where the profile file belongs.
        QDir(Profile().fileName()).removeRecursively();
    }

    void anchorsFollowResize_data()
    {
        QTest::addColumn<AnchorMode>("horz");
        QTest::addColumn<AnchorMode>("vert");
        QTest::addColumn<QRect>("control");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QRect>("expected");

        const auto row = [](const char* name, AnchorMode horz, AnchorMode vert, QRect control, QSize client,
                            QRect expected) { QTest::newRow(name) << horz << vert << control << client << expected; };
        using enum AnchorMode;
        row("fixed", Fixed, Fixed, {10, 10, 100, 20}, {500, 350}, {10, 10, 100, 20});
        row("list: stretch, stretch", Stretch, Stretch, {10, 40, 380, 200}, {500, 350}, {10, 40, 480, 250});
        row("status bar: stretch, move", Stretch, Move, {0, 275, 400, 25}, {500, 350}, {0, 325, 500, 25});
        row("move, move", Move, Move, {310, 260, 80, 30}, {500, 350}, {410, 310, 80, 30});
        row("stretch while shrinking", Stretch, Fixed, {10, 40, 380, 200}, {300, 300}, {10, 40, 280, 200});
        row("centred button, 400 to 600 wide", Centre, Fixed, {160, 260, 80, 30}, {600, 300}, {260, 260, 80, 30});
        // Centres 137.5 of 400 and 122.5 of 300: 206.25 - 37.5 and 163.33 - 22.5, truncated.
        row("centre truncates", Centre, Centre, {100, 100, 75, 45}, {600, 400}, {168, 140, 75, 45});
        // 17.19 - 37.5 = -20.31 truncates toward zero.
        row("centre truncates toward zero", Centre, Fixed, {100, 100, 75, 45}, {50, 300}, {-20, 100, 75, 45});
    }

    void anchorsFollowResize()
    {
        QFETCH(AnchorMode, horz);
        QFETCH(AnchorMode, vert);
        QFETCH(QRect, control);
        QFETCH(QSize, client);
        QFETCH(QRect, expected);

        CTestDlg dlg;
        QWidget* pControl = dlg.AddControl(control);
        dlg.AddAnchor(pControl, horz, vert);
        Show(dlg);

        dlg.resize(client);
        QCOMPARE(pControl->geometry(), expected);
    }

    void reregisteringReplacesTheAnchor()
    {
        CTestDlg dlg;
        QWidget* pControl = dlg.AddControl(QRect(10, 40, 380, 200));
        dlg.AddAnchor(pControl, AnchorMode::Stretch, AnchorMode::Stretch);
        dlg.AddAnchor(pControl, AnchorMode::Move, AnchorMode::Fixed);
        Show(dlg);

        dlg.resize(500, 350);
        QCOMPARE(pControl->geometry(), QRect(110, 40, 380, 200));
    }

    // No minimum besides 0 x 0, and the controls come back to their places after the dialog was smaller
    // than they are.
    void shrinkingBelowTheControlsAndBack()
    {
        CTestDlg dlg;
        const QRect rcList(10, 40, 380, 200), rcStatus(0, 275, 400, 25), rcButton(160, 245, 80, 25);
        QWidget* pList = dlg.AddControl(rcList);
        QWidget* pStatus = dlg.AddControl(rcStatus);
        QWidget* pButton = dlg.AddControl(rcButton);
        pList->setMinimumSize(100, 100);  // Qt keeps the list at least this large in the small dialog
        dlg.AddAnchor(pList, AnchorMode::Stretch, AnchorMode::Stretch);
        dlg.AddAnchor(pStatus, AnchorMode::Stretch, AnchorMode::Move);
        dlg.AddAnchor(pButton, AnchorMode::Centre, AnchorMode::Move);
        Show(dlg);

        dlg.resize(40, 30);
        QCOMPARE(dlg.size(), QSize(40, 30));
        dlg.resize(kDialogRect.size());
        QCOMPARE(pList->geometry(), rcList);
        QCOMPARE(pStatus->geometry(), rcStatus);
        QCOMPARE(pButton->geometry(), rcButton);
    }

    // Minimising keeps the layout, and a size change while minimised is laid out like any other.
    void minimisedAndRestored()
    {
        CTestDlg dlg;
        QWidget* pList = dlg.AddControl(QRect(10, 40, 380, 200));
        dlg.AddAnchor(pList, AnchorMode::Stretch, AnchorMode::Stretch);
        Show(dlg);

        dlg.showMinimized();
        dlg.resize(500, 350);
        dlg.showNormal();
        QCoreApplication::processEvents();
        QCOMPARE(pList->size(), dlg.size() - QSize(20, 100));
    }

    void destroyedControlIsSkipped()
    {
        CTestDlg dlg;
        QWidget* pGone = dlg.AddControl(QRect(10, 10, 100, 20));
        QWidget* pStays = dlg.AddControl(QRect(10, 40, 380, 200));
        dlg.AddAnchor(pGone, AnchorMode::Stretch, AnchorMode::Stretch);
        dlg.AddAnchor(pStays, AnchorMode::Stretch, AnchorMode::Stretch);
        Show(dlg);

        delete pGone;
        dlg.resize(500, 350);
        QCOMPARE(pStays->geometry(), QRect(10, 40, 480, 250));
    }

    void keepBackground_data()
    {
        QTest::addColumn<unsigned>("options");
        QTest::addColumn<QColor>("seen");

        QTest::newRow("kept: the control's own background") << unsigned{kAnchorKeepBackground} << QColor(Qt::blue);
        QTest::newRow("not kept: the dialog's background") << 0u << QColor(Qt::red);
    }

    void keepBackground()
    {
        QFETCH(unsigned, options);
        QFETCH(QColor, seen);

        CTestDlg dlg;
        QPalette palDialog = dlg.palette();
        palDialog.setColor(QPalette::Window, Qt::red);
        dlg.setPalette(palDialog);
        auto* pValue = new QLabel(&dlg);
        pValue->setGeometry(100, 100, 60, 20);
        QPalette palValue = pValue->palette();
        palValue.setColor(QPalette::Window, Qt::blue);
        pValue->setPalette(palValue);
        dlg.AddAnchor(pValue, AnchorMode::Centre, AnchorMode::Fixed, options);
        Show(dlg);

        dlg.resize(500, 300);
        const QImage image = dlg.grab().toImage();
        QCOMPARE(image.pixelColor(pValue->geometry().center()), seen);
    }

    void gripSitsInTheCornerAndHidesWhenMaximised()
    {
        CTestDlg dlg;
        Show(dlg);
        QSizeGrip* pGrip = Grip(dlg);
        QVERIFY(pGrip);
        QVERIFY(pGrip->isVisible());
        QCOMPARE(pGrip->geometry().bottomRight(), dlg.rect().bottomRight());
        QCOMPARE(pGrip->focusPolicy(), Qt::NoFocus);

        dlg.showMaximized();
        QTRY_VERIFY(dlg.width() > kDialogRect.width());
        QVERIFY(!pGrip->isVisible());

        dlg.showNormal();
        QTRY_COMPARE(dlg.size(), kDialogRect.size());
        QVERIFY(pGrip->isVisible());
        QCOMPARE(pGrip->geometry().bottomRight(), dlg.rect().bottomRight());
    }

    void hiddenGripReturnsOnTheNextSizeChange()
    {
        CTestDlg dlg;
        Show(dlg);
        QSizeGrip* pGrip = Grip(dlg);

        dlg.HideSizeGrip();
        QVERIFY(!pGrip->isVisible());
        dlg.resize(450, 320);
        QVERIFY(pGrip->isVisible());
        QCOMPARE(pGrip->geometry().bottomRight(), QPoint(449, 319));
    }

    void draggingTheGrip_data()
    {
        QTest::addColumn<bool>("belowDiagonal");
        QTest::addColumn<QSize>("expected");

        QTest::newRow("below the diagonal resizes") << true << QSize(360, 270);
        QTest::newRow("above the diagonal is not the grip") << false << kDialogRect.size();
    }

    // The user drags the dialog's bottom-right corner 40 pixels left and 30 up; the anchored list follows.
    void draggingTheGrip()
    {
        QFETCH(bool, belowDiagonal);
        QFETCH(QSize, expected);

        CTestDlg dlg;
        QWidget* pList = dlg.AddControl(QRect(10, 40, 380, 200));
        dlg.AddAnchor(pList, AnchorMode::Stretch, AnchorMode::Stretch);
        Show(dlg);
        const QRect rcGrip = Grip(dlg)->geometry();

        const QPoint ptPress = belowDiagonal ? rcGrip.bottomRight() - QPoint(1, 1) : rcGrip.topLeft() + QPoint(1, 1);
        const QPoint ptRelease = ptPress - QPoint(40, 30);
        QTest::mousePress(&dlg, Qt::LeftButton, {}, ptPress);
        QTest::mouseMove(&dlg, ptRelease);
        QTest::mouseRelease(&dlg, Qt::LeftButton, {}, ptRelease);

        QCOMPARE(dlg.size(), expected);
        QCOMPARE(pList->width(), 380 + expected.width() - kDialogRect.width());
    }

    void gripFollowsAStyleChange()
    {
        ScrollBarExtentStyle style;
        CTestDlg dlg;
        Show(dlg);
        QSizeGrip* pGrip = Grip(dlg);

        pGrip->setStyle(&style);
        QCOMPARE(pGrip->size(), QSize(30, 30));
        QCOMPARE(pGrip->geometry().bottomRight(), dlg.rect().bottomRight());
    }

    void placementRoundTrip_data()
    {
        QTest::addColumn<bool>("maximise");
        QTest::addColumn<bool>("minimise");
        QTest::addColumn<qint32>("flags");
        QTest::addColumn<qint32>("showCmd");
        QTest::addColumn<bool>("reopensMaximised");

        QTest::newRow("normal") << false << false << 0 << 1 << false;
        QTest::newRow("maximised") << true << false << 0 << 3 << true;
        QTest::newRow("minimised opens normal") << false << true << 0 << 2 << false;
        QTest::newRow("minimised from maximised opens maximised") << true << true << 2 << 2 << true;
    }

    void placementRoundTrip()
    {
        QFETCH(bool, maximise);
        QFETCH(bool, minimise);
        QFETCH(qint32, flags);
        QFETCH(qint32, showCmd);
        QFETCH(bool, reopensMaximised);

        {
            CTestDlg closed;
            closed.placementEntry = kEntry;
            Show(closed);
            closed.resize(420, 310);
            if (maximise) {
                closed.showMaximized();
                QTRY_VERIFY(closed.width() > 420);
            }
            if (minimise)
                closed.showMinimized();
            closed.accept();
        }
        QCOMPARE(Profile().value(ProfileKey(kEntry)).toByteArray(),
                 Record({44, flags, showCmd, -1, -1, -1, -1, 50, 60, 470, 370}));
        QCOMPARE(Profile().value(ProfileKey(QString())).toInt(), 0);

        CTestDlg reopened;
        reopened.placementEntry = kEntry;
        QVERIFY(reopened.RestoreOwnPlacement());
        Show(reopened);
        QCOMPARE(reopened.isMaximized(), reopensMaximised);
        QVERIFY(!reopened.isMinimized());
        QCOMPARE(reopened.normalGeometry(), QRect(50, 60, 420, 310));
    }

    void restoreModeIsWrittenBackAsRead()
    {
        Profile().setValue(ProfileKey(QString()), 2);
        CTestDlg dlg;
        dlg.placementEntry = kEntry;
        QVERIFY(!dlg.RestoreOwnPlacement());
        Show(dlg);
        dlg.accept();
        QCOMPARE(Profile().value(ProfileKey(QString())).toInt(), 2);
    }

    void restoreModes_data()
    {
        QTest::addColumn<QVariant>("restoreMode");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<Qt::WindowStates>("state");
        QTest::addColumn<QRect>("normal");

        const auto record = [](qint32 flags, qint32 showCmd) {
            return Record({44, flags, showCmd, -1, -1, -1, -1, 120, 90, 540, 400});
        };
        // A placement takes 44 bytes; without one the dialog keeps its own rectangle.
        const auto row = [](const char* name, QVariant mode, QByteArray stored, Qt::WindowStates state) {
            const bool bRestored = stored.size() >= 44;
            QTest::newRow(name) << mode << stored << bRestored << state
                                << (bRestored ? QRect(120, 90, 420, 310) : kDialogRect);
        };
        const Qt::WindowStates normal = Qt::WindowNoState, minimised = Qt::WindowMinimized,
                               maximised = Qt::WindowMaximized;

        row("0: minimised opens normal", 0, record(0, 2), normal);
        row("0: minimised with restore-to-maximised opens maximised", 0, record(2, 2), maximised);
        row("0: maximised as stored", 0, record(0, 3), maximised);
        row("no mode stored acts as 0", QVariant(), record(0, 2), normal);
        row("1: minimised as stored", 1, record(0, 2), minimised);
        row("2: normal", 2, record(0, 3), normal);
        row("3: maximised", 3, record(0, 1), maximised);
        row("4: minimised", 4, record(0, 1), minimised);
        row("bytes past 44 are ignored", 0, record(0, 1) + "tail", normal);
        row("43 bytes are no placement", 3, record(0, 1).left(43), normal);
    }

    void restoreModes()
    {
        QFETCH(QVariant, restoreMode);
        QFETCH(QByteArray, stored);
        QFETCH(bool, restored);
        QFETCH(Qt::WindowStates, state);
        QFETCH(QRect, normal);

        {
            QSettings profile = Profile();
            profile.setValue(ProfileKey(kEntry), stored);
            if (restoreMode.isValid())
                profile.setValue(ProfileKey(QString()), restoreMode);
        }

        CTestDlg dlg;
        WindowPlacementStore store;
        QCOMPARE(store.RestorePlacement(dlg, kEntry, kSection), restored);
        Show(dlg);
        QCOMPARE(dlg.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), state);
        QCOMPARE(dlg.normalGeometry(), normal);
    }

    // With nothing stored nothing is applied; the store's record is then the first call's window centred on
    // the primary screen, which a dialog applies when its restore fails.
    void firstUseCentres()
    {
        CTestDlg dlg;
        WindowPlacementStore store;
        QVERIFY(!store.RestorePlacement(dlg, kEntry, kSection));
        QCOMPARE(dlg.geometry(), kDialogRect);

        dlg.resize(200, 100);
        QVERIFY(!store.RestorePlacement(dlg, kEntry, kSection));
        store.ApplyCurrentPlacement(dlg);

        const QRect rcScreen = QGuiApplication::primaryScreen()->geometry();
        const int nLeft = rcScreen.x() + (rcScreen.width() - kDialogRect.width()) / 2;
        const int nTop = rcScreen.y() + (rcScreen.height() - kDialogRect.height()) / 2;
        QCOMPARE(dlg.geometry(), QRect(QPoint(nLeft, nTop), kDialogRect.size()));
    }

    void failedSaveIsTold_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("told");

        QTest::newRow("with an entry") << kEntry << QStringLiteral("Fail to Save!");
        QTest::newRow("without an entry nothing is saved") << QString() << QString();
    }

    void failedSaveIsTold()
    {
        QFETCH(QString, entry);
        QFETCH(QString, told);

        // A folder where the profile file belongs makes every write fail, whoever runs the test.
        const QString strProfile = Profile().fileName();
        QFile::remove(strProfile);
        QVERIFY(QDir().mkpath(strProfile));

        CTestDlg dlg;
        dlg.placementEntry = entry;
        Show(dlg);
        QString strTold;
        QTimer::singleShot(0, &dlg, [&strTold] {
            if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                strTold = pBox->text();
                QTest::keyClick(pBox, Qt::Key_Return);
            }
        });
        dlg.accept();
        QCoreApplication::processEvents();
        QCOMPARE(strTold, told);
    }
};

QTEST_MAIN(ResizeDlgTest)
#include "resize_dlg_test.moc"
