#pragma once

#include "ui/report_types.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// One row of the store: the control's RowData and what the list shows in each cell.
struct ReportRow {
    RowData rowData;
    std::vector<QString> texts;
    std::vector<int> images;  // -1: no image
    bool checked = false;     // kept and reported; the list draws no check boxes
};

// A header column: heading, text format and header image.
struct ReportColumn {
    QString heading;
    int format = kReportAlignLeft;
    int headerImage = -1;
    bool headerImageLeft = true;
};

// The rows and columns of a CReportCtrl. Every change goes through here so that views and accessibility are
// told; the rows can be rewritten in a new order with one layout change.
class CReportModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The header image placed right of the heading: an icon under this role instead of the decoration.
    static constexpr int kHeaderImageRightRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void InsertColumn(int column, const QString& heading, int format, ReportColor textColor, ReportColor bkColor);
    const ReportColumn& Column(int column) const { return m_columns[static_cast<std::size_t>(column)]; }
    void SetHeaderImage(int column, int image, bool imageLeft);
    void SetSmallImages(const QList<QIcon>* pImages);
    void SetHeaderImages(const QList<QIcon>* pImages);
    const QList<QIcon>* SmallImages() const { return m_pSmallImages; }
    const QList<QIcon>* HeaderImages() const { return m_pHeaderImages; }

    void InsertRow(int row, const QString& text, quintptr userValue, ReportColor textColor, ReportColor bkColor);
    void RemoveRows(int row, int count);
    // Removes every row marked in doomed (one flag per row) with one layout change and one removal.
    void RemoveMarkedRows(const std::vector<char>& doomed);
    const ReportRow& Row(int row) const { return *m_rows[static_cast<std::size_t>(row)]; }
    const QString& Text(int row, int column) const { return Row(row).texts[static_cast<std::size_t>(column)]; }
    void SetText(int row, int column, const QString& text);
    void SetImage(int row, int column, int image);
    void SetUserValue(int row, quintptr userValue);
    void SetChecked(int row, bool checked);
    // Colours of the cells in rows first..last and columns left..right.
    void SetColors(int firstRow, int lastRow, int left, int right, ReportColor color, bool background);
    // Every cell's background from colorAt(row, column), announced once.
    void FillBackgrounds(const std::function<ReportColor(int, int)>& colorAt);
    // Rows first.. take the rows that stood at order[0], order[1], ...; persistent indexes move with their rows.
    void Reorder(int first, const std::vector<int>& order);

private:
    ReportRow& MutableRow(int row) { return *m_rows[static_cast<std::size_t>(row)]; }
    // Puts the rows in the order of their new positions and moves the persistent indexes with them.
    void ApplyPermutation(int first, const std::vector<int>& newRowOf);

    std::vector<ReportColumn> m_columns;
    // Rows by pointer, so that inserting, deleting and reordering move pointers, not rows.
    std::vector<std::unique_ptr<ReportRow>> m_rows;
    const QList<QIcon>* m_pSmallImages = nullptr;
    const QList<QIcon>* m_pHeaderImages = nullptr;
};
