#include "ui/report_ctrl.h"

#include "ui/report_editor.h"
#include "ui/report_header.h"
#include "ui/report_model.h"
#include "ui/report_row_record.h"
#include "ui/report_sorter.h"
#include "ui/report_theme.h"
#include "ui/report_tip.h"

#include <QCoreApplication>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QThread>

#include <algorithm>
#include <type_traits>

namespace {

constexpr unsigned kStateBits = RS_SELECTED | RS_UNSELECTED | RS_CHECKED | RS_UNCHECKED | RS_FOCUSED | RS_UNFOCUSED;

// The file name and path columns are always shown; the header menu greys them.
constexpr int kAlwaysShownColumns = 2;

constexpr ReportColor kUnreadableRowColor = ReportRgb(255, 225, 241);
constexpr ReportColor kOddRowColor = ReportRgb(244, 245, 252);
constexpr ReportColor kOddRowSortedColor = ReportRgb(227, 230, 242);
constexpr ReportColor kEvenRowColor = ReportRgb(255, 255, 255);
constexpr ReportColor kEvenRowSortedColor = ReportRgb(241, 242, 247);

bool Matches(unsigned states, unsigned filter)
{
    if (filter == 0)
        return false;
    return (filter & RS_ANY) != 0 || (states & filter) == filter;
}

QString FormatNumber(double value, int decimals)
{
    if (decimals >= 0)
        return QString::asprintf("%.*f", decimals, value);
    QString text = QString::asprintf("%f", value);
    while (text.endsWith(u'0'))
        text.chop(1);
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// Runs the call on the object's thread; from any other thread the caller waits for it, as a sent message does.
template <class Function>
auto OnWindowThread(const QObject* pObject, Function function) -> decltype(function())
{
    using Result = decltype(function());
    if (QThread::currentThread() == pObject->thread())
        return function();
    auto* pTarget = const_cast<QObject*>(pObject);
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(pTarget, function, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(pTarget, function, Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

}  // namespace

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTableView(parent),
      m_pModel(new CReportModel(this)),
      m_pHeader(new CReportHeader(this)),
      m_pEditor(new CReportEditor(viewport()))
{
    setHorizontalHeader(m_pHeader);
    setModel(m_pModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_pHeader->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(m_pHeader, &QHeaderView::sectionClicked, this, &CReportCtrl::OnColumnClick);
    connect(m_pHeader, &QHeaderView::sectionResized, this, &CReportCtrl::OnSectionResized);
    connect(m_pHeader, &CReportHeader::BeginTrack, this, &CReportCtrl::OnHeaderDrag);
    connect(m_pHeader, &CReportHeader::EndDrag, this, &CReportCtrl::OnHeaderDrag);
    connect(m_pHeader, &CReportHeader::DividerDoubleClicked, this,
            [this](int column) { AutoSizeColumn(column, false); });
    connect(m_pHeader, &QWidget::customContextMenuRequested, this, &CReportCtrl::ShowHeaderMenu);
    connect(m_pEditor, &CReportEditor::EditKey, this, &CReportCtrl::OnEditKey);
}

CReportCtrl::~CReportCtrl() = default;

// ---- Appearance

void CReportCtrl::SetExtendedStyle(unsigned style)
{
    setShowGrid((style & kReportGridLines) != 0);
    m_pHeader->setSectionsMovable((style & kReportHeaderDragDrop) != 0);
}

void CReportCtrl::SetSmallImageList(const QList<QIcon>* pImages)
{
    m_pModel->SetSmallImages(pImages);
}

void CReportCtrl::SetHeaderImageList(const QList<QIcon>* pImages)
{
    m_pModel->SetHeaderImages(pImages);
}

void CReportCtrl::ApplyExplorerTheme()
{
    SetThemeIfAvailable(this, QStringLiteral("ListView"), QStringLiteral("Explorer"), QString());
}

void CReportCtrl::SetShowTips(int show)
{
    m_bShowTips = show;
    viewport()->update();
}

// ---- Columns

int CReportCtrl::InsertColumn(int column, const QString& heading, int format, int width)
{
    EndEdit(true);
    if (column < 0)
        return -1;
    const int at = std::min(column, GetColumnCount());
    m_pModel->InsertColumn(at, heading, format, DefaultColor(false), DefaultColor(true));
    m_columns.insert(m_columns.begin() + at, ColumnState{true, std::max(width, 0), -1});
    if (width >= 0)
        m_pHeader->resizeSection(at, width);
    return at;
}

int CReportCtrl::GetColumnCount() const
{
    return m_pHeader->count();
}

bool CReportCtrl::ShowColumn(int column, bool show)
{
    if (!IsColumn(column))
        return false;
    std::vector<int> order = ColumnOrder();
    ColumnState& state = m_columns[static_cast<std::size_t>(column)];
    int at = static_cast<int>(std::find(order.begin(), order.end(), column) - order.begin());
    if (show) {
        // Back to the right, but past its return position only over hidden columns.
        for (int position = at + 1; position < static_cast<int>(order.size()); ++position) {
            const int there = order[static_cast<std::size_t>(position)];
            if (position <= state.returnPosition || !m_columns[static_cast<std::size_t>(there)].visible) {
                std::swap(order[static_cast<std::size_t>(at)], order[static_cast<std::size_t>(position)]);
                at = position;
            }
        }
    } else {
        state.returnPosition = static_cast<std::int32_t>(order.size());
        std::rotate(order.begin(), order.begin() + at, order.begin() + at + 1);
    }
    SetColumnOrder(order);

    // The width filter passes only while the column is marked visible, hence this order.
    if (show) {
        state.visible = true;
        m_pHeader->setSectionResizeMode(column, QHeaderView::Interactive);
        m_pHeader->resizeSection(column, state.width);
    } else {
        const int width = m_pHeader->sectionSize(column);
        m_pHeader->resizeSection(column, 0);
        state.visible = false;
        m_pHeader->setSectionResizeMode(column, QHeaderView::Fixed);
        state.width = width;
    }
    viewport()->update();
    return true;
}

bool CReportCtrl::IsColumnVisible(int column) const
{
    return IsColumn(column) && m_columns[static_cast<std::size_t>(column)].visible;
}

ColumnState CReportCtrl::GetColumnState(int column) const
{
    return IsColumn(column) ? m_columns[static_cast<std::size_t>(column)] : ColumnState{};
}

std::vector<ColumnLayoutEntry> CReportCtrl::GetColumnLayout() const
{
    std::vector<ColumnLayoutEntry> layout;
    for (int column = 0; column < GetColumnCount(); ++column) {
        const ColumnState& state = m_columns[static_cast<std::size_t>(column)];
        layout.push_back({state.visible ? 1 : 0, state.visible ? m_pHeader->sectionSize(column) : state.width});
    }
    return layout;
}

void CReportCtrl::AutoSizeColumn(int column, bool useHeader)
{
    const auto fit = [this, useHeader](int index) {
        int width = sizeHintForColumn(index);
        if (useHeader)
            width = std::max(width, m_pHeader->sectionSizeHint(index));
        m_pHeader->resizeSection(index, width);
    };
    if (column == -1) {
        for (int index = 0; index < GetColumnCount(); ++index)
            fit(index);
    } else if (IsColumn(column)) {
        fit(column);
    }
}

void CReportCtrl::EnsureColumnVisible(int column, bool partialIsEnough)
{
    if (!IsColumn(column))
        return;
    const int left = m_pHeader->sectionPosition(column);
    const int right = left + m_pHeader->sectionSize(column);
    const int scroll = horizontalOffset();
    const int clientRight = viewport()->width();
    int delta = 0;
    if (partialIsEnough && left - scroll < clientRight && right - scroll > 0)
        return;
    if (right - left > clientRight || left - scroll < 0)
        delta = left - scroll;
    else if (right - scroll > clientRight)
        delta = right - clientRight - scroll;
    if (delta != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + delta);
}

bool CReportCtrl::SetSortable(bool sortable)
{
    m_pHeader->setSectionsClickable(sortable);
    m_pHeader->viewport()->update();
    return true;
}

void CReportCtrl::SetHeaderImage(int column, int image, bool imageLeft)
{
    if (!m_pModel->HeaderImages())
        m_pModel->SetHeaderImages(m_pModel->SmallImages());
    if (IsColumn(column))
        m_pModel->SetHeaderImage(column, image, imageLeft);
}

// ---- Rows

int CReportCtrl::InsertItem(int row, const QString& text, unsigned states, int image, quintptr userValue)
{
    return OnWindowThread(this, [&] {
        EndEdit(true);
        if (row < 0)
            return -1;
        const int at = std::min(row, m_pModel->rowCount());
        m_pModel->InsertRow(at, text, userValue, DefaultColor(false), DefaultColor(true));
        if (image >= 0 && IsColumn(0))
            m_pModel->SetImage(at, 0, image);
        if (states != 0)
            SetItemStates(at, states);
        return at;
    });
}

bool CReportCtrl::DeleteItem(int row, bool selectNext)
{
    if (!IsRow(row))
        return false;
    EndEdit(EditRow() != row);
    if (selectNext && IsRow(row + 1))
        SetItemStates(row + 1, RS_SELECTED);
    m_pModel->RemoveRows(row, 1);
    return true;
}

int CReportCtrl::DeleteItems(unsigned filter)
{
    EndEdit(false);
    const int count = m_pModel->rowCount();
    if (filter & RS_ANY) {
        if (count > 0)
            m_pModel->RemoveRows(0, count);
        return count;
    }
    // All matching rows go in one change; the selection of the rows that stay is put back after it.
    const std::vector<unsigned> states = AllItemStates();
    std::vector<char> doomed(states.size());
    std::vector<char> staySelected;
    for (std::size_t row = 0; row < states.size(); ++row) {
        doomed[row] = Matches(states[row], filter);
        if (!doomed[row])
            staySelected.push_back((states[row] & RS_SELECTED) != 0);
    }
    const int deleted = count - static_cast<int>(staySelected.size());
    if (deleted > 0) {
        selectionModel()->clearSelection();
        m_pModel->RemoveMarkedRows(doomed);
        SelectRows(staySelected, true);
    }
    return deleted;
}

QString CReportCtrl::GetItemText(int row, int column) const
{
    return OnWindowThread(this, [&] {
        return IsRow(row) && IsColumn(column) ? m_pModel->Text(row, column) : QString();
    });
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text)
{
    return OnWindowThread(this, [&] {
        EndEdit(true);
        if (!IsRow(row) || !IsColumn(column))
            return false;
        m_pModel->SetText(row, column, text);
        return true;
    });
}

bool CReportCtrl::SetItemNumber(int row, int column, double value, int decimals)
{
    return SetItemText(row, column, FormatNumber(value, decimals));
}

bool CReportCtrl::SetItemImage(int row, int column, int image)
{
    return OnWindowThread(this, [&] {
        if (!IsRow(row) || !IsColumn(column))
            return false;
        m_pModel->SetImage(row, column, image);
        return true;
    });
}

quintptr CReportCtrl::GetItemData(int row) const
{
    return OnWindowThread(this, [&] { return IsRow(row) ? m_pModel->Row(row).rowData.userValue : quintptr(0); });
}

bool CReportCtrl::SetItemData(int row, quintptr userValue)
{
    return OnWindowThread(this, [&] {
        if (!IsRow(row))
            return false;
        m_pModel->SetUserValue(row, userValue);
        return true;
    });
}

unsigned CReportCtrl::GetItemStates(int row) const
{
    if (!IsRow(row))
        return 0;
    unsigned states = selectionModel()->isSelected(m_pModel->index(row, 0)) ? RS_SELECTED : RS_UNSELECTED;
    states |= m_pModel->Row(row).checked ? RS_CHECKED : RS_UNCHECKED;
    const QModelIndex current = currentIndex();
    states |= current.isValid() && current.row() == row ? RS_FOCUSED : RS_UNFOCUSED;
    return states;
}

bool CReportCtrl::SetItemStates(int row, unsigned states)
{
    if (!IsRow(row) || (states & kStateBits) == 0)
        return false;
    const QModelIndex cell = m_pModel->index(row, 0);
    if (states & RS_SELECTED)
        selectionModel()->select(cell, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (states & RS_UNSELECTED)
        selectionModel()->select(cell, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    if (states & (RS_CHECKED | RS_UNCHECKED))
        m_pModel->SetChecked(row, (states & RS_UNCHECKED) == 0);
    if (states & RS_FOCUSED)
        SetFocusRow(row);
    if ((states & RS_UNFOCUSED) && currentIndex().row() == row)
        selectionModel()->clearCurrentIndex();
    return true;
}

int CReportCtrl::SetAllItemStates(unsigned filter, unsigned states)
{
    if ((states & kStateBits) == 0 || filter == 0)
        return 0;
    const std::vector<unsigned> before = AllItemStates();
    std::vector<char> matching(before.size());
    int count = 0;
    int lastMatching = -1;
    for (std::size_t row = 0; row < before.size(); ++row) {
        matching[row] = Matches(before[row], filter);
        if (matching[row]) {
            ++count;
            lastMatching = static_cast<int>(row);
        }
    }
    // The same end result as applying the states row by row, with one selection change per kind.
    if (states & RS_SELECTED)
        SelectRows(matching, true);
    if (states & RS_UNSELECTED)
        SelectRows(matching, false);
    if (states & (RS_CHECKED | RS_UNCHECKED)) {
        for (std::size_t row = 0; row < matching.size(); ++row) {
            if (matching[row])
                m_pModel->SetChecked(static_cast<int>(row), (states & RS_UNCHECKED) == 0);
        }
    }
    if ((states & RS_FOCUSED) && lastMatching >= 0)
        SetFocusRow(lastMatching);
    const int focused = currentIndex().isValid() ? currentIndex().row() : -1;
    if ((states & RS_UNFOCUSED) && focused >= 0 && matching[static_cast<std::size_t>(focused)])
        selectionModel()->clearCurrentIndex();
    return count;
}

int CReportCtrl::CountItems(unsigned filter) const
{
    return OnWindowThread(this, [&] {
        if (filter == RS_ANY)
            return m_pModel->rowCount();
        const std::vector<unsigned> states = AllItemStates();
        return static_cast<int>(
            std::count_if(states.begin(), states.end(), [filter](unsigned row) { return Matches(row, filter); }));
    });
}

int CReportCtrl::FindNextItem(unsigned filter, int after) const
{
    const int count = m_pModel->rowCount();
    for (int row = after < -1 ? 0 : after + 1; row < count; ++row) {
        if (Matches(filter & RS_ANY ? 0 : GetItemStates(row), filter))
            return row;
    }
    return -1;
}

// ---- Colours

void CReportCtrl::SetItemTextColor(int row, int column, ReportColor color, bool redraw)
{
    OnWindowThread(this, [&] { SetColors(row, column, color, redraw, false); });
}

void CReportCtrl::SetItemBkColor(int row, int column, ReportColor color, bool redraw)
{
    OnWindowThread(this, [&] { SetColors(row, column, color, redraw, true); });
}

void CReportCtrl::SetColors(int row, int column, ReportColor color, bool redraw, bool background)
{
    const int rows = m_pModel->rowCount();
    const int columns = GetColumnCount();
    if (rows == 0 || columns == 0)
        return;
    const bool oneRow = IsRow(row);
    const bool oneColumn = IsColumn(column);
    if (color == kReportDefaultColor)
        color = DefaultColor(background);
    m_pModel->SetColors(oneRow ? row : 0, oneRow ? row : rows - 1, oneColumn ? column : 0,
                        oneColumn ? column : columns - 1, color, background);
    if (redraw)
        viewport()->update();
}

void CReportCtrl::ApplyRowColors(bool tint)
{
    const int sortColumn = sortInfo.isEmpty() ? -1 : sortInfo.front().column;
    int recordRow = -1;
    bool unreadable = false;
    m_pModel->FillBackgrounds([&](int row, int column) {
        if (row != recordRow) {
            recordRow = row;
            unreadable = IsUnreadableRow(m_pModel->Row(row).rowData.userValue);
        }
        if (unreadable)
            return kUnreadableRowColor;
        const bool sorted = tint && column == sortColumn;
        if (row % 2 != 0)
            return sorted ? kOddRowSortedColor : kOddRowColor;
        return sorted ? kEvenRowSortedColor : kEvenRowColor;
    });
    viewport()->update();
}

// ---- Sorting

void CReportCtrl::SortRows(int first, int last, bool tint)
{
    g_listBusy.store(1, std::memory_order_release);
    if (!sortInfo.isEmpty()) {
        RewriteRows(first, last);
        if (notifyWnd)
            QCoreApplication::postEvent(notifyWnd,
                                        new ReportSortedEvent(sortInfo.front().column, sortInfo.front().ascending));
        ApplyRowColors(tint);
    }
    g_listBusy.store(0, std::memory_order_release);
}

int CReportCtrl::CompareRows(int a, int b, int column, int k) const
{
    return CReportSorter(*m_pModel, sortInfo).CompareRows(a, b, column, k);
}

void CReportCtrl::RewriteRows(int first, int last)
{
    if (first >= last || !IsRow(first) || !IsRow(last))
        return;
    const std::vector<int> order = CReportSorter(*m_pModel, sortInfo).SortedRows(first, last);
    // Selection travels with the rows: taken off, then put back where each row went. The focus mark is a
    // persistent index and moves by itself.
    const std::vector<unsigned> before = AllItemStates();
    selectionModel()->clearSelection();
    m_pModel->Reorder(first, order);
    std::vector<char> selected(before.size());
    for (std::size_t row = 0; row < before.size(); ++row)
        selected[row] = (before[row] & RS_SELECTED) != 0;
    for (std::size_t position = 0; position < order.size(); ++position)
        selected[static_cast<std::size_t>(first) + position] =
            (before[static_cast<std::size_t>(order[position])] & RS_SELECTED) != 0;
    SelectRows(selected, true);
}

void CReportCtrl::OnColumnClick(int column)
{
    std::int32_t ascending = 1;
    const auto found = std::find_if(sortInfo.begin(), sortInfo.end(),
                                    [column](const ColumnSortInfo& key) { return key.column == column; });
    if (found != sortInfo.end()) {
        // The primary key flips; an older key comes back with the direction it had.
        ascending = found == sortInfo.begin() ? (found->ascending == 0 ? 1 : 0) : found->ascending;
        sortInfo.erase(found);
    }
    sortInfo.prepend(ColumnSortInfo{column, ascending});
    while (sortInfo.size() > kMaxSortKeys)
        sortInfo.removeLast();
    EndEdit(true);
    if (static_cast<unsigned>(column) < static_cast<unsigned>(GetColumnCount()) && m_pHeader->sectionsClickable())
        SortRows(0, m_pModel->rowCount() - 1, true);
}

// ---- Editing

void CReportCtrl::SetEditable(bool editable)
{
    if (!editable)
        EndEdit(true);
    m_bEditEnabled = editable;
}

bool CReportCtrl::AddEditableColumn(int column)
{
    if (!IsColumn(column) || IsColumnEditable(column))
        return false;
    m_editableColumns.push_back(column);
    return true;
}

bool CReportCtrl::IsColumnEditable(int column) const
{
    return std::find(m_editableColumns.begin(), m_editableColumns.end(), column) != m_editableColumns.end();
}

bool CReportCtrl::IsEditing() const
{
    return IsRow(EditRow()) && IsColumn(EditColumn());
}

bool CReportCtrl::StartEdit(int row, int column)
{
    if (!IsRow(row) || !IsColumn(column))
        return false;
    if (IsEditing() && EditRow() == row && EditColumn() == column)
        return true;
    EndEdit(true);
    m_editCell = {row, column};
    selectionModel()->select(m_pModel->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    SetFocusRow(row);
    const int format = m_pModel->Column(column).format;
    const auto alignment = format == kReportAlignCenter ? CReportEditor::kCenter
                           : format == kReportAlignRight ? CReportEditor::kRight
                                                         : CReportEditor::kLeft;
    m_pEditor->Open(EditRect(row, column), m_pModel->Text(row, column), alignment, font());
    if (column == 0)
        editOldText = m_pModel->Text(row, 0);
    return true;
}

bool CReportCtrl::EndEdit(bool commit)
{
    if (!IsEditing())
        return false;
    const QString text = m_pEditor->Text();
    bool changed = false;
    if (commit && text != m_pModel->Text(EditRow(), EditColumn())) {
        m_pModel->SetText(EditRow(), EditColumn(), text);
        changed = true;
        if (notifyWnd) {
            ReportEditCommittedEvent committed(m_editCell.data(), this);
            QCoreApplication::sendEvent(notifyWnd, &committed);
        }
    }
    // Keep the keyboard on the list rather than on whatever follows the box in the focus chain.
    if (m_pEditor->Box()->hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_pEditor->Hide();
    m_editCell = {-1, -1};
    return changed;
}

QRect CReportCtrl::EditRect(int row, int column) const
{
    const QModelIndex cell = m_pModel->index(row, column);
    QRect rect = visualRect(cell);
    // The box covers the label only, not the cell's image.
    if (!m_pModel->data(cell, Qt::DecorationRole).isNull())
        rect.setLeft(rect.left() + style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this));
    return rect;
}

void CReportCtrl::OnEditKey(QKeyEvent* event)
{
    const int row = EditRow();
    const int column = EditColumn();
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const int count = static_cast<int>(m_editableColumns.size());
        EndEdit(true);
        if (count == 0)
            return;
        const auto found = std::find(m_editableColumns.begin(), m_editableColumns.end(), column);
        const int k = found == m_editableColumns.end() ? -1 : static_cast<int>(found - m_editableColumns.begin());
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        const int next = m_editableColumns[static_cast<std::size_t>(back ? (count + k - 1) % count : (k + 1) % count)];
        EnsureColumnVisible(next, false);
        StartEdit(row, next);
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndEdit(true);
        break;
    case Qt::Key_Escape:
        EndEdit(false);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int count = m_pModel->rowCount();
        const int next = event->key() == Qt::Key_Up ? (count + row - 1) % count : (row + 1) % count;
        EndEdit(true);
        if (IsRow(next))
            scrollTo(m_pModel->index(next, column));
        StartEdit(next, column);
        break;
    }
    default:
        break;
    }
}

// ---- Input

void CReportCtrl::keyPressEvent(QKeyEvent* event)
{
    if (IsEditing() && CReportEditor::IsEditKey(event)) {
        OnEditKey(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->key() == Qt::Key_Plus && (modifiers & Qt::ControlModifier) && (modifiers & Qt::KeypadModifier)) {
        AutoSizeColumn(-1, false);
        return;
    }
    if (event->key() == Qt::Key_Space && !IsEditing()) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

template <class Base>
void CReportCtrl::OnClick(QMouseEvent* event, Base base)
{
    // The view turns some double-clicks into a press of its own; that one is part of this click.
    if (m_bInClick) {
        base();
        return;
    }
    m_bInClick = true;
    const QModelIndex cell = indexAt(event->position().toPoint());
    const bool wasEditing = IsEditing();
    const unsigned chosen = RS_SELECTED | RS_FOCUSED;
    const bool wasChosen = cell.isValid() && (GetItemStates(cell.row()) & chosen) == chosen;
    EndEdit(true);
    base();
    if (event->button() == Qt::LeftButton && m_bEditEnabled && !wasEditing && wasChosen &&
        IsColumnEditable(cell.column()))
        StartEdit(cell.row(), cell.column());
    m_bInClick = false;
}

void CReportCtrl::mousePressEvent(QMouseEvent* event)
{
    OnClick(event, [&] { QTableView::mousePressEvent(event); });
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    OnClick(event, [&] { QTableView::mouseDoubleClickEvent(event); });
}

void CReportCtrl::wheelEvent(QWheelEvent* event)
{
    EndEdit(false);
    QTableView::wheelEvent(event);
    RepaintIfEmpty();
}

void CReportCtrl::scrollContentsBy(int dx, int dy)
{
    EndEdit(false);
    QTableView::scrollContentsBy(dx, dy);
    RepaintIfEmpty();
}

void CReportCtrl::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    QString tip;
    if (m_bShowTips && m_pModel->rowCount() == 0) {
        tip = EmptyListTip(TickCount());
        QPainter painter(viewport());
        PaintEmptyListTip(painter, viewport()->rect(), tip);
    }
    // Screen readers read the tip that is shown as the table's description.
    if (accessibleDescription() != tip)
        setAccessibleDescription(tip);
}

// ---- Header

void CReportCtrl::OnSectionResized(int column, int, int newWidth)
{
    // Hidden columns keep width 0, whoever asks for another.
    if (IsColumn(column) && !m_columns[static_cast<std::size_t>(column)].visible && newWidth != 0)
        m_pHeader->resizeSection(column, 0);
    RepaintIfEmpty();
}

void CReportCtrl::OnHeaderDrag()
{
    EndEdit(false);
    RepaintIfEmpty();
}

void CReportCtrl::ShowHeaderMenu(const QPoint& position)
{
    QMenu menu(this);
    for (int column = 0; column < GetColumnCount(); ++column) {
        if (column == kSizeColumn)
            menu.addSeparator();
        QAction* action = menu.addAction(m_pModel->Column(column).heading);
        action->setData(column);
        action->setCheckable(true);
        action->setChecked(IsColumnVisible(column));
        action->setEnabled(column >= kAlwaysShownColumns);
    }
    if (const QAction* chosen = menu.exec(m_pHeader->viewport()->mapToGlobal(position)))
        OnHeaderMenuCommand(chosen->data().toInt());
}

void CReportCtrl::OnHeaderMenuCommand(int command)
{
    if (IsColumn(command))
        ShowColumn(command, !IsColumnVisible(command));
}

std::vector<int> CReportCtrl::ColumnOrder() const
{
    std::vector<int> order;
    for (int position = 0; position < m_pHeader->count(); ++position)
        order.push_back(m_pHeader->logicalIndex(position));
    return order;
}

void CReportCtrl::SetColumnOrder(const std::vector<int>& order)
{
    for (int position = 0; position < static_cast<int>(order.size()); ++position) {
        const int from = m_pHeader->visualIndex(order[static_cast<std::size_t>(position)]);
        if (from != position)
            m_pHeader->moveSection(from, position);
    }
}

// ---- Helpers

bool CReportCtrl::IsRow(int row) const
{
    return row >= 0 && row < m_pModel->rowCount();
}

bool CReportCtrl::IsColumn(int column) const
{
    return column >= 0 && column < static_cast<int>(m_columns.size());
}

ReportColor CReportCtrl::DefaultColor(bool background) const
{
    const QColor color = palette().color(background ? QPalette::Base : QPalette::Text);
    return ReportRgb(color.red(), color.green(), color.blue());
}

std::vector<unsigned> CReportCtrl::AllItemStates() const
{
    const int count = m_pModel->rowCount();
    std::vector<unsigned> states(static_cast<std::size_t>(count), RS_UNSELECTED | RS_UNFOCUSED);
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.left() > 0)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            states[static_cast<std::size_t>(row)] = RS_SELECTED | RS_UNFOCUSED;
    }
    for (int row = 0; row < count; ++row)
        states[static_cast<std::size_t>(row)] |= m_pModel->Row(row).checked ? RS_CHECKED : RS_UNCHECKED;
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        unsigned& focused = states[static_cast<std::size_t>(current.row())];
        focused = (focused & ~unsigned(RS_UNFOCUSED)) | RS_FOCUSED;
    }
    return states;
}

void CReportCtrl::SelectRows(const std::vector<char>& rows, bool select)
{
    const int lastColumn = GetColumnCount() - 1;
    if (lastColumn < 0)
        return;
    QItemSelection selection;
    const int count = static_cast<int>(rows.size());
    for (int first = 0; first < count; ++first) {
        if (!rows[static_cast<std::size_t>(first)])
            continue;
        int last = first;
        while (last + 1 < count && rows[static_cast<std::size_t>(last + 1)])
            ++last;
        selection.append(QItemSelectionRange(m_pModel->index(first, 0), m_pModel->index(last, lastColumn)));
        first = last;
    }
    if (!selection.isEmpty())
        selectionModel()->select(selection, select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void CReportCtrl::SetFocusRow(int row)
{
    // A focus mark set by the program does not scroll the list; keyboard and mouse still do.
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    const int column = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(m_pModel->index(row, column), QItemSelectionModel::NoUpdate);
    setAutoScroll(autoScroll);
}

void CReportCtrl::RepaintIfEmpty()
{
    // The tip stands in the middle of the list, so a partial repaint would cut it.
    if (m_pModel->rowCount() == 0)
        viewport()->update();
}
