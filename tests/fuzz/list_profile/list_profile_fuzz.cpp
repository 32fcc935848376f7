// Arbitrary per-user profile values for the file list's column layout and sort keys and for the main
// window's placement, stored through the profile and applied to real widgets the way the main window
// does at start-up, then saved and loaded once more as a close and the next start would.
//
// Input: restore mode (int8), clicked column (int8), the lengths of "Column" and of "SortEx" (uint16
// little-endian each, 0xFFFF: not stored), then their bytes, then the placement's bytes (not stored when
// none are left).
#include "fuzz_support.h"

#include "filelist/file_item.h"
#include "filelist/list_state.h"
#include "ui/app_profile.h"
#include "ui/report_ctrl.h"
#include "ui/resize_dlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <optional>

namespace {

const QString kFileList = QStringLiteral("FileList");
const QString kColumnEntry = QStringLiteral("Column");
const QString kSortEntry = QStringLiteral("SortEx");
const QString kPosition = QStringLiteral("Position");
constexpr std::uint16_t kNotStored = 0xFFFF;

struct ProfileInput {
    int restoreMode = 0;
    int clickedColumn = 0;
    std::optional<QByteArray> column;
    std::optional<QByteArray> sortKeys;
    std::optional<QByteArray> placement;
};

ProfileInput Split(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, 6> head{};
    const std::size_t headSize = std::min(size, head.size());
    std::copy_n(data, headSize, head.begin());
    const char* rest = reinterpret_cast<const char*>(data) + headSize;
    std::size_t left = size - headSize;
    const auto take = [&](std::uint16_t length) -> std::optional<QByteArray> {
        if (length == kNotStored)
            return std::nullopt;
        const std::size_t n = std::min<std::size_t>(length, left);
        QByteArray bytes(rest, static_cast<qsizetype>(n));
        rest += n;
        left -= n;
        return bytes;
    };
    ProfileInput input;
    input.restoreMode = static_cast<std::int8_t>(head[0]);
    input.clickedColumn = static_cast<std::int8_t>(head[1]);
    input.column = take(static_cast<std::uint16_t>(head[2] | head[3] << 8));
    input.sortKeys = take(static_cast<std::uint16_t>(head[4] | head[5] << 8));
    if (left > 0)
        input.placement = QByteArray(rest, static_cast<qsizetype>(left));
    return input;
}

// A value that is not stored is replaced by one of another type, which reads as absent.
void Store(const QString& section, const QString& entry, const std::optional<QByteArray>& value)
{
    FUZZ_CHECK(value ? WriteProfileBinary(section, entry, *value) : WriteProfileInt(section, entry, 0));
}

// Rows with ties in every column, so that the sort reaches the later keys.
struct SampleRow {
    const char16_t* name;
    double sizeMB;
    std::uint32_t rate;
    std::uint32_t channels;
};
constexpr std::array<SampleRow, 6> kRows{{{u"b.wav", 1.5, 44100, 2},
                                          {u"a.wav", 1.5, 8000, 1},
                                          {u"B.wav", 10.25, 44100, 2},
                                          {u"a.wav", 9.5, 44100, 6},
                                          {u"", 0, 0, 0},
                                          {u"\u00e4.wav", 1.5, 8000, 1}}};

void FillRows(CReportCtrl& list, std::array<FileItemInfo, kRows.size()>& records)
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const SampleRow& row = kRows[i];
        records[i] = FileItemInfo{};
        records[i].m_dSizeMB = row.sizeMB;
        records[i].m_nSampleRate = row.rate;
        records[i].m_nChannels = row.channels;
        records[i].m_bInvalid = row.rate == 0 ? 1 : 0;
        const int at = list.InsertItem(static_cast<int>(i), QString::fromUtf16(row.name), 0, -1,
                                       reinterpret_cast<quintptr>(&records[i]));
        list.SetItemText(at, kColPath, QStringLiteral("/music/"));
        list.SetItemText(at, kColType, QStringLiteral("WAV"));
        list.SetItemNumber(at, kColSize, row.sizeMB, 2);
        list.SetItemText(at, kColModified, QStringLiteral("2024/01/0%1 10:00:00").arg(i % 3));
        list.SetItemText(at, kColDuration, DurationText(static_cast<double>(i % 2)));
        list.SetItemText(at, kColFrequency, QStringLiteral("%1 Hz").arg(row.rate));
        list.SetItemText(at, kColChannel, ChannelText(row.channels));
    }
}

void CheckSorted(const CReportCtrl& list)
{
    if (list.sortInfo.isEmpty())
        return;
    const int sense = list.sortInfo.front().ascending != 0 ? 1 : -1;
    for (int row = 0; row + 1 < static_cast<int>(kRows.size()); ++row)
        FUZZ_CHECK(sense * list.CompareRows(row, row + 1, list.sortInfo.front().column, 0) <= 0);
}

void CheckColumns(const CReportCtrl& list, const std::optional<QByteArray>& stored)
{
    const std::vector<ColumnLayoutEntry> entries = stored ? UnpackColumnLayout(*stored) : std::vector<ColumnLayoutEntry>{};
    FUZZ_CHECK(list.GetColumnCount() == kFileListColumnCount);
    const std::vector<ColumnLayoutEntry> layout = list.GetColumnLayout();
    FUZZ_CHECK(layout.size() == static_cast<std::size_t>(kFileListColumnCount));
    const QHeaderView& header = *list.horizontalHeader();
    for (int column = 0; column < kFileListColumnCount; ++column) {
        const auto i = static_cast<std::size_t>(column);
        const bool hidden = i < entries.size() && entries[i].visible == 0;
        FUZZ_CHECK(list.IsColumnVisible(column) == !hidden);
        FUZZ_CHECK(layout[i].visible == (hidden ? 0 : 1));
        FUZZ_CHECK(layout[i].width >= 0 && layout[i].width <= header.maximumSectionSize());
        if (hidden)
            FUZZ_CHECK(header.sectionSize(column) == 0);
        // A width the header can take is the width the column gets.
        const int width = i < entries.size() ? entries[i].width : kFileListColumns[i].width;
        if (width >= 0 && width <= header.maximumSectionSize())
            FUZZ_CHECK(layout[i].width == width);
    }
}

void FuzzListState(const ProfileInput& input)
{
    std::array<FileItemInfo, kRows.size()> records;  // outlives the lists that point to it
    CReportCtrl list;
    LoadColumnLayout(list);
    LoadSortKeys(list);
    CheckColumns(list, input.column);
    const QList<ColumnSortInfo> stored = input.sortKeys ? UnpackSortInfo(*input.sortKeys) : QList<ColumnSortInfo>{};
    FUZZ_CHECK(list.sortInfo == (stored.isEmpty() ? QList<ColumnSortInfo>{{0, 1}} : stored));

    // The end of a load of files sorts by the stored keys as they are.
    FillRows(list, records);
    list.SetSortable(true);
    list.SortRows(0, static_cast<int>(kRows.size()) - 1, true);
    CheckSorted(list);

    // A click trims the keys and puts the clicked column in front.
    const int clicked = input.clickedColumn;
    const auto count = [&list](int column) {
        return std::count_if(list.sortInfo.begin(), list.sortInfo.end(),
                             [column](const ColumnSortInfo& key) { return key.column == column; });
    };
    const auto before = count(clicked);
    emit list.horizontalHeader()->sectionClicked(clicked);
    FUZZ_CHECK(list.sortInfo.size() <= CReportCtrl::kMaxSortKeys);
    FUZZ_CHECK(list.sortInfo.front().column == clicked);
    FUZZ_CHECK(count(clicked) <= std::max<decltype(before)>(before, 1));
    if (clicked >= 0 && clicked < kFileListColumnCount)
        CheckSorted(list);

    // What a close saves, the next start loads unchanged.
    SaveListState(list);
    CReportCtrl next;
    LoadColumnLayout(next);
    LoadSortKeys(next);
    FUZZ_CHECK(next.GetColumnLayout() == list.GetColumnLayout());
    FUZZ_CHECK(next.sortInfo == list.sortInfo);
}

class CPlacementDlg : public CResizeDlg {
public:
    CPlacementDlg()
    {
        resize(320, 200);
        auto* pLabel = new QLabel(QStringLiteral("Placement"), this);
        pLabel->setGeometry(10, 10, 300, 140);
        auto* pButton = new QPushButton(QStringLiteral("OK"), this);
        pButton->setGeometry(230, 160, 80, 30);
        OnInitDialog();
        AddAnchor(pLabel, AnchorMode::Stretch, AnchorMode::Stretch);
        AddAnchor(pButton, AnchorMode::Move, AnchorMode::Move);
        placementEntry = kMainPlacementEntry;
        // Shown for its events and layout, but never drawn: a stored size may be far beyond any screen.
        setAttribute(Qt::WA_DontShowOnScreen);
    }

    bool Restore() { return m_placementStore.RestorePlacement(*this, placementEntry, kPosition); }
};

void FuzzPlacement(const ProfileInput& input)
{
    CPlacementDlg dialog;
    const bool restored = dialog.Restore();
    FUZZ_CHECK(restored == (input.placement && input.placement->size() >= kWindowPlacementSize));
    if (!restored)
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.show();
    dialog.done(QDialog::Accepted);

    const std::optional<QByteArray> saved = GetProfileBinary(kPosition, kMainPlacementEntry);
    FUZZ_CHECK(saved && saved->size() == kWindowPlacementSize);
    FUZZ_CHECK(PackWindowPlacement(UnpackWindowPlacement(*saved)) == *saved);
    const WindowPlacement placement = UnpackWindowPlacement(*saved);
    FUZZ_CHECK(placement.length == kWindowPlacementSize);
    FUZZ_CHECK(placement.showCmd == kShowNormal || placement.showCmd == kShowMinimized || placement.showCmd == kShowMaximized);
    FUZZ_CHECK(placement.normalRight >= placement.normalLeft && placement.normalBottom >= placement.normalTop);
    // Whatever was stored, the window stays within the range Qt keeps widgets in.
    for (const std::int32_t edge : {placement.normalLeft, placement.normalTop, placement.normalRight, placement.normalBottom})
        FUZZ_CHECK(edge >= -QWIDGETSIZE_MAX && edge <= 2 * QWIDGETSIZE_MAX);
    // A rectangle a window can have comes back as it was stored.
    if (restored) {
        const WindowPlacement stored = UnpackWindowPlacement(*input.placement);
        const auto fits = [](std::int64_t nNear, std::int64_t nFar) {
            return nNear >= -QWIDGETSIZE_MAX && nNear <= nFar && nFar - nNear <= QWIDGETSIZE_MAX && nFar <= QWIDGETSIZE_MAX;
        };
        if (fits(stored.normalLeft, stored.normalRight) && fits(stored.normalTop, stored.normalBottom))
            FUZZ_CHECK(placement.normalLeft == stored.normalLeft && placement.normalTop == stored.normalTop &&
                       placement.normalRight == stored.normalRight && placement.normalBottom == stored.normalBottom);
    }
    FUZZ_CHECK(GetProfileInt(kPosition, QString(), -1) == input.restoreMode);
}

void CheckPackedForms(const ProfileInput& input)
{
    const auto whole = [](const QByteArray& bytes, qsizetype record) { return bytes.left(bytes.size() / record * record); };
    if (input.column)
        FUZZ_CHECK(PackColumnLayout(UnpackColumnLayout(*input.column)) == whole(*input.column, 8));
    if (input.sortKeys)
        FUZZ_CHECK(PackSortInfo(UnpackSortInfo(*input.sortKeys)) == whole(*input.sortKeys, 8));
    if (input.placement && input.placement->size() >= kWindowPlacementSize)
        FUZZ_CHECK(PackWindowPlacement(UnpackWindowPlacement(*input.placement)) == input.placement->left(kWindowPlacementSize));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzScratchDir();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt may take arguments out of argv; libFuzzer's own stay untouched.
    static int qtArgc = 1;
    static char* qtArgv[] = {*argc > 0 ? (*argv)[0] : nullptr, nullptr};
    static const QApplication* pApp = new QApplication(qtArgc, qtArgv);
    return pApp ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ProfileInput input = Split(data, size);
    CheckPackedForms(input);
    Store(kFileList, kColumnEntry, input.column);
    Store(kFileList, kSortEntry, input.sortKeys);
    Store(kPosition, kMainPlacementEntry, input.placement);
    FUZZ_CHECK(WriteProfileInt(kPosition, QString(), input.restoreMode));
    FuzzListState(input);
    FuzzPlacement(input);
    // What an event loop would have delivered, deletions included, so that nothing piles up across runs.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
