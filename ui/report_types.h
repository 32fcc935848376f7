#pragma once

#include <QByteArray>
#include <QEvent>
#include <QList>
#include <QtGlobal>

#include <atomic>
#include <cstdint>
#include <vector>

class CReportCtrl;

// A colour as the list stores it: red in the low byte, then green, then blue.
using ReportColor = std::uint32_t;

constexpr ReportColor ReportRgb(int red, int green, int blue)
{
    return static_cast<ReportColor>(red & 0xFF) | (static_cast<ReportColor>(green & 0xFF) << 8) |
           (static_cast<ReportColor>(blue & 0xFF) << 16);
}

// Passed as a colour, it asks for the system's default colour.
inline constexpr ReportColor kReportDefaultColor = 0xFFFFFFFFu;

// Row states, used both to describe a row and as a filter (a row matches when it has every bit of the filter).
enum : unsigned {
    RS_ANY = 1,  // filter only: every row
    RS_SELECTED = 2,
    RS_UNSELECTED = 4,
    RS_CHECKED = 8,
    RS_UNCHECKED = 16,
    RS_FOCUSED = 32,
    RS_UNFOCUSED = 64,
};

// Extended list styles the owner may ask for. Full-row select and sub-item images are always on; Qt always
// double-buffers and has no info tips of its own, so those two bits change nothing.
enum : unsigned {
    kReportGridLines = 0x01,
    kReportSubItemImages = 0x02,
    kReportHeaderDragDrop = 0x10,
    kReportFullRowSelect = 0x20,
    kReportInfoTip = 0x400,
    kReportDoubleBuffer = 0x10000,
};

// Column formats as InsertColumn takes them.
enum : int { kReportAlignLeft = 0, kReportAlignRight = 1, kReportAlignCenter = 2 };

// The control's own record for a row: the owner's value and a text and background colour per cell.
struct RowData {
    quintptr userValue = 0;
    std::vector<ReportColor> textColors;
    std::vector<ReportColor> bkColors;
};

// One per header column, at the column's index.
struct ColumnState {
    bool visible = true;
    std::int32_t width = 0;            // the inserted width, then the last width before each hide
    std::int32_t returnPosition = -1;  // the header item count when hidden; bounds the move back on show
};

// One sort key; the primary key comes first in sortInfo.
struct ColumnSortInfo {
    std::int32_t column = 0;
    std::int32_t ascending = 1;  // nonzero: ascending
    friend bool operator==(const ColumnSortInfo&, const ColumnSortInfo&) = default;
};

// One column as the profile stores it: visible 1 or 0, then the width (the remembered one when hidden).
struct ColumnLayoutEntry {
    std::int32_t visible = 1;
    std::int32_t width = 0;
    friend bool operator==(const ColumnLayoutEntry&, const ColumnLayoutEntry&) = default;
};

// Stored forms: 8 bytes per entry, two little-endian int32 each; a trailing remainder is ignored.
QByteArray PackColumnLayout(const std::vector<ColumnLayoutEntry>& entries);
std::vector<ColumnLayoutEntry> UnpackColumnLayout(const QByteArray& bytes);
QByteArray PackSortInfo(const QList<ColumnSortInfo>& keys);
QList<ColumnSortInfo> UnpackSortInfo(const QByteArray& bytes);

// The list's reports to its owner keep the system's message numbers as event types.
inline constexpr int WM_REPORT_SORTED = 0xA711;
inline constexpr int WM_REPORT_EDITCOMMITTED = 0xA712;

// Posted to notifyWnd at the end of every SortRows.
class ReportSortedEvent : public QEvent {
public:
    ReportSortedEvent(int column, int ascending)
        : QEvent(QEvent::Type(WM_REPORT_SORTED)), m_nColumn(column), m_nAscending(ascending)
    {
    }
    int Column() const { return m_nColumn; }
    int Ascending() const { return m_nAscending; }

private:
    int m_nColumn;
    int m_nAscending;
};

// Sent to notifyWnd, synchronously, when an edit changed a cell; the cell is still the edited one meanwhile.
class ReportEditCommittedEvent : public QEvent {
public:
    ReportEditCommittedEvent(const std::int32_t* pCell, CReportCtrl* pList)
        : QEvent(QEvent::Type(WM_REPORT_EDITCOMMITTED)), m_pCell(pCell), m_pList(pList)
    {
    }
    int Row() const { return m_pCell[0]; }
    int Column() const { return m_pCell[1]; }
    CReportCtrl* List() const { return m_pList; }

private:
    const std::int32_t* m_pCell;  // the list's (edit row, edit column) pair
    CReportCtrl* m_pList;
};

// Set while a sort rewrites the list or a load was cancelled; the owner ignores row-change reports meanwhile.
// Written and read on the window thread; atomic because the loader thread may read it.
extern std::atomic<int> g_listBusy;
// Set by the main window at start-up; Qt always double-buffers, so the list paints the same either way.
extern std::atomic<int> g_isVistaOrLater;
