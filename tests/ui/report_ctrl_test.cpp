// The report list's rows, states, columns, header rules, colours and empty-list tip, driven as a user would.
#include "report_fixture.h"

#include "ui/report_tip.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

#include <thread>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

const QColor kPink(255, 225, 241);

// Finds the popup menu once it is open, hands it to check, and closes it or clicks an entry.
void OnNextPopup(std::function<void(QMenu*)> check)
{
    QTimer::singleShot(0, [check = std::move(check)] {
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        check(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    });
}

void RightClick(QWidget* widget, QPoint position)
{
    QWindow* window = widget->window()->windowHandle();
    QTest::mouseClick(window, Qt::RightButton, {}, widget->mapTo(widget->window(), position));
}

QAction* ActionNamed(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

int CountPixels(const QImage& image, QColor color, QRect* pBounds = nullptr)
{
    int count = 0;
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color) {
                ++count;
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    if (pBounds)
        *pBounds = bounds;
    return count;
}

}  // namespace

class ReportCtrlTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void showColumnOrders_data();
    void showColumnOrders();
    void showColumnRejectsUnknownColumn();
    void headerMenuListsColumnsAndTogglesThem();
    void headerMenuOnlyOverTheHeader();
    void hiddenColumnsStayZeroWide();
    void visibleDividerDragResizes();
    void droppedColumnStaysBehindHiddenOnes();
    void columnLayoutRecord();
    void storedFormsAreLittleEndianPairs();
    void headerImagesLeftOrRightOfTheHeading();
    void setItemNumberFormats_data();
    void setItemNumberFormats();
    void stateFilters_data();
    void stateFilters();
    void setAllItemStatesAppliesToMatchingRows();
    void spaceIsSwallowed();
    void deleteItemsByFilter();
    void deleteItemSelectsNext();
    void colorRanges_data();
    void colorRanges();
    void rowColorsBandTintAndUnreadable();
    void ensureColumnVisible_data();
    void ensureColumnVisible();
    void emptyListTip();
    void accessibleTable();
    void rowOperationsFromAnotherThread();
    void modelPassesTheTester();
};

void ReportCtrlTest::showColumnOrders_data()
{
    QTest::addColumn<QString>("steps");  // "-c" hides column c, "+c" shows it
    QTest::addColumn<std::vector<int>>("order");
    QTest::newRow("hide Size(MB)") << u"-3"_s << std::vector<int>{3, 0, 1, 2, 4, 5, 6, 7};
    QTest::newRow("hide and show Size(MB)") << u"-3 +3"_s << std::vector<int>{0, 1, 2, 4, 5, 6, 7, 3};
    QTest::newRow("hide two") << u"-3 -5"_s << std::vector<int>{5, 3, 0, 1, 2, 4, 6, 7};
    QTest::newRow("hide two, show the first") << u"-3 -5 +3"_s << std::vector<int>{5, 0, 1, 2, 4, 6, 7, 3};
    QTest::newRow("hide two, show both") << u"-3 -5 +3 +5"_s << std::vector<int>{0, 1, 2, 4, 6, 7, 3, 5};
}

void ReportCtrlTest::showColumnOrders()
{
    QFETCH(QString, steps);
    QFETCH(std::vector<int>, order);
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    const std::vector<int> widths{150, 150, 65, 85, 120, 88, 96, 88};
    for (const QString& step : steps.split(u' ')) {
        const int column = step.mid(1).toInt();
        QVERIFY(list.ShowColumn(column, step.startsWith(u'+')));
    }
    QCOMPARE(fixture.DisplayOrder(), order);
    for (int column = 0; column < ReportFixture::kColumns; ++column) {
        const bool visible = list.IsColumnVisible(column);
        QCOMPARE(list.columnWidth(column), visible ? widths[static_cast<std::size_t>(column)] : 0);
        QCOMPARE(list.GetColumnState(column).width, widths[static_cast<std::size_t>(column)]);
    }
}

void ReportCtrlTest::showColumnRejectsUnknownColumn()
{
    ReportFixture fixture;
    QVERIFY(!fixture.List().ShowColumn(8, false));
    QVERIFY(!fixture.List().ShowColumn(-1, false));
    QCOMPARE(fixture.DisplayOrder(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

void ReportCtrlTest::headerMenuListsColumnsAndTogglesThem()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    QHeaderView* header = list.horizontalHeader();

    QStringList texts;
    QList<bool> enabled;
    OnNextPopup([&](QMenu* menu) {
        for (const QAction* action : menu->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
            enabled << action->isEnabled();
            if (!action->isSeparator())
                QVERIFY(action->isChecked());
        }
        QAction* duration = ActionNamed(menu, QStringLiteral("Duration"));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(duration).center());
    });
    RightClick(header->viewport(), fixture.HeaderCenter(2));
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(texts, QStringList({u"Name"_s, u"Path"_s, u"Type"_s, u"|"_s, u"Size(MB)"_s, u"Last Modified"_s,
                                 u"Duration"_s, u"Frequency"_s, u"Channel"_s}));
    QCOMPARE(enabled, QList<bool>({false, false, true, true, true, true, true, true, true}));
    QVERIFY(!list.IsColumnVisible(5));
    QCOMPARE(fixture.DisplayOrder().front(), 5);

    // The menu now shows Duration unchecked, and choosing it again brings the column back.
    bool durationChecked = true;
    OnNextPopup([&](QMenu* menu) {
        QAction* duration = ActionNamed(menu, QStringLiteral("Duration"));
        durationChecked = duration->isChecked();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(duration).center());
    });
    RightClick(header->viewport(), fixture.HeaderCenter(0));
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(!durationChecked);
    QVERIFY(list.IsColumnVisible(5));
    QCOMPARE(list.columnWidth(5), 88);
}

void ReportCtrlTest::headerMenuOnlyOverTheHeader()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s});
    bool popped = false;
    QTimer::singleShot(50, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            popped = true;
            menu->close();
        }
    });
    RightClick(fixture.List().viewport(), fixture.CellCenter(0, 2));
    QTest::qWait(100);
    QVERIFY(!popped);
}

void ReportCtrlTest::hiddenColumnsStayZeroWide()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a rather long file name to fit the column to.wav"_s, u"b.wav"_s});
    QVERIFY(list.ShowColumn(3, false));
    QHeaderView* header = list.horizontalHeader();
    const int y = header->height() / 2;
    const int nameWidth = list.columnWidth(0);

    // The divider at the left edge of the first visible column belongs to the hidden one: it neither drags
    // nor fits it.
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(1, y));
    QTest::mouseMove(header->viewport(), QPoint(60, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(60, y));
    QCOMPARE(list.columnWidth(3), 0);
    QCOMPARE(list.columnWidth(0), nameWidth);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(1, y));
    QCOMPARE(list.columnWidth(3), 0);

    // Fitting every column leaves the hidden one hidden and fits the others to their content.
    QTest::keyClick(&list, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(list.columnWidth(3), 0);
    QCOMPARE(list.GetColumnState(3).width, 85);
    QVERIFY(list.columnWidth(0) > nameWidth);
    QCOMPARE(list.columnWidth(0), static_cast<QAbstractItemView&>(list).sizeHintForColumn(0));
}

void ReportCtrlTest::visibleDividerDragResizes()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s});
    QHeaderView* header = list.horizontalHeader();
    const int y = header->height() / 2;
    const int edge = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
    QCOMPARE(list.columnWidth(1), 190);

    // A double-click on the divider fits the column to its content, not to its heading.
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) +
                                                                          header->sectionSize(2) - 1, y));
    QCOMPARE(list.columnWidth(2), static_cast<QAbstractItemView&>(list).sizeHintForColumn(2));
}

void ReportCtrlTest::droppedColumnStaysBehindHiddenOnes()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    QVERIFY(list.ShowColumn(3, false));
    QVERIFY(list.ShowColumn(5, false));
    QCOMPARE(fixture.DisplayOrder(), (std::vector<int>{5, 3, 0, 1, 2, 4, 6, 7}));

    QHeaderView* header = list.horizontalHeader();
    const QPoint start = fixture.HeaderCenter(4);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, start);
    for (int x = start.x(); x > 2; x -= 20)
        QTest::mouseMove(header->viewport(), QPoint(x, start.y()));
    QTest::mouseMove(header->viewport(), QPoint(2, start.y()));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(2, start.y()));
    QCOMPARE(fixture.DisplayOrder(), (std::vector<int>{5, 3, 4, 0, 1, 2, 6, 7}));
}

void ReportCtrlTest::columnLayoutRecord()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    list.setColumnWidth(1, 300);
    QVERIFY(list.ShowColumn(5, false));
    const std::vector<ColumnLayoutEntry> layout = list.GetColumnLayout();
    const std::vector<ColumnLayoutEntry> expected{{1, 150}, {1, 300}, {1, 65}, {1, 85},
                                                  {1, 120}, {0, 88},  {1, 96}, {1, 88}};
    QCOMPARE(layout.size(), expected.size());
    QVERIFY(layout == expected);
    QCOMPARE(PackColumnLayout(layout).size(), 64);
}

void ReportCtrlTest::storedFormsAreLittleEndianPairs()
{
    const QByteArray layout = PackColumnLayout({{1, 150}, {0, 0x01020304}});
    QCOMPARE(layout.toHex(), QByteArray("010000009600000000000000" "04030201"));
    QVERIFY(UnpackColumnLayout(layout) == (std::vector<ColumnLayoutEntry>{{1, 150}, {0, 0x01020304}}));

    const QByteArray keys = PackSortInfo({{3, 0}, {0, 1}});
    QCOMPARE(keys.toHex(), QByteArray("03000000000000000000000001000000"));
    // A trailing remainder of fewer than 8 bytes is ignored.
    QCOMPARE(UnpackSortInfo(keys + QByteArray("\x07\x00\x00", 3)), (QList<ColumnSortInfo>{{3, 0}, {0, 1}}));
    QVERIFY(UnpackSortInfo(QByteArray(7, '\1')).isEmpty());
}

void ReportCtrlTest::headerImagesLeftOrRightOfTheHeading()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    QList<QIcon> images;
    for (QColor color : {QColor(Qt::white), QColor(0, 200, 0), QColor(200, 0, 200)}) {
        QPixmap square(16, 16);
        square.fill(color);
        images << QIcon(square);
    }
    // With no header image list of its own the header takes the list's small images.
    list.SetSmallImageList(&images);
    list.SetHeaderImage(0, 1, false);
    list.SetHeaderImage(1, 2, true);
    QHeaderView* header = list.horizontalHeader();
    QRect green;
    QRect purple;
    const QImage image = header->viewport()->grab().toImage();
    QVERIFY(CountPixels(image, QColor(0, 200, 0), &green) > 100);
    QVERIFY(CountPixels(image, QColor(200, 0, 200), &purple) > 100);
    // Right of "Name" inside the Name section; at the left of the Path section, before its heading.
    const int nameEnd = header->fontMetrics().horizontalAdvance(u"Name"_s);
    QVERIFY(green.left() > nameEnd && green.right() < header->sectionSize(0));
    QVERIFY(purple.left() >= 150 && purple.right() < 150 + 30);
}

void ReportCtrlTest::setItemNumberFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("2 decimals round") << 3.14159 << 2 << u"3.14"_s;
    QTest::newRow("2 decimals pad") << 7.0 << 2 << u"7.00"_s;
    QTest::newRow("0 decimals") << 2.6 << 0 << u"3"_s;
    QTest::newRow("trimmed half") << 0.5 << -1 << u"0.5"_s;
    QTest::newRow("trimmed whole") << 10.0 << -1 << u"10"_s;
    QTest::newRow("trimmed 12.5") << 12.5 << -1 << u"12.5"_s;
    QTest::newRow("trimmed hundred") << 100.0 << -1 << u"100"_s;
}

void ReportCtrlTest::setItemNumberFormats()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    ReportFixture fixture;
    fixture.AddNames({u"a.wav"_s});
    QVERIFY(fixture.List().SetItemNumber(0, 3, value, decimals));
    QCOMPARE(fixture.List().GetItemText(0, 3), text);
}

void ReportCtrlTest::stateFilters_data()
{
    // Rows 1 and 3 selected by clicks, row 3 clicked last and so focused; row 4 checked.
    QTest::addColumn<unsigned>("filter");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("any") << unsigned(RS_ANY) << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("any with other bits") << unsigned(RS_ANY | RS_SELECTED) << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("selected") << unsigned(RS_SELECTED) << QList<int>{1, 3};
    QTest::newRow("selected and focused") << unsigned(RS_SELECTED | RS_FOCUSED) << QList<int>{3};
    QTest::newRow("selected, not focused") << unsigned(RS_SELECTED | RS_UNFOCUSED) << QList<int>{1};
    QTest::newRow("unselected") << unsigned(RS_UNSELECTED) << QList<int>{0, 2, 4};
    QTest::newRow("checked") << unsigned(RS_CHECKED) << QList<int>{4};
    QTest::newRow("unchecked") << unsigned(RS_UNCHECKED) << QList<int>{0, 1, 2, 3};
    QTest::newRow("contradiction") << unsigned(RS_SELECTED | RS_UNSELECTED) << QList<int>{};
    QTest::newRow("nothing") << 0u << QList<int>{};
}

void ReportCtrlTest::stateFilters()
{
    QFETCH(unsigned, filter);
    QFETCH(QList<int>, rows);
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s, u"e.wav"_s});
    fixture.Click(1, 0);
    fixture.Click(3, 0, Qt::ControlModifier);
    QVERIFY(list.SetItemStates(4, RS_CHECKED));

    QCOMPARE(list.CountItems(filter), rows.size());
    QList<int> found;
    for (int row = list.FindNextItem(filter, -1); row != -1; row = list.FindNextItem(filter, row))
        found << row;
    QCOMPARE(found, rows);
    // Searching from below -1 starts at the first row.
    QCOMPARE(list.FindNextItem(filter, -7), rows.isEmpty() ? -1 : rows.front());
}

void ReportCtrlTest::setAllItemStatesAppliesToMatchingRows()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s});
    QCOMPARE(list.SetAllItemStates(RS_ANY, RS_SELECTED), 4);
    QCOMPARE(list.CountItems(RS_SELECTED), 4);
    QVERIFY(list.SetItemStates(2, RS_UNSELECTED | RS_FOCUSED));
    QCOMPARE(list.GetItemStates(2), unsigned(RS_UNSELECTED | RS_UNCHECKED | RS_FOCUSED));
    // Unselect the selected rows and give them the focus mark: the last of them keeps it.
    QCOMPARE(list.SetAllItemStates(RS_SELECTED, RS_UNSELECTED | RS_FOCUSED), 3);
    QCOMPARE(list.CountItems(RS_SELECTED), 0);
    QCOMPARE(list.FindNextItem(RS_FOCUSED), 3);
    QCOMPARE(list.SetAllItemStates(RS_ANY, 0), 0);
    QCOMPARE(list.SetAllItemStates(0, RS_SELECTED), 0);
    QVERIFY(!list.SetItemStates(0, 0));
    QVERIFY(!list.SetItemStates(4, RS_SELECTED));
}

void ReportCtrlTest::spaceIsSwallowed()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s});
    fixture.Click(0, 0);
    fixture.Click(2, 0, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_Space);
    QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
    QCOMPARE(list.CountItems(RS_SELECTED), 2);
    QCOMPARE(list.FindNextItem(RS_SELECTED | RS_FOCUSED), 2);
}

void ReportCtrlTest::deleteItemsByFilter()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s, u"e.wav"_s, u"f.wav"_s});
    for (int row : {0, 2, 3, 5})
        list.SetItemStates(row, RS_SELECTED);
    list.SetItemStates(4, RS_CHECKED);
    QCOMPARE(list.DeleteItems(RS_CHECKED), 1);
    // The rows that stay keep their selection.
    QCOMPARE(fixture.Column(0), QStringList({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s, u"f.wav"_s}));
    QCOMPARE(list.CountItems(RS_SELECTED), 4);
    QCOMPARE(list.FindNextItem(RS_UNSELECTED), 1);
    QCOMPARE(list.DeleteItems(RS_SELECTED), 4);
    QCOMPARE(fixture.Column(0), QStringList({u"b.wav"_s}));
    QCOMPARE(list.DeleteItems(RS_SELECTED), 0);
    QCOMPARE(list.DeleteItems(RS_ANY), 1);
    QCOMPARE(list.CountItems(RS_ANY), 0);
}

void ReportCtrlTest::deleteItemSelectsNext()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s});
    QVERIFY(list.DeleteItem(1, true));
    QCOMPARE(fixture.Column(0), QStringList({u"a.wav"_s, u"c.wav"_s}));
    QCOMPARE(list.FindNextItem(RS_SELECTED), 1);
    QVERIFY(!list.DeleteItem(2));
}

void ReportCtrlTest::colorRanges_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QList<QPoint>>("cells");  // (column, row) of every changed cell
    QTest::newRow("one cell") << 1 << 2 << QList<QPoint>{{2, 1}};
    QTest::newRow("one row") << 1 << 9 << QList<QPoint>{{0, 1}, {1, 1}, {2, 1}};
    QTest::newRow("one column") << -1 << 2 << QList<QPoint>{{2, 0}, {2, 1}};
    QTest::newRow("everything") << 5 << -1 << QList<QPoint>{{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
}

void ReportCtrlTest::colorRanges()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QList<QPoint>, cells);
    CReportCtrl list;
    for (int index = 0; index < 3; ++index)
        list.InsertColumn(index, QStringLiteral("C%1").arg(index));
    list.InsertItem(0, QStringLiteral("a"));
    list.InsertItem(1, QStringLiteral("b"));
    const QColor text = list.palette().color(QPalette::Text);
    const QColor base = list.palette().color(QPalette::Base);

    list.SetItemTextColor(row, column, ReportRgb(255, 0, 0));
    list.SetItemBkColor(row, column, ReportRgb(0, 0, 255), false);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            const bool changed = cells.contains(QPoint(c, r));
            QCOMPARE(CellColor(list, r, c, Qt::ForegroundRole), changed ? QColor(255, 0, 0) : text);
            QCOMPARE(CellColor(list, r, c, Qt::BackgroundRole), changed ? QColor(0, 0, 255) : base);
        }
    }
    // The default colour puts the system's colour back.
    list.SetItemTextColor(-1, -1);
    QCOMPARE(CellColor(list, 1, 2, Qt::ForegroundRole), text);
}

void ReportCtrlTest::rowColorsBandTintAndUnreadable()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    for (const FileRow& file :
         {FileRow{u"a.wav"_s}, FileRow{u"b.wav"_s, 1, 0, 0, true}, FileRow{u"c.wav"_s}, FileRow{u"d.wav"_s}})
        fixture.Add(file);
    list.InsertItem(4, QStringLiteral("no record.wav"));
    list.sortInfo = {{3, 1}};

    list.ApplyRowColors(true);
    const QColor even(255, 255, 255), evenTint(241, 242, 247), odd(244, 245, 252), oddTint(227, 230, 242);
    const QList<QList<QColor>> expected{{even, evenTint}, {kPink, kPink}, {even, evenTint}, {odd, oddTint},
                                        {even, evenTint}};
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < ReportFixture::kColumns; ++column)
            QCOMPARE(CellColor(list, row, column, Qt::BackgroundRole), expected[row][column == 3 ? 1 : 0]);
    }
    list.ApplyRowColors(false);
    QCOMPARE(CellColor(list, 0, 3, Qt::BackgroundRole), even);
    QCOMPARE(CellColor(list, 3, 3, Qt::BackgroundRole), odd);

    // What is painted is what the rows hold: a free spot of the Path cell of the unreadable row is pink.
    const QRect cell = list.visualRect(list.model()->index(1, 1));
    const QImage image = list.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(cell.right() - 4, cell.center().y()), kPink);
}

void ReportCtrlTest::ensureColumnVisible_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<int>("scroll");
    QTest::addColumn<QString>("expected");  // "same", "left" (left edges aligned) or "right"
    QTest::newRow("right of view") << 7 << false << 0 << u"right"_s;
    QTest::newRow("left of view") << 0 << false << 200 << u"left"_s;
    QTest::newRow("cut on the left, partial is enough") << 1 << true << 200 << u"same"_s;
    QTest::newRow("cut on the left, whole wanted") << 1 << false << 200 << u"left"_s;
    QTest::newRow("already whole") << 2 << false << 200 << u"same"_s;
    QTest::newRow("cut on the right, partial is enough") << 4 << true << 200 << u"same"_s;
    QTest::newRow("cut on the right, whole wanted") << 4 << false << 200 << u"right"_s;
}

void ReportCtrlTest::ensureColumnVisible()
{
    QFETCH(int, column);
    QFETCH(bool, partial);
    QFETCH(int, scroll);
    QFETCH(QString, expected);
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s});
    // Columns 2 and 4 end at 365 and 570: a client area 300 wide from 200 holds column 2 and cuts column 4.
    list.resize(300 + list.width() - list.viewport()->width(), 300);
    QTRY_COMPARE(list.viewport()->width(), 300);
    list.horizontalScrollBar()->setValue(scroll);
    QCOMPARE(list.horizontalScrollBar()->value(), scroll);

    list.EnsureColumnVisible(column, partial);
    QHeaderView* header = list.horizontalHeader();
    const int left = header->sectionPosition(column);
    const int right = left + header->sectionSize(column);
    const int now = list.horizontalScrollBar()->value();
    if (expected == u"same")
        QCOMPARE(now, scroll);
    else if (expected == u"left")
        QCOMPARE(now, left);
    else
        QCOMPARE(now, right - 300);
}

void ReportCtrlTest::emptyListTip()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    const QColor tipColor(106, 106, 255);
    const QStringList tips{EmptyListTip(0), EmptyListTip(6000), EmptyListTip(12000), EmptyListTip(18000)};
    QCOMPARE(tips.size(), 4);
    QCOMPARE(EmptyListTip(24000), tips[0]);
    QVERIFY(tips[0].contains(QStringLiteral("\"Add Files\"")));

    // No tip until the owner asks for tips.
    QCOMPARE(CountPixels(list.viewport()->grab().toImage(), tipColor), 0);

    list.SetShowTips(1);
    QRect bounds;
    const QImage image = list.viewport()->grab().toImage();
    QVERIFY(CountPixels(image, tipColor, &bounds) > 20);
    // Centred across the list, starting above its middle.
    QVERIFY(qAbs(bounds.center().x() - image.width() / 2) <= 3);
    QVERIFY(bounds.top() < image.height() / 2);
    QVERIFY(bounds.bottom() > image.height() / 2 - 30);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(tips.contains(table->text(QAccessible::Description)));

    fixture.AddNames({u"a.wav"_s});
    QCOMPARE(CountPixels(list.viewport()->grab().toImage(), tipColor), 0);
    QCOMPARE(table->text(QAccessible::Description), QString());
}

void ReportCtrlTest::accessibleTable()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    fixture.AddNames({u"a.wav"_s, u"b.wav"_s});
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&fixture.List());
    QCOMPARE(list->role(), QAccessible::Table);
    QAccessibleTableInterface* table = list->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 8);
    QCOMPARE(table->columnDescription(3), QStringLiteral("Size(MB)"));
    QCOMPARE(table->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("b.wav"));
    QCOMPARE(table->cellAt(0, 3)->text(QAccessible::Name), QStringLiteral("1.00"));
}

void ReportCtrlTest::rowOperationsFromAnotherThread()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    FileItemInfo record;
    int count = -1;
    quintptr value = 0;
    std::atomic<bool> done{false};
    std::thread loader([&] {
        const int row = list.InsertItem(0, QStringLiteral("from the loader.wav"));
        list.SetItemData(row, reinterpret_cast<quintptr>(&record));
        list.SetItemNumber(row, 3, 1.5, 2);
        list.SetItemTextColor(row, 2, ReportRgb(255, 0, 0));
        value = list.GetItemData(row);
        count = list.CountItems(RS_ANY);
        done = true;
    });
    QTRY_VERIFY(done);
    loader.join();
    QCOMPARE(count, 1);
    QCOMPARE(value, reinterpret_cast<quintptr>(&record));
    QCOMPARE(list.GetItemText(0, 3), QStringLiteral("1.50"));
    QCOMPARE(CellColor(list, 0, 2, Qt::ForegroundRole), QColor(255, 0, 0));
}

void ReportCtrlTest::modelPassesTheTester()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int row = 0; row < 20; ++row)
        fixture.Add(FileRow{QStringLiteral("%1.wav").arg((row * 7) % 20), double(row % 5)});
    list.SetAllItemStates(RS_ANY, RS_SELECTED);
    list.sortInfo = {{3, 0}, {0, 1}};
    list.SortRows(0, 19, true);
    list.InsertColumn(8, QStringLiteral("Extra"));
    list.ShowColumn(2, false);
    list.SetItemBkColor(-1, 4, ReportRgb(1, 2, 3));
    list.SetItemStates(7, RS_CHECKED | RS_UNSELECTED);
    list.SetItemStates(9, RS_CHECKED | RS_UNSELECTED);
    QCOMPARE(list.DeleteItems(RS_CHECKED), 2);
    list.DeleteItem(4);
    list.DeleteItems(RS_SELECTED);
    QCOMPARE(list.CountItems(RS_ANY), 0);
}

QTEST_MAIN(ReportCtrlTest)
#include "report_ctrl_test.moc"
