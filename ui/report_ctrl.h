#pragma once

#include "ui/report_types.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QTableView>

#include <array>
#include <vector>

class CReportEditor;
class CReportHeader;
class CReportModel;

// The report list of the file list: rows under a header, each row carrying a RowData; row-state filters;
// columns hidden by width at the front of the display order; banded colours; a tip while empty; multi-key
// sorting by column click; in-place editing of cells.
//
// Window thread only, except the row operations a loader thread uses (InsertItem, GetItemText, SetItemText,
// SetItemNumber, SetItemImage, GetItemData, SetItemData, SetItemTextColor, SetItemBkColor, CountItems): called
// from another thread they run on the window thread and the caller waits, as platform list requests do.
class CReportCtrl : public QTableView {
    Q_OBJECT

public:
    // Sorting keeps at most this many keys.
    static constexpr int kMaxSortKeys = 6;

    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Receives WM_REPORT_SORTED (posted) and WM_REPORT_EDITCOMMITTED (sent); none until the owner sets it.
    QPointer<QObject> notifyWnd;
    // Sort keys, primary first; the owner fills it at start-up and stores it at shutdown.
    QList<ColumnSortInfo> sortInfo;
    // Column 0's text when an edit on column 0 started; the owner reads it on a commit and may set it.
    QString editOldText;

    // Grid lines and header drag-and-drop take effect; the other bits are accepted.
    void SetExtendedStyle(unsigned style);
    // The lists stay the owner's and may grow while in use; images are indexes into them.
    void SetSmallImageList(const QList<QIcon>* pImages);
    void SetHeaderImageList(const QList<QIcon>* pImages);
    void ApplyExplorerTheme();
    void SetShowTips(int show);

    // Columns. A width of -1 leaves the header's default width (the column state records 0).
    int InsertColumn(int column, const QString& heading, int format = kReportAlignLeft, int width = -1);
    int GetColumnCount() const;
    bool ShowColumn(int column, bool show);
    bool IsColumnVisible(int column) const;
    ColumnState GetColumnState(int column) const;
    // The record the profile stores: per column, visible and the current (or, hidden, the remembered) width.
    std::vector<ColumnLayoutEntry> GetColumnLayout() const;
    void AutoSizeColumn(int column = -1, bool useHeader = false);
    void EnsureColumnVisible(int column, bool partialIsEnough);
    bool SetSortable(bool sortable);
    void SetHeaderImage(int column, int image, bool imageLeft);

    // Rows.
    int InsertItem(int row, const QString& text, unsigned states = 0, int image = -1, quintptr userValue = 0);
    bool DeleteItem(int row, bool selectNext = false);
    int DeleteItems(unsigned filter);
    QString GetItemText(int row, int column) const;
    bool SetItemText(int row, int column, const QString& text);
    bool SetItemNumber(int row, int column, double value, int decimals);
    bool SetItemImage(int row, int column, int image);
    quintptr GetItemData(int row) const;
    bool SetItemData(int row, quintptr userValue);
    unsigned GetItemStates(int row) const;
    bool SetItemStates(int row, unsigned states);
    int SetAllItemStates(unsigned filter, unsigned states);
    int CountItems(unsigned filter) const;
    int FindNextItem(unsigned filter, int after = -1) const;

    // Colours: a row or column out of range means all of them; kReportDefaultColor the system's colour.
    void SetItemTextColor(int row, int column, ReportColor color = kReportDefaultColor, bool redraw = true);
    void SetItemBkColor(int row, int column, ReportColor color = kReportDefaultColor, bool redraw = true);
    void ApplyRowColors(bool tint);

    // Sorting.
    void SortRows(int first, int last, bool tint);
    int CompareRows(int a, int b, int column, int k) const;

    // Editing.
    void SetEditable(bool editable);
    bool AddEditableColumn(int column);
    bool IsColumnEditable(int column) const;
    bool IsEditing() const;
    bool StartEdit(int row, int column);
    bool EndEdit(bool commit);
    int EditRow() const { return m_editCell[0]; }
    int EditColumn() const { return m_editCell[1]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsRow(int row) const;
    bool IsColumn(int column) const;
    ReportColor DefaultColor(bool background) const;
    void SetColors(int row, int column, ReportColor color, bool redraw, bool background);
    std::vector<unsigned> AllItemStates() const;
    void SelectRows(const std::vector<char>& rows, bool select);
    void SetFocusRow(int row);
    std::vector<int> ColumnOrder() const;
    void SetColumnOrder(const std::vector<int>& order);
    void RepaintIfEmpty();

    void OnColumnClick(int column);
    void OnSectionResized(int column, int oldWidth, int newWidth);
    // The user started dragging a divider or dropped a dragged column: an open edit is discarded.
    void OnHeaderDrag();
    void ShowHeaderMenu(const QPoint& position);
    void OnHeaderMenuCommand(int command);
    template <class Base>
    void OnClick(QMouseEvent* event, Base base);
    void OnEditKey(QKeyEvent* event);
    void RewriteRows(int first, int last);
    QRect EditRect(int row, int column) const;

    CReportModel* m_pModel;
    CReportHeader* m_pHeader;
    CReportEditor* m_pEditor;
    int m_bShowTips = 0;
    std::vector<ColumnState> m_columns;  // at the columns' indexes, not their display positions
    std::vector<int> m_editableColumns;  // in Tab order
    bool m_bEditEnabled = false;
    std::array<std::int32_t, 2> m_editCell{-1, -1};  // (edit row, edit column); its address goes to the owner
    bool m_bInClick = false;
};
