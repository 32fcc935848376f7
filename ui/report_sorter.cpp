#include "ui/report_sorter.h"

#include "ui/report_model.h"
#include "ui/report_row_record.h"

#include <algorithm>
#include <utility>

namespace {

// UTF-16 units moved so that their order is the code point order: surrogates above the rest of the BMP.
char32_t CodePointOrder(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit >= 0xE000 ? char32_t(unit) - 0x800 : char32_t(unit) + 0x2000;
}

template <class T>
int Sign(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

FileItemInfo RecordOf(const CReportModel& model, int row)
{
    const quintptr userValue = model.Row(row).rowData.userValue;
    return userValue ? *RowRecord(userValue) : FileItemInfo{};
}

}  // namespace

int CompareUtf8(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y)
            return CodePointOrder(x) < CodePointOrder(y) ? -1 : 1;
    }
    return Sign(a.size(), b.size());
}

CReportSorter::CReportSorter(const CReportModel& model, const QList<ColumnSortInfo>& keys)
    : m_model(model), m_keys(keys)
{
}

int CReportSorter::CompareRows(int a, int b, int column, int k) const
{
    const int result = CompareCells(a, b, column);
    if (result == 0 && k + 1 < m_keys.size())
        return CompareRows(a, b, m_keys[k + 1].column, k + 1);
    return result;
}

int CReportSorter::CompareCells(int a, int b, int column) const
{
    switch (column) {
    case kSizeColumn:
        return Sign(RecordOf(m_model, a).m_dSizeMB, RecordOf(m_model, b).m_dSizeMB);
    case kFrequencyColumn:
        return Sign(RecordOf(m_model, a).m_nSampleRate, RecordOf(m_model, b).m_nSampleRate);
    case kChannelColumn:
        return Sign(RecordOf(m_model, a).m_nChannels, RecordOf(m_model, b).m_nChannels);
    default:
        // A column the list does not have compares as two empty texts.
        if (column < 0 || column >= m_model.columnCount())
            return 0;
        return CompareUtf8(m_model.Text(a, column), m_model.Text(b, column));
    }
}

std::vector<int> CReportSorter::SortedRows(int first, int last) const
{
    std::vector<int> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(row);
    if (!m_keys.isEmpty() && rows.size() > 1)
        QuickSort(rows, 0, static_cast<int>(rows.size()) - 1, m_keys.front().ascending != 0);
    return rows;
}

void CReportSorter::QuickSort(std::vector<int>& rows, int lo, int hi, bool ascending) const
{
    const int column = m_keys.front().column;
    const int sense = ascending ? 1 : -1;
    const auto at = [&rows](int position) { return rows[static_cast<std::size_t>(position)]; };
    for (;;) {
        const int pivot = at((lo + hi) / 2);
        int i = lo;
        int j = hi;
        do {
            while (sense * CompareRows(at(i), pivot, column, 0) < 0)
                ++i;
            while (sense * CompareRows(at(j), pivot, column, 0) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(rows[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j)
            QuickSort(rows, lo, j, ascending);
        if (i >= hi)
            return;
        lo = i;
    }
}
