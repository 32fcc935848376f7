// Sorting the report list: the keys a column click leaves, the orders the keys give, and what travels with
// the rows.
#include "report_fixture.h"

#include "ui/report_sorter.h"

#include <QItemSelectionModel>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Keys as "column+" (ascending) or "column-", primary first.
QString KeysText(const QList<ColumnSortInfo>& keys)
{
    QStringList parts;
    for (const ColumnSortInfo& key : keys)
        parts << QString::number(key.column) + (key.ascending ? u'+' : u'-');
    return parts.join(u' ');
}

QList<ColumnSortInfo> KeysFrom(const QString& text)
{
    QList<ColumnSortInfo> keys;
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts))
        keys.append({part.chopped(1).toInt(), part.endsWith(u'+') ? 1 : 0});
    return keys;
}

int Utf8Order(const QString& a, const QString& b)
{
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    const auto less = [](char p, char q) { return static_cast<unsigned char>(p) < static_cast<unsigned char>(q); };
    if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), less))
        return -1;
    return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end(), less) ? 1 : 0;
}

}  // namespace

class ReportSortTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void columnClicksUpdateKeys_data();
    void columnClicksUpdateKeys();
    void sortOrders_data();
    void sortOrders();
    void textsCompareAsUtf8Bytes_data();
    void textsCompareAsUtf8Bytes();
    void selectionFocusAndColoursTravelWithRows();
    void sortIsPostedAndMarksTheListBusy();
    void shortListsStillReport();
    void noKeysSortNothing();
};

void ReportSortTest::columnClicksUpdateKeys_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("keys");
    QTest::newRow("primary flips") << u"0+"_s << QList<int>{0} << u"0-"_s;
    QTest::newRow("new key in front") << u"0+"_s << QList<int>{0, 2} << u"2+ 0-"_s;
    QTest::newRow("older key returns as it was") << u"0+"_s << QList<int>{0, 2, 0} << u"0- 2+"_s;
    QTest::newRow("then flips") << u"0+"_s << QList<int>{0, 2, 0, 0} << u"0+ 2+"_s;
    QTest::newRow("seven columns keep six") << u"0+"_s << QList<int>{1, 2, 3, 4, 5, 6, 7} << u"7+ 6+ 5+ 4+ 3+ 2+"_s;
    QTest::newRow("stored descending key returns") << u"3+ 0-"_s << QList<int>{0} << u"0- 3+"_s;
    QTest::newRow("long stored list is trimmed") << u"0+ 1+ 2+ 3+ 4+ 5+ 6+"_s << QList<int>{7}
                                                 << u"7+ 0+ 1+ 2+ 3+ 4+"_s;
}

void ReportSortTest::columnClicksUpdateKeys()
{
    QFETCH(QString, stored);
    QFETCH(QList<int>, clicks);
    QFETCH(QString, keys);
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"b.wav"_s, u"a.wav"_s});
    list.sortInfo = KeysFrom(stored);
    for (int column : clicks)
        fixture.ClickHeader(column);
    QCOMPARE(KeysText(list.sortInfo), keys);
    QTRY_COMPARE(fixture.Owner().sorted.size(), std::size_t(clicks.size()));
    QCOMPARE(fixture.Owner().sorted.back(), std::make_pair(list.sortInfo[0].column, list.sortInfo[0].ascending));
}

void ReportSortTest::sortOrders_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("names");
    // Sizes, rates and channels of the rows in sortOrders(); "𝄞" is beyond the BMP, "ｱ" just below its end.
    QTest::newRow("names byte-wise") << u"0+"_s
                                     << QStringList{u"B.wav"_s, u"_x.wav"_s, u"a.wav"_s, u"Ä.wav"_s, u"ｱ.wav"_s,
                                                    u"𝄞.wav"_s};
    QTest::newRow("names descending") << u"0-"_s
                                      << QStringList{u"𝄞.wav"_s, u"ｱ.wav"_s, u"Ä.wav"_s, u"a.wav"_s, u"_x.wav"_s,
                                                     u"B.wav"_s};
    QTest::newRow("size as a number, ties by name") << u"3+ 0+"_s
                                                    << QStringList{u"𝄞.wav"_s, u"a.wav"_s, u"Ä.wav"_s, u"B.wav"_s,
                                                                   u"ｱ.wav"_s, u"_x.wav"_s};
    QTest::newRow("tie-breaker's own direction is ignored") << u"3+ 0-"_s
                                                            << QStringList{u"𝄞.wav"_s, u"a.wav"_s, u"Ä.wav"_s,
                                                                           u"B.wav"_s, u"ｱ.wav"_s, u"_x.wav"_s};
    QTest::newRow("descending reverses the tie-breaker too")
        << u"3- 0+"_s << QStringList{u"_x.wav"_s, u"ｱ.wav"_s, u"B.wav"_s, u"Ä.wav"_s, u"a.wav"_s, u"𝄞.wav"_s};
    QTest::newRow("frequency as a number") << u"6+ 0+"_s
                                           << QStringList{u"a.wav"_s, u"_x.wav"_s, u"B.wav"_s, u"ｱ.wav"_s,
                                                          u"𝄞.wav"_s, u"Ä.wav"_s};
    QTest::newRow("channels as a number") << u"7+ 0+"_s
                                          << QStringList{u"a.wav"_s, u"ｱ.wav"_s, u"B.wav"_s, u"_x.wav"_s,
                                                         u"𝄞.wav"_s, u"Ä.wav"_s};
    QTest::newRow("equal texts fall to the next key") << u"1+ 0+"_s
                                                      << QStringList{u"B.wav"_s, u"_x.wav"_s, u"a.wav"_s,
                                                                     u"Ä.wav"_s, u"ｱ.wav"_s, u"𝄞.wav"_s};
    QTest::newRow("unknown column compares equal") << u"12+ 0+"_s
                                                   << QStringList{u"B.wav"_s, u"_x.wav"_s, u"a.wav"_s, u"Ä.wav"_s,
                                                                  u"ｱ.wav"_s, u"𝄞.wav"_s};
}

void ReportSortTest::sortOrders()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, names);
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    for (const FileRow& file : {FileRow{u"a.wav"_s, 9.5, 8000, 1}, FileRow{u"ｱ.wav"_s, 10.25, 44100, 1},
                                FileRow{u"_x.wav"_s, 100, 22050, 2}, FileRow{u"𝄞.wav"_s, 0.5, 44100, 2},
                                FileRow{u"B.wav"_s, 10.25, 44100, 2}, FileRow{u"Ä.wav"_s, 9.5, 48000, 6}})
        fixture.Add(file);
    list.sortInfo = KeysFrom(keys);
    list.SortRows(0, list.CountItems(RS_ANY) - 1, true);
    QCOMPARE(fixture.Column(0), names);
    QCOMPARE(KeysText(list.sortInfo), keys);
}

void ReportSortTest::textsCompareAsUtf8Bytes_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::newRow("capitals first") << u"B"_s << u"a"_s;
    QTest::newRow("prefix first") << u"ab"_s << u"abc"_s;
    QTest::newRow("equal") << u"same"_s << u"same"_s;
    QTest::newRow("latin-1 after ascii") << u"é"_s << u"z"_s;
    QTest::newRow("end of BMP before beyond it") << u"\uFF71"_s << u"\U0001D11E"_s;
    QTest::newRow("private use after D7FF") << u"\uE000"_s << u"\uD7FF"_s;
    QTest::newRow("two beyond the BMP") << u"\U0001F600"_s << u"\U0001D11E"_s;
}

void ReportSortTest::textsCompareAsUtf8Bytes()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QCOMPARE(CompareUtf8(a, b), Utf8Order(a, b));
    QCOMPARE(CompareUtf8(b, a), Utf8Order(b, a));
}

void ReportSortTest::selectionFocusAndColoursTravelWithRows()
{
    ReportFixture fixture;
    QVERIFY(fixture.Exposed());
    CReportCtrl& list = fixture.List();
    for (const FileRow& file : {FileRow{u"c.wav"_s}, FileRow{u"a.wav"_s}, FileRow{u"d.wav"_s, 1, 0, 0, true},
                                FileRow{u"b.wav"_s}})
        fixture.Add(file);
    fixture.Click(0, 0);
    fixture.Click(2, 0, Qt::ControlModifier);
    list.sortInfo.clear();
    fixture.ClickHeader(0);

    QCOMPARE(fixture.Column(0), QStringList({u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s}));
    QCOMPARE(list.CountItems(RS_SELECTED), 2);
    QCOMPARE(list.FindNextItem(RS_SELECTED), 2);
    QCOMPARE(list.FindNextItem(RS_SELECTED | RS_FOCUSED), 3);
    // The unreadable row stays pink; the others are banded with the sorted column tinted.
    for (int column = 0; column < ReportFixture::kColumns; ++column)
        QCOMPARE(CellColor(list, 3, column, Qt::BackgroundRole), QColor(255, 225, 241));
    QCOMPARE(CellColor(list, 0, 0, Qt::BackgroundRole), QColor(241, 242, 247));
    QCOMPARE(CellColor(list, 1, 0, Qt::BackgroundRole), QColor(227, 230, 242));
    QCOMPARE(CellColor(list, 1, 1, Qt::BackgroundRole), QColor(244, 245, 252));
    // The user values moved with their rows.
    QCOMPARE(reinterpret_cast<const FileItemInfo*>(list.GetItemData(3))->m_bInvalid, 1);
}

void ReportSortTest::sortIsPostedAndMarksTheListBusy()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"b.wav"_s, u"a.wav"_s, u"c.wav"_s});
    list.SetItemStates(0, RS_SELECTED);
    QList<int> busyDuringChanges;
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [&] { busyDuringChanges << g_listBusy.load(); });
    list.sortInfo = {{0, 0}, {3, 1}};
    list.SortRows(0, 2, true);
    QVERIFY(!busyDuringChanges.isEmpty());
    QVERIFY(!busyDuringChanges.contains(0));
    QCOMPARE(g_listBusy.load(), 0);
    // Posted, not sent: the owner hears of it from its event loop.
    QVERIFY(fixture.Owner().sorted.empty());
    QTRY_COMPARE(fixture.Owner().sorted.size(), std::size_t(1));
    QCOMPARE(fixture.Owner().sorted.front(), std::make_pair(0, 0));
}

void ReportSortTest::shortListsStillReport()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    list.sortInfo = {{3, 1}};
    list.SortRows(0, -1, true);
    fixture.AddNames({u"only.wav"_s});
    list.SetItemBkColor(-1, -1, ReportRgb(1, 2, 3));
    list.SortRows(0, 0, true);
    QCOMPARE(fixture.Column(0), QStringList{u"only.wav"_s});
    QCOMPARE(CellColor(list, 0, 0, Qt::BackgroundRole), QColor(255, 255, 255));
    QCOMPARE(CellColor(list, 0, 3, Qt::BackgroundRole), QColor(241, 242, 247));
    QTRY_COMPARE(fixture.Owner().sorted.size(), std::size_t(2));
}

void ReportSortTest::noKeysSortNothing()
{
    ReportFixture fixture;
    CReportCtrl& list = fixture.List();
    fixture.AddNames({u"b.wav"_s, u"a.wav"_s});
    list.sortInfo.clear();
    list.SortRows(0, 1, true);
    QCoreApplication::processEvents();
    QCOMPARE(fixture.Column(0), QStringList({u"b.wav"_s, u"a.wav"_s}));
    QVERIFY(fixture.Owner().sorted.empty());
    QCOMPARE(g_listBusy.load(), 0);
}

QTEST_MAIN(ReportSortTest)
#include "report_sort_test.moc"
