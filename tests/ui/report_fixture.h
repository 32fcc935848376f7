#pragma once

// A shown report list with the file list's eight columns, rows made of file records, and a window that
// records what the list reports to its owner.
#include "batch/source_probe.h"
#include "ui/report_ctrl.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTest>

#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

struct FileRow {
    QString name;
    double sizeMB = 1.0;
    std::uint32_t rate = 44100;
    std::uint32_t channels = 2;
    bool invalid = false;
};

// Stands in for the main window: takes the list's events and keeps what they said.
class ReportOwner : public QObject {
public:
    std::vector<std::pair<int, int>> sorted;     // (column, ascending) per WM_REPORT_SORTED
    std::vector<std::pair<int, int>> committed;  // (row, column) per WM_REPORT_EDITCOMMITTED
    std::function<void(const ReportEditCommittedEvent&)> onCommit;

    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Type(WM_REPORT_SORTED)) {
            const auto* sortedEvent = static_cast<ReportSortedEvent*>(e);
            sorted.emplace_back(sortedEvent->Column(), sortedEvent->Ascending());
            return true;
        }
        if (e->type() == QEvent::Type(WM_REPORT_EDITCOMMITTED)) {
            const auto* commit = static_cast<ReportEditCommittedEvent*>(e);
            committed.emplace_back(commit->Row(), commit->Column());
            if (onCommit)
                onCommit(*commit);
            return true;
        }
        return QObject::event(e);
    }
};

class ReportFixture {
public:
    static constexpr int kColumns = 8;

    ReportFixture()
    {
        static const char* const kHeadings[kColumns] = {"Name",          "Path",     "Type",      "Size(MB)",
                                                        "Last Modified", "Duration", "Frequency", "Channel"};
        static const int kWidths[kColumns] = {150, 150, 65, 85, 120, 88, 96, 88};
        m_list.notifyWnd = &m_owner;
        m_list.SetExtendedStyle(kReportHeaderDragDrop);
        for (int column = 0; column < kColumns; ++column)
            m_list.InsertColumn(column, QString::fromLatin1(kHeadings[column]),
                                column < 2 ? kReportAlignLeft : kReportAlignRight, kWidths[column]);
        m_list.SetSortable(true);
        m_list.sortInfo = {ColumnSortInfo{0, 1}};
        m_list.resize(900, 300);
        m_list.show();
        m_bExposed = QTest::qWaitForWindowExposed(&m_list);
    }

    CReportCtrl& List() { return m_list; }
    ReportOwner& Owner() { return m_owner; }
    bool Exposed() const { return m_bExposed; }

    // Appends a row as the main window fills one: texts from the record, the record as the user value.
    int Add(const FileRow& file)
    {
        FileItemInfo& info = m_records.emplace_back();
        info.m_bInvalid = file.invalid ? 1 : 0;
        info.m_nType = kFileTypeWav;
        info.m_dSizeMB = file.sizeMB;
        info.m_nSampleRate = file.rate;
        info.m_nChannels = file.channels;
        const int row = m_list.InsertItem(m_list.CountItems(RS_ANY), file.name);
        m_list.SetItemData(row, reinterpret_cast<quintptr>(&info));
        m_list.SetItemText(row, 1, QStringLiteral("/music/"));
        m_list.SetItemText(row, 2, QStringLiteral("WAV"));
        m_list.SetItemNumber(row, 3, file.sizeMB, 2);
        m_list.SetItemText(row, 6, QStringLiteral("%1 Hz").arg(file.rate));
        m_list.SetItemText(row, 7, QString::number(file.channels));
        return row;
    }

    void AddNames(const QStringList& names)
    {
        for (const QString& name : names)
            Add(FileRow{name});
    }

    QStringList Column(int column)
    {
        QStringList texts;
        for (int row = 0; row < m_list.CountItems(RS_ANY); ++row)
            texts << m_list.GetItemText(row, column);
        return texts;
    }

    std::vector<int> DisplayOrder()
    {
        std::vector<int> order;
        for (int position = 0; position < m_list.horizontalHeader()->count(); ++position)
            order.push_back(m_list.horizontalHeader()->logicalIndex(position));
        return order;
    }

    // The centre of a cell, in viewport coordinates.
    QPoint CellCenter(int row, int column)
    {
        return m_list.visualRect(m_list.model()->index(row, column)).center();
    }

    void Click(int row, int column, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(m_list.viewport(), Qt::LeftButton, modifiers, CellCenter(row, column));
    }

    QPoint HeaderCenter(int column)
    {
        QHeaderView* header = m_list.horizontalHeader();
        return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2};
    }

    void ClickHeader(int column)
    {
        QTest::mouseClick(m_list.horizontalHeader()->viewport(), Qt::LeftButton, {}, HeaderCenter(column));
    }

private:
    ReportOwner m_owner;
    std::deque<FileItemInfo> m_records;  // stable addresses for the user values
    CReportCtrl m_list;
    bool m_bExposed = false;
};

inline QColor CellColor(CReportCtrl& list, int row, int column, int role)
{
    return list.model()->index(row, column).data(role).value<QColor>();
}
