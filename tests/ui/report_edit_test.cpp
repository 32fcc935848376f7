// Editing cells of the report list in place: how an edit opens, the keys that steer it, commit and discard,
// and everything that closes it.
#include "report_fixture.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// A list of three files with Name and Type editable, Tab going Name -> Type -> Name.
class EditFixture : public ReportFixture {
public:
    EditFixture()
    {
        AddNames({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s});
        List().SetEditable(true);
        List().AddEditableColumn(0);
        List().AddEditableColumn(2);
    }

    QLineEdit* Box() { return List().viewport()->findChild<QLineEdit*>(); }
    bool EditingAt(int row, int column)
    {
        return List().IsEditing() && List().EditRow() == row && List().EditColumn() == column;
    }
};

}  // namespace

class ReportEditTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startEditSelectsTheNameWithoutExtension_data();
    void startEditSelectsTheNameWithoutExtension();
    void editBoxLeavesTheCellImageFree();
    void startEditOutsideTheListFails();
    void secondClickOnTheNameOpensTheEdit();
    void editKeys_data();
    void editKeys();
    void tabWithOneEditableColumnReopensTheCell();
    void commitIsSentWhileTheCellIsStillEdited();
    void ownerMayPutTheOldNameBack();
    void onlyChangedTextsAreCommitted_data();
    void onlyChangedTextsAreCommitted();
    void closers_data();
    void closers();
};

void ReportEditTest::startEditSelectsTheNameWithoutExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("selected");
    QTest::newRow("last dot") << u"song.final.wav"_s << u"song.final"_s;
    QTest::newRow("no dot") << u"README"_s << u"README"_s;
    QTest::newRow("only an extension") << u".wav"_s << QString();
}

void ReportEditTest::startEditSelectsTheNameWithoutExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, selected);
    EditFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    list.SetItemText(1, 0, name);
    list.SetAllItemStates(RS_ANY, RS_SELECTED);

    QVERIFY(list.StartEdit(1, 0));
    QLineEdit* box = fixture.Box();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->text(), name);
    QCOMPARE(box->selectedText(), selected);
    QVERIFY(box->hasFocus());
    QCOMPARE(box->geometry(), list.visualRect(list.model()->index(1, 0)));
    QCOMPARE(list.editOldText, name);
    // Only the edited row stays selected, and it has the focus mark.
    QCOMPARE(list.CountItems(RS_SELECTED), 1);
    QCOMPARE(list.FindNextItem(RS_SELECTED | RS_FOCUSED), 1);
}

void ReportEditTest::editBoxLeavesTheCellImageFree()
{
    EditFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    QPixmap square(16, 16);
    square.fill(Qt::green);
    const QList<QIcon> images{QIcon(square)};
    list.SetSmallImageList(&images);
    list.SetItemImage(0, 0, 0);
    QVERIFY(list.StartEdit(0, 0));
    const QRect cell = list.visualRect(list.model()->index(0, 0));
    QCOMPARE(fixture.Box()->geometry(), cell.adjusted(16, 0, 0, 0));
}

void ReportEditTest::startEditOutsideTheListFails()
{
    EditFixture fixture;
    CReportCtrl& list = fixture.List();
    QVERIFY(!list.StartEdit(3, 0));
    QVERIFY(!list.StartEdit(0, 8));
    QVERIFY(!list.IsEditing());
    QVERIFY(list.StartEdit(0, 0));
    QVERIFY(!list.StartEdit(-1, 0));
    QVERIFY(fixture.EditingAt(0, 0));
    // The cell already being edited: nothing changes.
    QTest::keyClicks(fixture.Box(), u"x"_s);
    QVERIFY(list.StartEdit(0, 0));
    QCOMPARE(fixture.Box()->text(), u"x.wav"_s);
}

void ReportEditTest::secondClickOnTheNameOpensTheEdit()
{
    EditFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.Click(1, 0);
    QVERIFY(!list.IsEditing());
    QCOMPARE(list.FindNextItem(RS_SELECTED | RS_FOCUSED), 1);
    // A column that is not editable opens nothing.
    fixture.Click(1, 1);
    QVERIFY(!list.IsEditing());
    fixture.Click(1, 0);
    QVERIFY(fixture.EditingAt(1, 0));
    // A click that closes an edit never opens one, even on the same name.
    QTest::keyClicks(fixture.Box(), u"z"_s);
    fixture.Click(1, 0);
    QVERIFY(!list.IsEditing());
    QCOMPARE(list.GetItemText(1, 0), u"z.wav"_s);
    QCOMPARE(fixture.Owner().committed, (std::vector<std::pair<int, int>>{{1, 0}}));
}

void ReportEditTest::editKeys_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("nextRow");  // -1: the edit is closed
    QTest::addColumn<int>("nextColumn");
    QTest::addColumn<bool>("committed");
    const int none = Qt::NoModifier;
    QTest::newRow("Tab to the next editable column") << 1 << 0 << int(Qt::Key_Tab) << none << 1 << 2 << true;
    QTest::newRow("Tab wraps to the first") << 1 << 2 << int(Qt::Key_Tab) << none << 1 << 0 << true;
    QTest::newRow("Shift+Tab wraps to the last") << 1 << 0 << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 1
                                                 << 2 << true;
    QTest::newRow("Down") << 0 << 0 << int(Qt::Key_Down) << none << 1 << 0 << true;
    QTest::newRow("Down on the last row wraps") << 2 << 0 << int(Qt::Key_Down) << none << 0 << 0 << true;
    QTest::newRow("Up on the first row wraps") << 0 << 0 << int(Qt::Key_Up) << none << 2 << 0 << true;
    QTest::newRow("Enter commits") << 1 << 0 << int(Qt::Key_Return) << none << -1 << -1 << true;
    QTest::newRow("keypad Enter commits") << 1 << 0 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << -1 << -1
                                          << true;
    QTest::newRow("Esc discards") << 1 << 0 << int(Qt::Key_Escape) << none << -1 << -1 << false;
}

void ReportEditTest::editKeys()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, nextRow);
    QFETCH(int, nextColumn);
    QFETCH(bool, committed);
    EditFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    const QString before = list.GetItemText(row, column);
    QVERIFY(list.StartEdit(row, column));
    QTest::keyClicks(fixture.Box(), u"z"_s);
    QTest::keyClick(fixture.Box(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    if (nextRow == -1) {
        QVERIFY(!list.IsEditing());
        QVERIFY(!fixture.Box()->isVisible());
        QVERIFY(list.hasFocus());
    } else {
        QVERIFY(fixture.EditingAt(nextRow, nextColumn));
        QCOMPARE(fixture.Box()->text(), list.GetItemText(nextRow, nextColumn));
        // The Type column is right-aligned, and so is its edit box.
        QCOMPARE(bool(fixture.Box()->alignment() & Qt::AlignRight), nextColumn == 2);
    }
    QCOMPARE(list.GetItemText(row, column) != before, committed);
    QCOMPARE(fixture.Owner().committed.size(), std::size_t(committed ? 1 : 0));
}

void ReportEditTest::tabWithOneEditableColumnReopensTheCell()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"a.wav"_s});
    list.AddEditableColumn(0);
    QVERIFY(!list.AddEditableColumn(0));
    QVERIFY(!list.AddEditableColumn(8));
    QVERIFY(list.StartEdit(0, 0));
    QTest::keyClicks(list.viewport()->findChild<QLineEdit*>(), u"q"_s);
    QTest::keyClick(list.viewport()->findChild<QLineEdit*>(), Qt::Key_Tab);
    QCOMPARE(list.GetItemText(0, 0), u"q.wav"_s);
    QVERIFY(list.IsEditing());
    QCOMPARE(list.viewport()->findChild<QLineEdit*>()->selectedText(), u"q"_s);
}

void ReportEditTest::commitIsSentWhileTheCellIsStillEdited()
{
    EditFixture fixture;
    CReportCtrl& list = fixture.List();
    bool checked = false;
    fixture.Owner().onCommit = [&](const ReportEditCommittedEvent& commit) {
        checked = true;
        QCOMPARE(commit.List(), &list);
        QVERIFY(list.IsEditing());
        QCOMPARE(commit.Row(), 2);
        QCOMPARE(commit.Column(), 0);
        QCOMPARE(list.GetItemText(2, 0), u"renamed.wav"_s);
        QCOMPARE(list.editOldText, u"c.wav"_s);
    };
    QVERIFY(list.StartEdit(2, 0));
    QTest::keyClicks(fixture.Box(), u"renamed"_s);
    QTest::keyClick(fixture.Box(), Qt::Key_Return);
    QVERIFY(checked);
    QVERIFY(!list.IsEditing());
}

void ReportEditTest::ownerMayPutTheOldNameBack()
{
    EditFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.Owner().onCommit = [&](const ReportEditCommittedEvent& commit) {
        list.SetItemText(commit.Row(), 0, list.editOldText);
    };
    QVERIFY(list.StartEdit(0, 0));
    QTest::keyClicks(fixture.Box(), u"taken"_s);
    QTest::keyClick(fixture.Box(), Qt::Key_Return);
    QCOMPARE(list.GetItemText(0, 0), u"a.wav"_s);
    QVERIFY(!list.IsEditing());
    QCOMPARE(fixture.Owner().committed.size(), std::size_t(1));
}

void ReportEditTest::onlyChangedTextsAreCommitted_data()
{
    QTest::addColumn<QString>("typed");  // replaces the whole text; empty: nothing typed
    QTest::addColumn<bool>("committed");
    QTest::newRow("untouched") << QString() << false;
    QTest::newRow("typed the same") << u"A.wav"_s << false;
    QTest::newRow("letter case only") << u"a.wav"_s << true;
}

void ReportEditTest::onlyChangedTextsAreCommitted()
{
    QFETCH(QString, typed);
    QFETCH(bool, committed);
    EditFixture fixture;
    CReportCtrl& list = fixture.List();
    list.SetItemText(0, 0, u"A.wav"_s);
    QVERIFY(list.StartEdit(0, 0));
    if (!typed.isEmpty()) {
        QTest::keyClick(fixture.Box(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(fixture.Box(), typed);
    }
    QTest::keyClick(fixture.Box(), Qt::Key_Return);
    QCOMPARE(fixture.Owner().committed.size(), std::size_t(committed ? 1 : 0));
    QCOMPARE(list.GetItemText(0, 0), committed ? typed : u"A.wav"_s);
}

void ReportEditTest::closers_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("committed");
    QTest::newRow("click on another row") << u"click"_s << true;
    QTest::newRow("right click") << u"right click"_s << true;
    QTest::newRow("column click, before the sort") << u"header click"_s << true;
    QTest::newRow("inserting a row") << u"insert row"_s << true;
    QTest::newRow("inserting a column") << u"insert column"_s << true;
    QTest::newRow("setting a cell text") << u"set text"_s << true;
    QTest::newRow("editing switched off") << u"not editable"_s << true;
    QTest::newRow("deleting another row") << u"delete other"_s << true;
    QTest::newRow("deleting the edited row") << u"delete edited"_s << false;
    QTest::newRow("mouse wheel") << u"wheel"_s << false;
    QTest::newRow("scroll bar") << u"scroll"_s << false;
    QTest::newRow("dragging a divider") << u"divider"_s << false;
}

void ReportEditTest::closers()
{
    QFETCH(QString, action);
    QFETCH(bool, committed);
    EditFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    for (int row = 3; row < 40; ++row)
        fixture.Add(FileRow{QStringLiteral("x%1.wav").arg(row, 2, 10, QLatin1Char('0'))});
    list.sortInfo.clear();
    QVERIFY(list.StartEdit(1, 0));
    QTest::keyClicks(fixture.Box(), u"zz"_s);

    if (action == u"click") {
        fixture.Click(2, 0);
    } else if (action == u"right click") {
        QTest::mouseClick(list.viewport(), Qt::RightButton, {}, fixture.CellCenter(2, 1));
    } else if (action == u"header click") {
        fixture.ClickHeader(0);
    } else if (action == u"insert row") {
        list.InsertItem(0, u"new.wav"_s);
    } else if (action == u"insert column") {
        list.InsertColumn(8, u"Extra"_s);
    } else if (action == u"set text") {
        list.SetItemText(0, 1, u"/elsewhere/"_s);
    } else if (action == u"not editable") {
        list.SetEditable(false);
    } else if (action == u"delete other") {
        list.DeleteItem(0);
    } else if (action == u"delete edited") {
        list.DeleteItem(1);
    } else if (action == u"wheel") {
        const QPoint at = fixture.CellCenter(5, 1);
        QWheelEvent wheel(at, list.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(list.viewport(), &wheel);
    } else if (action == u"scroll") {
        QTest::keyClick(list.verticalScrollBar(), Qt::Key_PageDown);
    } else if (action == u"divider") {
        QHeaderView* header = list.horizontalHeader();
        QTest::mousePress(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionSize(0) - 1, header->height() / 2));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {},
                            QPoint(header->sectionSize(0) - 1, header->height() / 2));
    }
    QVERIFY(!list.IsEditing());
    QVERIFY(!fixture.Box()->isVisible());
    QCOMPARE(fixture.Owner().committed.size(), std::size_t(committed ? 1 : 0));
    QCOMPARE(fixture.Column(0).contains(u"zz.wav"_s), committed);
    if (action == u"header click") {
        // The committed name took part in the sort.
        QCOMPARE(fixture.Column(0).back(), u"zz.wav"_s);
    }
}

QTEST_MAIN(ReportEditTest)
#include "report_edit_test.moc"
