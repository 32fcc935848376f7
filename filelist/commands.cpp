#include "batch/progress_window.h"
#include "batch/task_builder.h"
#include "engine/folder_path.h"
#include "filelist/file_item.h"
#include "filelist/main_window.h"
#include "settings/encoder_settings.h"
#include "ui/report_ctrl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace {

// Where the file manager offers none: what the shell's sheet would say first.
void ShowOwnProperties(QWidget* owner, const QString& fullPath)
{
    const QFileInfo file(fullPath);
    QMessageBox::information(
        owner, QStringLiteral("Properties"),
        QStringLiteral("%1\n\nLocation: %2\nSize: %3 bytes\nModified: %4")
            .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()), QString::number(file.size()),
                 ModifiedText(file.lastModified())));
}

}  // namespace

QString CNorvDlg::FullPathOf(int row) const
{
    return m_pList->GetItemText(row, kColPath) + m_pList->GetItemText(row, kColName);
}

void CNorvDlg::RemoveRow(int row)
{
    FileItemInfo* info = &RowInfo(*m_pList, row);
    {
        const std::lock_guard lock(m_totalsLock);
        --m_nFileCount;
        m_dTotalSizeMB -= info->m_dSizeMB;
        m_dTotalDuration -= info->m_dDuration;
    }
    delete info;
    m_pList->DeleteItem(row, false);
}

void CNorvDlg::RemoveRows(unsigned filter)
{
    // The load ends first, so that no row is taken away under the loader filling it.
    StopLoad();
    m_bLoading.store(1, std::memory_order_release);
    m_pList->setUpdatesEnabled(false);
    for (int row = m_pList->FindNextItem(filter); row != -1; row = m_pList->FindNextItem(filter))
        RemoveRow(row);
    UpdateStatusTexts();
    m_pList->setUpdatesEnabled(true);
    m_bLoading.store(0, std::memory_order_release);
}

void CNorvDlg::OnRemove()
{
    RemoveRows(RS_SELECTED);
}

void CNorvDlg::OnRemoveAll()
{
    RemoveRows(RS_ANY);
}

void CNorvDlg::OnSelectAll()
{
    StopLoad();
    m_bLoading.store(1, std::memory_order_release);
    m_pList->SetAllItemStates(RS_ANY, RS_SELECTED);
    m_bLoading.store(0, std::memory_order_release);
    UpdateSelectionText();
}

void CNorvDlg::OnOpen()
{
    const int row = m_pList->FindNextItem(RS_SELECTED);
    if (row == -1)
        return;
    const QString fullPath = FullPathOf(row);
    if (QFileInfo::exists(fullPath)) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(fullPath)))
            QMessageBox::warning(this, kAppTitle,
                                 QStringLiteral("There is no application associated with the given file name extension."));
        return;
    }
    if (QMessageBox::warning(this, kAppTitle, QStringLiteral("File NOT Found!  Remove It from the List?"),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    StopLoad();
    m_bLoading.store(1, std::memory_order_release);
    RemoveRow(row);
    UpdateStatusTexts();
    m_bLoading.store(0, std::memory_order_release);
}

void CNorvDlg::OnProperties()
{
    const int row = m_pList->FindNextItem(RS_SELECTED);
    if (row == -1)
        return;
    const QString fullPath = FullPathOf(row);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(fullPath).toString()} << QString();
    // Asynchronous, so a file manager that is slow to start never freezes the list.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, fullPath](QDBusPendingCallWatcher* done) {
        if (done->isError())
            ShowOwnProperties(this, fullPath);
        done->deleteLater();
    });
}

void CNorvDlg::OnRename()
{
    const int row = m_pList->FindNextItem(RS_SELECTED);
    if (row == -1)
        return;
    m_pList->editOldText = m_pList->GetItemText(row, kColName);
    m_pList->StartEdit(row, kColName);
}

void CNorvDlg::OnEditCommitted(int row, int column)
{
    if (column != kColName)
        return;
    const QString folder = m_pList->GetItemText(row, kColPath);
    // QFile::rename refuses an existing target, as the platform's move does.
    if (!QFile::rename(folder + m_pList->editOldText, folder + m_pList->GetItemText(row, kColName))) {
        QMessageBox box(QMessageBox::NoIcon, kAppTitle, QStringLiteral("Fail to Rename File!"), QMessageBox::Ok, this);
        box.exec();
        m_pList->SetItemText(row, kColName, m_pList->editOldText);
    }
}

void CNorvDlg::OnContextMenu(const QPoint& position)
{
    if (!m_pList->indexAt(position).isValid())
        return;
    QMenu menu(this);
    QAction* convert = menu.addAction(QStringLiteral("Convert Selected\tShift+F3"), this, [this] { ConvertFiles(true); });
    convert->setData(ID_CONVERT_SELECTED);
    menu.addAction(QStringLiteral("Open"), this, &CNorvDlg::OnOpen)->setData(ID_FILE_OPEN);
    menu.addAction(QStringLiteral("Properties"), this, &CNorvDlg::OnProperties)->setData(ID_FILE_PROPERTIES);
    menu.setDefaultAction(convert);
    menu.exec(m_pList->viewport()->mapToGlobal(position));
}

void CNorvDlg::OnDoubleClick()
{
    if (m_pList->CountItems(RS_SELECTED) != 0)
        ConvertFiles(true);
}

void CNorvDlg::ConvertFiles(bool selectedOnly)
{
    if (g_listBusy.load(std::memory_order_acquire) != 0 || m_bLoading.load(std::memory_order_acquire) != 0)
        return;
    if (!selectedOnly && m_pList->CountItems(RS_ANY) == 0)
        return;
    CConvProg progress(this);
    progress.m_nBatchSamplesTotal = 0;
    if (!QFileInfo::exists(g_encoderSettings.DesDir))
        CreateFolderPath(g_encoderSettings.DesDir);
    const unsigned filter = selectedOnly ? RS_SELECTED : RS_ANY;
    for (int row = m_pList->FindNextItem(filter); row != -1; row = m_pList->FindNextItem(filter, row)) {
        const FileItemInfo& info = RowInfo(*m_pList, row);
        if (info.m_bInvalid != 0)
            continue;
        CConversionTask task = BuildConversionTask(FullPathOf(row), m_pList->GetItemText(row, kColName), info);
        progress.m_nBatchSamplesTotal += task.m_nTotalSamples;
        progress.m_tasks.push_back(std::move(task));
    }
    if (progress.m_tasks.empty())
        return;
    if (runBatch)
        runBatch(progress);
    else
        progress.exec();
}
