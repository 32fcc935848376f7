#include "filelist/file_item.h"

#include "filelist/main_window.h"
#include "ui/report_ctrl.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QLabel>
#include <QMessageBox>

const std::array<FileListColumn, kFileListColumnCount> kFileListColumns{{
    {u"Name", kReportAlignLeft, 150},
    {u"Path", kReportAlignLeft, 150},
    {u"Type", kReportAlignRight, 65},
    {u"Size(MB)", kReportAlignRight, 85},
    {u"Last Modified", kReportAlignRight, 120},
    {u"Duration", kReportAlignRight, 88},
    {u"Frequency", kReportAlignRight, 96},
    {u"Channel", kReportAlignRight, 88},
}};

namespace {

constexpr ReportColor kUnknownTypeColor = ReportRgb(255, 0, 0);

}  // namespace

FileItemInfo& RowInfo(const CReportCtrl& list, int row)
{
    return *reinterpret_cast<FileItemInfo*>(list.GetItemData(row));
}

QString ModifiedText(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QString();
}

QString DurationText(double seconds)
{
    const auto whole = static_cast<long long>(seconds);
    return QString::asprintf("%02lld:%02lld:%02lld", whole / 3600, whole % 3600 / 60, whole % 60);
}

QString ChannelText(std::uint32_t channels)
{
    switch (channels) {
    case 1:
        return QStringLiteral("1 (Mono)");
    case 2:
        return QStringLiteral("2 (Stereo)");
    default:
        return QString::number(channels);
    }
}

QString TotalsText(int fileCount, double sizeMB, double duration)
{
    if (fileCount == 0)
        return QStringLiteral("No file");
    return QString::asprintf("%d file(s)   %.2f MB   ", fileCount, sizeMB) + DurationText(duration);
}

QString SelectionText(int selected, double sizeMB, double duration)
{
    if (selected <= 0)
        return QStringLiteral("No file selected");
    return QString::asprintf("%d file(s) selected, %.2f MB   ", selected, sizeMB) + DurationText(duration);
}

int CNorvDlg::OnAddRow()
{
    const int row = m_pList->InsertItem(m_pList->CountItems(RS_ANY), QString());
    m_pList->SetItemData(row, reinterpret_cast<quintptr>(new FileItemInfo{}));
    return 0;
}

int CNorvDlg::SmallIconIndex(const QFileInfo& file)
{
    // Files of one kind share one image, looked up once: the lookup decodes the theme's images.
    const QString kind = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
    if (const auto found = m_iconIndexByKind.constFind(kind); found != m_iconIndexByKind.constEnd())
        return *found;
    m_smallIcons.append(QFileIconProvider().icon(file));
    const auto index = static_cast<int>(m_smallIcons.size() - 1);
    m_iconIndexByKind.insert(kind, index);
    return index;
}

void CNorvDlg::FillRow(const QFileInfo& found, int& iconCache)
{
    OnWindowThread([this] {
        QEvent request{QEvent::Type(WM_FILELIST_ADDROW)};
        QCoreApplication::sendEvent(this, &request);
    });
    {
        const std::lock_guard lock(m_totalsLock);
        ++m_nFileCount;
    }
    m_nCurrentRow = m_pList->CountItems(RS_ANY) - 1;
    FileItemInfo& info = RowInfo(*m_pList, m_nCurrentRow);

    const QString fullPath = found.absoluteFilePath();
    m_pList->SetItemText(m_nCurrentRow, kColName, found.fileName());
    m_pLoadingDlg->SetTitle(QStringLiteral("Reading  ") + fullPath);
    m_pList->SetItemText(m_nCurrentRow, kColPath, fullPath.left(fullPath.lastIndexOf(u'/') + 1));

    if (iconCache == -1)
        iconCache = OnWindowThread([this, &found] { return SmallIconIndex(found); });
    m_pList->SetItemImage(m_nCurrentRow, kColName, iconCache);

    info.m_dSizeMB = static_cast<double>(static_cast<std::uint64_t>(found.size())) / 1048576.0;
    m_pList->SetItemNumber(m_nCurrentRow, kColSize, info.m_dSizeMB, 2);
    {
        const std::lock_guard lock(m_totalsLock);
        m_dTotalSizeMB += info.m_dSizeMB;
    }

    const QString fileName = found.fileName();
    info.m_nType = FileTypeOf(fileName);
    m_pList->SetItemText(m_nCurrentRow, kColType, fileName.mid(fileName.lastIndexOf(u'.') + 1).toUpper());

    m_pList->SetItemText(m_nCurrentRow, kColModified, ModifiedText(found.lastModified()));
    ShowAudioColumns(fullPath);
}

void CNorvDlg::ShowAudioColumns(const QString& fullPath)
{
    const int row = m_nCurrentRow;
    FileItemInfo& info = RowInfo(*m_pList, row);
    for (const int column : {kColDuration, kColFrequency, kColChannel})
        m_pList->SetItemText(row, column, QString());

    if (CanOpenForReading(fullPath) != 0) {
        info.m_bInvalid = 1;
    } else {
        if (info.m_nType == kFileTypeWav)
            ProbeRow(fullPath);
        if (info.m_nChannels == 0 || info.m_nSampleRate == 0 || info.m_nSamples == 0)
            info.m_bInvalid = 1;
    }
    if (info.m_bInvalid != 0) {
        m_pList->SetItemText(row, kColType, QStringLiteral("Unknown"));
        m_pList->SetItemTextColor(row, kColType, kUnknownTypeColor, true);
        return;
    }
    if (static_cast<long long>(info.m_dDuration) != 0)
        m_pList->SetItemText(row, kColDuration, DurationText(info.m_dDuration));
    m_pList->SetItemText(row, kColChannel, ChannelText(info.m_nChannels));
    m_pList->SetItemText(row, kColFrequency, QStringLiteral("%1 Hz").arg(info.m_nSampleRate));
}

void CNorvDlg::ProbeRow(const QString& fullPath)
{
    FileItemInfo& info = RowInfo(*m_pList, m_nCurrentRow);
    if (ProbeAudioHeader(fullPath, info)) {
        const std::lock_guard lock(m_totalsLock);
        m_dTotalDuration += info.m_dDuration;
        return;
    }
    // The box belongs to the window thread; the loader waits here until it is dismissed.
    OnWindowThread([this, &fullPath] {
        QMessageBox box(QMessageBox::NoIcon, kAppTitle,
                        QStringLiteral("Error : could not open file : %1").arg(fullPath), QMessageBox::Ok, this);
        box.exec();
    });
    info.m_bInvalid = 1;
}

QString CNorvDlg::ListTotalsText() const
{
    const std::lock_guard lock(m_totalsLock);
    return TotalsText(m_nFileCount, m_dTotalSizeMB, m_dTotalDuration);
}

void CNorvDlg::ShowListTotals()
{
    const QString text = ListTotalsText();
    m_pStatusPanes[0]->setText(text);
    m_pStatusPanes[0]->setToolTip(text);
}

void CNorvDlg::UpdateStatusTexts()
{
    m_pList->ApplyRowColors(false);
    ShowListTotals();
    UpdateSelectionText();
}

void CNorvDlg::UpdateSelectionText()
{
    int selected = 0;
    double sizeMB = 0;
    double duration = 0;
    for (int row = m_pList->FindNextItem(RS_SELECTED); row != -1; row = m_pList->FindNextItem(RS_SELECTED, row)) {
        const FileItemInfo& info = RowInfo(*m_pList, row);
        ++selected;
        sizeMB += info.m_dSizeMB;
        duration += info.m_dDuration;
    }
    m_pStatusPanes[1]->setText(SelectionText(selected, sizeMB, duration));
}
