#pragma once

#include "ui/report_types.h"

#include <QList>
#include <QStringView>

#include <vector>

class CReportModel;

// The columns of the file list that sort by the row's record instead of by their texts.
inline constexpr int kSizeColumn = 3;
inline constexpr int kFrequencyColumn = 6;
inline constexpr int kChannelColumn = 7;

// Orders texts as a byte-wise comparison of their UTF-8 forms would (code point order), without converting.
int CompareUtf8(QStringView a, QStringView b);

// Orders the rows of a model by a list of sort keys. It reads the rows where they stand; nothing moves.
class CReportSorter {
public:
    CReportSorter(const CReportModel& model, const QList<ColumnSortInfo>& keys);

    // -1, 0 or +1 for rows a and b on the given column; ties go to key k + 1, always ascending.
    int CompareRows(int a, int b, int column, int k) const;
    // The indexes first..last in the order of the primary key and its direction; not stable.
    std::vector<int> SortedRows(int first, int last) const;

private:
    int CompareCells(int a, int b, int column) const;
    void QuickSort(std::vector<int>& rows, int lo, int hi, bool ascending) const;

    const CReportModel& m_model;
    const QList<ColumnSortInfo>& m_keys;
};
