#include "filelist/file_item.h"
#include "filelist/main_window.h"
#include "ui/report_ctrl.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

#include <stdexcept>

namespace {

// The longest the window thread fills rows in one go during a load.
constexpr qint64 kFillSliceMs = 8;
constexpr int kLoadingDialogDelayMs = 500;
constexpr int kStatusTimerMs = 100;

// Shown in the open-file dialog as "Wav File (*.wav)"; the pattern itself matches .wav in any letter case,
// which a file system that tells cases apart would not do with "*.wav".
const QString kWavPattern = QStringLiteral("*.[wW][aA][vV]");
const QString kWavFilter = QStringLiteral("Wav File (*.wav) (%1)").arg(kWavPattern);

QStringList ShowOpenFileDialog(QWidget* owner)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(kWavFilter);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

}  // namespace

void CNorvDlg::OnAddFiles()
{
    StartLoader({});
}

void CNorvDlg::AddDroppedFiles(const QList<QUrl>& urls)
{
    QStringList dropped;
    for (const QUrl& url : urls) {
        const QFileInfo item(url.toLocalFile());
        if (item.isDir()) {
            // Only the folder's own WAV files: a dropped music library must not pull in every subfolder.
            const QDir folder(item.absoluteFilePath());
            for (const QString& name : folder.entryList({kWavPattern}, QDir::Files, QDir::Name))
                dropped << folder.filePath(name);
        } else if (item.isFile() && item.suffix().compare(u"wav", Qt::CaseInsensitive) == 0) {
            dropped << item.absoluteFilePath();
        }
    }
    if (!dropped.isEmpty())
        StartLoader(dropped);
}

void CNorvDlg::StartLoader(const QStringList& dropped)
{
    StopLoad();
    m_pLoaderThread = QThread::create([this, dropped] { LoadFiles(dropped); });
    m_pLoaderThread->start();
}

void CNorvDlg::StopLoad()
{
    ClearLoading();
    WaitForLoaderThread();
}

void CNorvDlg::WaitForLoaderThread()
{
    QThread* pThread = m_pLoaderThread;
    if (!pThread)
        return;
    // This thread goes on serving the loader's requests meanwhile, or neither would ever go on; user input
    // waits, so that no new command starts halfway. No forced stop: a thread killed in the middle of a
    // request would leave the list half-changed.
    if (!pThread->isFinished()) {
        QEventLoop loop;
        connect(pThread, &QThread::finished, &loop, &QEventLoop::quit);
        if (!pThread->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // A call made from within the loop above may have released the thread already.
    if (m_pLoaderThread != pThread)
        return;
    pThread->wait();
    delete pThread;
    m_pLoaderThread = nullptr;
}

void CNorvDlg::BeginLoadingUi()
{
    m_pLoadingDlg->Arm(this, kLoadingDialogDelayMs);
    m_bLoading.store(1, std::memory_order_release);
}

void CNorvDlg::LoadFiles(const QStringList& dropped)
{
    bool bStarted = false;
    try {
        const QStringList paths = !dropped.isEmpty() ? dropped : OnWindowThread([this] {
            return chooseFiles ? chooseFiles(this) : ShowOpenFileDialog(this);
        });
        if (paths.isEmpty())
            return;
        OnWindowThread([this] {
            m_pList->setUpdatesEnabled(false);
            BeginLoadingUi();
            setWindowTitle(QStringLiteral("Loading files, this may takes up to minutes, please wait..."));
        });
        bStarted = true;
        // Rows are filled on the window thread, several files per trip: a trip per cell update, or even per
        // file, made a load many times slower than reading the headers. A trip lasts a few milliseconds at
        // most, so the window keeps answering the user (and the loading dialog's Cancel) meanwhile.
        qsizetype next = 0;
        while (next < paths.size() && m_bLoading.load(std::memory_order_acquire) != 0) {
            OnWindowThread([this, &paths, &next] {
                QElapsedTimer slice;
                slice.start();
                do {
                    int iconCache = -1;
                    const QFileInfo found(paths[next++]);
                    if (found.isFile())
                        FillRow(found, iconCache);
                } while (next < paths.size() && slice.elapsed() < kFillSliceMs
                         && m_bLoading.load(std::memory_order_acquire) != 0);
            });
        }
        OnWindowThread([this] { EndOfLoad(); });
    } catch (const std::exception&) {
        OnWindowThread([this, bStarted] {
            QMessageBox::critical(this, kAppTitle, QStringLiteral("An Error Occurred While Loading Files!"));
            // Leaves the window usable again; the rows added so far stay.
            if (bStarted) {
                m_bLoading.store(0, std::memory_order_release);
                m_pLoadingDlg->EndLoad();
                m_pList->setUpdatesEnabled(true);
                setWindowTitle(kAppTitle);
            }
        });
    }
}

void CNorvDlg::EndOfLoad()
{
    m_pLoadingDlg->EndLoad();
    ShowListTotals();
    m_pStatusPanes[1]->setText(QStringLiteral(" No file selected"));
    m_pStatusPanes[1]->setToolTip(QStringLiteral("No file selected"));
    m_pList->SortRows(0, m_pList->CountItems(RS_ANY) - 1, true);
    m_pList->setUpdatesEnabled(true);
    if (m_pList->sortInfo.isEmpty())
        throw std::logic_error("no sort key");
    SetHeaderArrows(m_pList->sortInfo.front().column, m_pList->sortInfo.front().ascending);
    m_bLoading.store(0, std::memory_order_release);
    m_statusTimer.start(kStatusTimerMs);
    setWindowTitle(kAppTitle);
}
