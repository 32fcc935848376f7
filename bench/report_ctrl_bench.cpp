// The report list with 50,000 rows of file-list texts: filling it as the loader does, sorting by a text and by
// a numeric column, laying out the row colours, painting, and the heap it takes per row.
#include "batch/source_probe.h"
#include "ui/report_ctrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kRows = 50'000;

double Milliseconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

struct RowTexts {
    QString texts[8];
};

// Names, folders and values of the kind a music folder holds, in a shuffled order.
std::vector<RowTexts> MakeRows(std::vector<FileItemInfo>& records)
{
    static const char* const kArtists[] = {"Anna Berg", "the Night Owls", "Östra Kören", "DJ Kale", "Zanele",
                                           "Marco Polo Trio", "ebb & flow", "Mieko Arai"};
    static const std::uint32_t kRates[] = {8000, 22050, 44100, 48000, 96000};
    std::mt19937 engine(7);
    const auto random = [&engine](unsigned count) { return static_cast<unsigned>(engine() % count); };
    std::vector<RowTexts> rows(kRows);
    records.resize(kRows);
    for (int i = 0; i < kRows; ++i) {
        FileItemInfo& info = records[static_cast<std::size_t>(i)];
        info.m_nType = kFileTypeWav;
        info.m_nSampleRate = kRates[random(5)];
        info.m_nChannels = 1 + random(2);
        info.m_dDuration = static_cast<double>(random(900));
        info.m_dSizeMB = info.m_dDuration * info.m_nSampleRate * info.m_nChannels * 2 / 1048576.0;
        info.m_bInvalid = random(50) == 0 ? 1 : 0;
        const int seconds = static_cast<int>(info.m_dDuration);
        const QString artist = QString::fromUtf8(kArtists[random(8)]);
        RowTexts& row = rows[static_cast<std::size_t>(i)];
        row.texts[0] = QStringLiteral("%1 - Track %2 (take %3).wav").arg(artist).arg(random(5000)).arg(i % 7);
        row.texts[1] = QStringLiteral("/home/listener/Music/%1/Album %2/").arg(artist).arg(random(300));
        row.texts[2] = QStringLiteral("WAV");
        row.texts[3] = QString::asprintf("%.2f", info.m_dSizeMB);
        row.texts[4] = QString::asprintf("20%02u/%02u/%02u %02u:%02u:%02u", 10 + random(14), 1 + random(12),
                                         1 + random(28), random(24), random(60), random(60));
        row.texts[5] = QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
        row.texts[6] = QStringLiteral("%1 Hz").arg(info.m_nSampleRate);
        row.texts[7] = info.m_nChannels == 1 ? QStringLiteral("1 (Mono)") : QStringLiteral("2 (Stereo)");
    }
    return rows;
}

// A text of its own, as the loader formats one per cell, not a shared copy of the prepared one.
QString Fresh(const QString& text)
{
    return QString(text.constData(), text.size());
}

// What the texts' own heap blocks take: the string header and the UTF-16 characters with their terminator,
// rounded up as glibc's malloc does (8 bytes of chunk header, 16-byte granules, 32 at least).
std::size_t TextBytes(const std::vector<RowTexts>& rows)
{
    std::size_t bytes = 0;
    for (const RowTexts& row : rows) {
        for (const QString& text : row.texts) {
            const std::size_t request = 16 + (static_cast<std::size_t>(text.size()) + 1) * sizeof(QChar);
            bytes += std::max<std::size_t>(32, (request + 8 + 15) / 16 * 16);
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<FileItemInfo> records;
    const std::vector<RowTexts> rows = MakeRows(records);

    CReportCtrl list;
    const char* const headings[] = {"Name",          "Path",     "Type",      "Size(MB)",
                                    "Last Modified", "Duration", "Frequency", "Channel"};
    const int widths[] = {150, 150, 65, 85, 120, 88, 96, 88};
    for (int column = 0; column < 8; ++column)
        list.InsertColumn(column, QString::fromLatin1(headings[column]),
                          column < 2 ? kReportAlignLeft : kReportAlignRight, widths[column]);
    list.SetSortable(true);
    list.SetShowTips(1);
    list.resize(1000, 700);
    list.show();
    QApplication::processEvents();

    const std::size_t heapBefore = HeapInUse();
    const double insert = Milliseconds([&] {
        for (int i = 0; i < kRows; ++i) {
            const RowTexts& texts = rows[static_cast<std::size_t>(i)];
            const int row = list.InsertItem(i, Fresh(texts.texts[0]));
            list.SetItemData(row, reinterpret_cast<quintptr>(&records[static_cast<std::size_t>(i)]));
            for (int column = 1; column < 8; ++column)
                list.SetItemText(row, column, Fresh(texts.texts[column]));
            if (records[static_cast<std::size_t>(i)].m_bInvalid)
                list.SetItemTextColor(row, 2, ReportRgb(255, 0, 0));
        }
    });
    const double layout = Milliseconds([&] { list.viewport()->repaint(); });
    const std::size_t heapAfter = HeapInUse();

    const auto sortBy = [&](int column) {
        list.sortInfo = {{column, 1}, {0, 1}};
        return Milliseconds([&] { list.SortRows(0, kRows - 1, true); });
    };
    const double sortName = sortBy(0);
    const double sortModified = sortBy(4);
    const double sortSize = sortBy(3);
    const double sortRate = sortBy(6);
    // Every second row selected: 25,000 separate ranges, the worst case for carrying the selection.
    for (int row = 0; row < kRows; row += 2)
        list.SetItemStates(row, RS_CHECKED);
    const double selectChecked = Milliseconds([&] { list.SetAllItemStates(RS_CHECKED, RS_SELECTED); });
    const double sortNameSelected = sortBy(0);
    const double colors = Milliseconds([&] { list.ApplyRowColors(true); });
    const double paint = Milliseconds([&] {
        list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
        list.viewport()->repaint();
    });
    const double fit = Milliseconds([&] { list.AutoSizeColumn(-1, false); });
    const double remove = Milliseconds([&] { list.DeleteItems(RS_SELECTED); });

    const double perRow = static_cast<double>(heapAfter - heapBefore) / kRows;
    const double textsPerRow = static_cast<double>(TextBytes(rows)) / kRows;
    std::printf("rows                                 : %d\n", kRows);
    std::printf("insert and fill (8 texts, user value): %8.1f ms\n", insert);
    std::printf("first layout and paint               : %8.1f ms\n", layout);
    std::printf("SortRows by Name (text)              : %8.1f ms\n", sortName);
    std::printf("SortRows by Last Modified (text)     : %8.1f ms\n", sortModified);
    std::printf("SortRows by Size(MB) (numeric)       : %8.1f ms\n", sortSize);
    std::printf("SortRows by Frequency (numeric)      : %8.1f ms\n", sortRate);
    std::printf("SetAllItemStates, every 2nd row      : %8.1f ms\n", selectChecked);
    std::printf("SortRows by Name, every 2nd selected : %8.1f ms\n", sortNameSelected);
    std::printf("ApplyRowColors                       : %8.1f ms\n", colors);
    std::printf("scroll to the end and paint          : %8.1f ms\n", paint);
    std::printf("AutoSizeColumn(-1)                   : %8.1f ms\n", fit);
    std::printf("DeleteItems(RS_SELECTED), 25,000 rows: %8.1f ms\n", remove);
    std::printf("heap per row                         : %8.0f bytes\n", perRow);
    std::printf("  of which the texts' own blocks     : %8.0f bytes\n", textsPerRow);
    std::printf("  beyond the texts                   : %8.0f bytes\n", perRow - textsPerRow);
}
