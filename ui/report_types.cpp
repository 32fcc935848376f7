#include "ui/report_types.h"

#include <QtEndian>

std::atomic<int> g_listBusy{0};
std::atomic<int> g_isVistaOrLater{0};

namespace {

constexpr int kRecordBytes = 8;

void AppendPair(QByteArray& bytes, std::int32_t first, std::int32_t second)
{
    char record[kRecordBytes];
    qToLittleEndian(first, record);
    qToLittleEndian(second, record + 4);
    bytes.append(record, kRecordBytes);
}

std::int32_t ReadInt32(const QByteArray& bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (qsizetype byte = 3; byte >= 0; --byte)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + byte]);
    return static_cast<std::int32_t>(value);
}

template <class Record, class Make>
auto UnpackPairs(const QByteArray& bytes, Make make)
{
    std::vector<Record> records;
    for (qsizetype at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes)
        records.push_back(make(ReadInt32(bytes, at), ReadInt32(bytes, at + 4)));
    return records;
}

}  // namespace

QByteArray PackColumnLayout(const std::vector<ColumnLayoutEntry>& entries)
{
    QByteArray bytes;
    for (const ColumnLayoutEntry& entry : entries)
        AppendPair(bytes, entry.visible, entry.width);
    return bytes;
}

std::vector<ColumnLayoutEntry> UnpackColumnLayout(const QByteArray& bytes)
{
    return UnpackPairs<ColumnLayoutEntry>(
        bytes, [](std::int32_t visible, std::int32_t width) { return ColumnLayoutEntry{visible, width}; });
}

QByteArray PackSortInfo(const QList<ColumnSortInfo>& keys)
{
    QByteArray bytes;
    for (const ColumnSortInfo& key : keys)
        AppendPair(bytes, key.column, key.ascending);
    return bytes;
}

QList<ColumnSortInfo> UnpackSortInfo(const QByteArray& bytes)
{
    const auto keys = UnpackPairs<ColumnSortInfo>(
        bytes, [](std::int32_t column, std::int32_t ascending) { return ColumnSortInfo{column, ascending}; });
    return QList<ColumnSortInfo>(keys.begin(), keys.end());
}
