#include "filelist/list_state.h"

#include "filelist/file_item.h"
#include "ui/app_profile.h"
#include "ui/report_ctrl.h"

namespace {

const QString kSection = QStringLiteral("FileList");
const QString kColumnEntry = QStringLiteral("Column");
const QString kSortEntry = QStringLiteral("SortEx");

}  // namespace

void LoadColumnLayout(CReportCtrl& list)
{
    const std::optional<QByteArray> stored = GetProfileBinary(kSection, kColumnEntry);
    const std::vector<ColumnLayoutEntry> entries = stored ? UnpackColumnLayout(*stored) : std::vector<ColumnLayoutEntry>{};
    for (std::size_t column = 0; column < kFileListColumns.size(); ++column) {
        const FileListColumn& def = kFileListColumns[column];
        const int width = column < entries.size() ? entries[column].width : def.width;
        list.InsertColumn(static_cast<int>(column), QString::fromUtf16(def.heading), def.format, width);
    }
    for (std::size_t column = 0; column < entries.size() && column < kFileListColumns.size(); ++column)
        if (entries[column].visible == 0)
            list.ShowColumn(static_cast<int>(column), false);
}

void LoadSortKeys(CReportCtrl& list)
{
    const std::optional<QByteArray> stored = GetProfileBinary(kSection, kSortEntry);
    list.sortInfo = stored ? UnpackSortInfo(*stored) : QList<ColumnSortInfo>{};
    if (list.sortInfo.isEmpty())
        list.sortInfo = {ColumnSortInfo{0, 1}};
}

void SaveListState(const CReportCtrl& list)
{
    std::vector<ColumnLayoutEntry> entries;
    for (int column = 0; column < list.GetColumnCount(); ++column) {
        const bool visible = list.IsColumnVisible(column);
        entries.push_back({visible ? 1 : 0, visible ? list.columnWidth(column) : list.GetColumnState(column).width});
    }
    WriteProfileBinary(kSection, kColumnEntry, PackColumnLayout(entries));
    WriteProfileBinary(kSection, kSortEntry, PackSortInfo(list.sortInfo));
}
