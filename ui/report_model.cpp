#include "ui/report_model.h"

#include <QColor>

#include <algorithm>

namespace {

QColor ToQColor(ReportColor color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

Qt::Alignment AlignmentOf(int format)
{
    switch (format) {
    case kReportAlignRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case kReportAlignCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QVariant IconAt(const QList<QIcon>* pImages, int image)
{
    if (!pImages || image < 0 || image >= pImages->size())
        return {};
    return pImages->at(image);
}

template <class T>
void InsertAt(std::vector<T>& values, int at, T value)
{
    values.insert(values.begin() + at, std::move(value));
}

// Shared role lists, so that announcing a change allocates nothing.
const QList<int> kDisplayRoles{Qt::DisplayRole};
const QList<int> kDecorationRoles{Qt::DecorationRole};
const QList<int> kForegroundRoles{Qt::ForegroundRole};
const QList<int> kBackgroundRoles{Qt::BackgroundRole};

}  // namespace

int CReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CReportModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ReportRow& row = Row(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[column];
    case Qt::DecorationRole:
        return IconAt(m_pSmallImages, row.images[column]);
    case Qt::ForegroundRole:
        return ToQColor(row.rowData.textColors[column]);
    case Qt::BackgroundRole:
        return ToQColor(row.rowData.bkColors[column]);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(m_columns[column].format));
    default:
        return {};
    }
}

QVariant CReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const ReportColumn& column = Column(section);
    switch (role) {
    case Qt::DisplayRole:
        return column.heading;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(column.format));
    case Qt::DecorationRole:
        return column.headerImageLeft ? IconAt(m_pHeaderImages, column.headerImage) : QVariant();
    case kHeaderImageRightRole:
        return column.headerImageLeft ? QVariant() : IconAt(m_pHeaderImages, column.headerImage);
    default:
        return {};
    }
}

void CReportModel::InsertColumn(int column, const QString& heading, int format, ReportColor textColor,
                                ReportColor bkColor)
{
    beginInsertColumns({}, column, column);
    InsertAt(m_columns, column, ReportColumn{heading, format});
    for (const auto& row : m_rows) {
        InsertAt(row->texts, column, QString());
        InsertAt(row->images, column, -1);
        InsertAt(row->rowData.textColors, column, textColor);
        InsertAt(row->rowData.bkColors, column, bkColor);
    }
    endInsertColumns();
}

void CReportModel::SetHeaderImage(int column, int image, bool imageLeft)
{
    ReportColumn& entry = m_columns[static_cast<std::size_t>(column)];
    entry.headerImage = image;
    entry.headerImageLeft = imageLeft;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void CReportModel::SetSmallImages(const QList<QIcon>* pImages)
{
    m_pSmallImages = pImages;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), kDecorationRoles);
}

void CReportModel::SetHeaderImages(const QList<QIcon>* pImages)
{
    m_pHeaderImages = pImages;
    if (!m_columns.empty())
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void CReportModel::InsertRow(int row, const QString& text, quintptr userValue, ReportColor textColor,
                             ReportColor bkColor)
{
    const std::size_t columns = m_columns.size();
    auto entry = std::make_unique<ReportRow>(ReportRow{
        RowData{userValue, std::vector<ReportColor>(columns, textColor), std::vector<ReportColor>(columns, bkColor)},
        std::vector<QString>(columns), std::vector<int>(columns, -1)});
    if (columns > 0)
        entry->texts[0] = text;
    beginInsertRows({}, row, row);
    InsertAt(m_rows, row, std::move(entry));
    endInsertRows();
}

void CReportModel::RemoveRows(int row, int count)
{
    beginRemoveRows({}, row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
}

void CReportModel::RemoveMarkedRows(const std::vector<char>& doomed)
{
    const int count = rowCount();
    const int kept = static_cast<int>(std::count(doomed.begin(), doomed.end(), 0));
    if (kept == count)
        return;
    // The rows that stay keep their order at the front; the others gather at the end and go at once.
    std::vector<int> newRowOf(static_cast<std::size_t>(count));
    int front = 0;
    int back = kept;
    for (std::size_t row = 0; row < doomed.size(); ++row)
        newRowOf[row] = doomed[row] ? back++ : front++;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    ApplyPermutation(0, newRowOf);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    RemoveRows(kept, count - kept);
}

void CReportModel::SetText(int row, int column, const QString& text)
{
    MutableRow(row).texts[static_cast<std::size_t>(column)] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, kDisplayRoles);
}

void CReportModel::SetImage(int row, int column, int image)
{
    MutableRow(row).images[static_cast<std::size_t>(column)] = image;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, kDecorationRoles);
}

void CReportModel::SetUserValue(int row, quintptr userValue)
{
    MutableRow(row).rowData.userValue = userValue;
}

void CReportModel::SetChecked(int row, bool checked)
{
    MutableRow(row).checked = checked;
}

void CReportModel::SetColors(int firstRow, int lastRow, int left, int right, ReportColor color, bool background)
{
    for (int row = firstRow; row <= lastRow; ++row) {
        RowData& rowData = MutableRow(row).rowData;
        auto& colors = background ? rowData.bkColors : rowData.textColors;
        std::fill(colors.begin() + left, colors.begin() + right + 1, color);
    }
    emit dataChanged(index(firstRow, left), index(lastRow, right),
                     background ? kBackgroundRoles : kForegroundRoles);
}

void CReportModel::FillBackgrounds(const std::function<ReportColor(int, int)>& colorAt)
{
    if (m_rows.empty() || m_columns.empty())
        return;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        std::vector<ReportColor>& colors = m_rows[row]->rowData.bkColors;
        for (std::size_t column = 0; column < colors.size(); ++column)
            colors[column] = colorAt(static_cast<int>(row), static_cast<int>(column));
    }
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), kBackgroundRoles);
}

void CReportModel::Reorder(int first, const std::vector<int>& order)
{
    std::vector<int> newRowOf(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        newRowOf[static_cast<std::size_t>(order[position] - first)] = first + static_cast<int>(position);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    ApplyPermutation(first, newRowOf);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CReportModel::ApplyPermutation(int first, const std::vector<int>& newRowOf)
{
    std::vector<std::unique_ptr<ReportRow>> moved(newRowOf.size());
    for (std::size_t offset = 0; offset < newRowOf.size(); ++offset)
        moved[static_cast<std::size_t>(newRowOf[offset] - first)] =
            std::move(m_rows[static_cast<std::size_t>(first) + offset]);
    std::move(moved.begin(), moved.end(), m_rows.begin() + first);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int offset = old.row() - first;
        const bool moves = offset >= 0 && offset < static_cast<int>(newRowOf.size());
        to.append(moves ? index(newRowOf[static_cast<std::size_t>(offset)], old.column()) : old);
    }
    changePersistentIndexList(from, to);
}
