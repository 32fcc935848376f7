#pragma once

#include "batch/source_probe.h"

#include <QString>

#include <array>
#include <cstdint>

// One column of the file list as the main window inserts it; the width is the default without a saved layout.
struct FileListColumn {
    const char16_t* heading;
    int format;
    int width;
};

enum : int {
    kColName,
    kColPath,
    kColType,
    kColSize,
    kColModified,
    kColDuration,
    kColFrequency,
    kColChannel,
    kFileListColumnCount
};

extern const std::array<FileListColumn, kFileListColumnCount> kFileListColumns;

class CReportCtrl;
class QDateTime;

// The record behind a row of the file list (its user value).
FileItemInfo& RowInfo(const CReportCtrl& list, int row);
// A last-write time as the list shows it: local time, "yyyy/MM/dd HH:mm:ss"; empty when invalid.
QString ModifiedText(const QDateTime& time);

// "%02d:%02d:%02d" of the whole seconds (truncated toward zero).
QString DurationText(double seconds);
// "1 (Mono)", "2 (Stereo)", otherwise the count.
QString ChannelText(std::uint32_t channels);
// Pane 0: "%d file(s)   %.2f MB   %02d:%02d:%02d", or "No file" without rows.
QString TotalsText(int fileCount, double sizeMB, double duration);
// Pane 1: "%d file(s) selected, %.2f MB   %02d:%02d:%02d", or "No file selected".
QString SelectionText(int selected, double sizeMB, double duration);
