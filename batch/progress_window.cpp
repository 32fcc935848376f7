#include "batch/progress_window.h"

#include "batch/batch_driver.h"
#include "batch/log_format.h"
#include "platform/tick.h"
#include "settings/encoder_settings.h"
#include "ui/report_theme.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>

#include <condition_variable>
#include <memory>
#include <mutex>

const QString CConvProg::kPlacementSection = QStringLiteral("Position");
const QString CConvProg::kPlacementEntry = QStringLiteral("{104A7F6F-FFA3-4293-B808-9578D46FEC55}");

namespace {

// Window-side work that workers ask for without touching widgets themselves.
const QEvent::Type kCaptionEvent = static_cast<QEvent::Type>(QEvent::User + 300);
const QEvent::Type kFileLabelsEvent = static_cast<QEvent::Type>(QEvent::User + 301);
const QEvent::Type kClockTimerEvent = static_cast<QEvent::Type>(QEvent::User + 302);
const QEvent::Type kErrorBoxEvent = static_cast<QEvent::Type>(QEvent::User + 303);

struct TextEvent : QEvent {
    TextEvent(QEvent::Type type, QString first, QString second = {}, int value = 0)
        : QEvent(type), strFirst(std::move(first)), strSecond(std::move(second)), nValue(value)
    {
    }
    QString strFirst;
    QString strSecond;
    int nValue;
};

// Lets a worker wait until its report has been shown. Qt deletes an event after delivery and deletes the
// pending events of a receiver that goes away, so signalling from the destructor releases the worker in
// every case.
struct Delivery {
    std::mutex mutex;
    std::condition_variable signal;
    bool bDone = false;
};

struct ProgressEvent : QEvent {
    ProgressEvent(float file, float batch, std::shared_ptr<Delivery> delivery)
        : QEvent(WM_CONVERT_PROGRESS), fFile(file), fBatch(batch), pDelivery(std::move(delivery))
    {
    }
    ~ProgressEvent() override
    {
        if (!pDelivery)
            return;
        const std::lock_guard lock(pDelivery->mutex);
        pDelivery->bDone = true;
        pDelivery->signal.notify_all();
    }
    float fFile;
    float fBatch;
    std::shared_ptr<Delivery> pDelivery;
};

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y, int width)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 20);
    return label;
}

// A caption and its value, both kept centred in the row as the window widens.
QLabel* AddValue(CResizeDlg* dialog, const QString& caption, const QString& value, int x, int y, const QString& name)
{
    QLabel* pCaption = AddLabel(dialog, caption, x, y, 56);
    QLabel* pValue = AddLabel(dialog, value, x + 56, y, 76);
    pValue->setObjectName(name);
    pValue->setAccessibleName(name);
    dialog->AddAnchor(pCaption, AnchorMode::Centre, AnchorMode::Fixed);
    dialog->AddAnchor(pValue, AnchorMode::Centre, AnchorMode::Fixed);
    return pValue;
}

QString Percent(float percent)
{
    return QString::asprintf("%5.2f%%", static_cast<double>(percent));
}

QString Speed(float seconds, float elapsed)
{
    return QString::asprintf(" %5.2fx", static_cast<double>(seconds / elapsed));
}

}  // namespace

CConvProg::CConvProg(QWidget* parent) : CResizeDlg(parent)
{
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(640, 480);

    auto* fileGroup = new QGroupBox(QStringLiteral("Current Progress"), this);
    fileGroup->setGeometry(10, 8, 620, 88);
    auto* batchGroup = new QGroupBox(QStringLiteral("Overall Progress"), this);
    batchGroup->setGeometry(10, 102, 620, 88);
    m_prgFile = new QProgressBar(this);
    m_prgFile->setGeometry(22, 32, 596, 18);
    m_prgFile->setObjectName(QStringLiteral("fileBar"));
    m_prgBatch = new QProgressBar(this);
    m_prgBatch->setGeometry(22, 126, 596, 18);
    m_prgBatch->setObjectName(QStringLiteral("batchBar"));
    for (QProgressBar* bar : {m_prgFile, m_prgBatch}) {
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
    }

    const QString zeroTime = QStringLiteral("00:00:00");
    m_pFilePercent = AddValue(this, QStringLiteral("Done:"), QStringLiteral("0.00%"), 22, 60, QStringLiteral("filePercent"));
    m_pFileSpeed = AddValue(this, QStringLiteral("Speed:"), QStringLiteral("0.00x"), 172, 60, QStringLiteral("fileSpeed"));
    m_pFileElapsed = AddValue(this, QStringLiteral("Elapsed:"), zeroTime, 322, 60, QStringLiteral("fileElapsed"));
    m_pFileEta = AddValue(this, QStringLiteral("ETA:"), zeroTime, 472, 60, QStringLiteral("fileEta"));
    m_pBatchPercent = AddValue(this, QStringLiteral("Done:"), QStringLiteral("0.00%"), 22, 154, QStringLiteral("batchPercent"));
    m_pBatchSpeed = AddValue(this, QStringLiteral("Speed:"), QStringLiteral("0.00x"), 172, 154, QStringLiteral("batchSpeed"));
    m_pBatchElapsed = AddValue(this, QStringLiteral("Elapsed:"), zeroTime, 322, 154, QStringLiteral("batchElapsed"));
    m_pBatchEta = AddValue(this, QStringLiteral("ETA:"), zeroTime, 472, 154, QStringLiteral("batchEta"));
    AddAnchor(m_pFilePercent, AnchorMode::Centre, AnchorMode::Fixed, kAnchorKeepBackground);

    AddLabel(this, QStringLiteral("Source:"), 10, 198, 80);
    AddLabel(this, QStringLiteral("Destination:"), 10, 220, 80);
    m_pSourcePath = AddLabel(this, QString(), 92, 198, 538);
    m_pSourcePath->setObjectName(QStringLiteral("sourcePath"));
    m_pDestPath = AddLabel(this, QString(), 92, 220, 538);
    m_pDestPath->setObjectName(QStringLiteral("destPath"));

    m_lstLog = new QTreeWidget(this);
    m_lstLog->setObjectName(QStringLiteral("log"));
    m_lstLog->setAccessibleName(QStringLiteral("Log"));
    m_lstLog->setGeometry(10, 248, 620, 184);
    m_lstLog->setRootIsDecorated(false);
    m_lstLog->setUniformRowHeights(true);
    m_lstLog->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstLog->setHeaderLabels({QString(), QStringLiteral("#"), QStringLiteral("Time"), QStringLiteral("Description")});
    m_lstLog->header()->setSectionsClickable(false);
    m_lstLog->header()->setDefaultAlignment(Qt::AlignCenter);
    m_lstLog->headerItem()->setTextAlignment(3, Qt::AlignLeft | Qt::AlignVCenter);
    m_lstLog->setColumnWidth(0, 0);
    m_lstLog->setColumnWidth(1, 55);
    m_lstLog->setColumnWidth(2, 63);
    m_lstLog->setColumnWidth(3, 500);
    m_lstLog->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    SetThemeIfAvailable(m_lstLog, QStringLiteral("ListView"), QStringLiteral("Explorer"), QString());

    m_pClear = new QPushButton(QStringLiteral("Clear"), this);
    m_pClear->setGeometry(340, 442, 90, 28);
    m_pPause = new QPushButton(QStringLiteral("Pause"), this);
    m_pPause->setGeometry(440, 442, 90, 28);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setGeometry(540, 442, 90, 28);
    for (QPushButton* button : {m_pClear, m_pPause, m_pCancel}) {
        // Enter must not press a button: the window swallows it.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(m_pClear, &QPushButton::clicked, m_lstLog, &QTreeWidget::clear);
    connect(m_pPause, &QPushButton::clicked, this, &CConvProg::OnPause);
    connect(m_pCancel, &QPushButton::clicked, this, &CConvProg::OnCancel);
    connect(&m_clockTimer, &QTimer::timeout, this, &CConvProg::OnClockTimer);

    OnInitDialog();
    for (QWidget* control : std::initializer_list<QWidget*>{fileGroup, batchGroup, m_prgFile, m_prgBatch, m_pSourcePath, m_pDestPath})
        AddAnchor(control, AnchorMode::Stretch, AnchorMode::Fixed);
    for (QWidget* button : {m_pClear, m_pPause, m_pCancel})
        AddAnchor(button, AnchorMode::Centre, AnchorMode::Move);
    AddAnchor(m_lstLog, AnchorMode::Stretch, AnchorMode::Stretch);
    m_placement.RestorePlacement(*this, kPlacementEntry, kPlacementSection);

    g_pConvProg = this;
}

CConvProg::~CConvProg()
{
    m_bRunning.Set(false);
    JoinWorkers();
    g_pConvProg = nullptr;
}

void CConvProg::PostLog(const QString& line, int level)
{
    QCoreApplication::postEvent(this, new TextEvent(WM_CONVERT_LOG, line, QString(), level));
}

void CConvProg::PostDone()
{
    QCoreApplication::postEvent(this, new QEvent(WM_CONVERT_DONE));
}

void CConvProg::DeliverProgress(float filePercent, float batchPercent, bool synchronous)
{
    if (!synchronous) {
        QCoreApplication::postEvent(this, new ProgressEvent(filePercent, batchPercent, nullptr));
        return;
    }
    // The worker waits until the window has shown the values, but gives up once the batch has stopped:
    // a window that is cancelling is waiting for this very worker and handles no events meanwhile.
    const auto delivery = std::make_shared<Delivery>();
    QCoreApplication::postEvent(this, new ProgressEvent(filePercent, batchPercent, delivery));
    std::unique_lock lock(delivery->mutex);
    while (!delivery->bDone && IsRunning())
        delivery->signal.wait_for(lock, std::chrono::milliseconds(10));
}

void CConvProg::SetCaption(const QString& caption)
{
    QCoreApplication::postEvent(this, new TextEvent(kCaptionEvent, caption));
}

void CConvProg::SetFileLabels(const QString& source, const QString& dest)
{
    QCoreApplication::postEvent(this, new TextEvent(kFileLabelsEvent, source, dest));
}

void CConvProg::StartClockTimer()
{
    QCoreApplication::postEvent(this, new QEvent(kClockTimerEvent));
}

void CConvProg::PostErrorBox(const QString& text)
{
    QCoreApplication::postEvent(this, new TextEvent(kErrorBoxEvent, text));
}

bool CConvProg::event(QEvent* event)
{
    const auto type = event->type();
    if (type == WM_CONVERT_PROGRESS) {
        const auto* progress = static_cast<ProgressEvent*>(event);
        OnProgress(progress->fFile, progress->fBatch);
    } else if (type == WM_CONVERT_LOG) {
        const auto* log = static_cast<TextEvent*>(event);
        AddLogLine(log->strFirst, log->nValue);
    } else if (type == WM_CONVERT_DONE) {
        OnDone();
    } else if (type == kCaptionEvent) {
        setWindowTitle(static_cast<TextEvent*>(event)->strFirst);
    } else if (type == kFileLabelsEvent) {
        m_pSourcePath->setText(static_cast<TextEvent*>(event)->strFirst);
        m_pDestPath->setText(static_cast<TextEvent*>(event)->strSecond);
    } else if (type == kClockTimerEvent) {
        m_clockTimer.start(1000);
    } else if (type == kErrorBoxEvent) {
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), static_cast<TextEvent*>(event)->strFirst);
    } else {
        return CResizeDlg::event(event);
    }
    return true;
}

void CConvProg::showEvent(QShowEvent* event)
{
    CResizeDlg::showEvent(event);
    if (m_bStarted)
        return;
    m_bStarted = true;
    QCoreApplication::postEvent(this, new ProgressEvent(0, 0, nullptr));
    StartBatch(*this, kBatchStartDelayMs);
}

void CConvProg::keyPressEvent(QKeyEvent* event)
{
    if (!SwallowEnterAndEscape(event))
        CResizeDlg::keyPressEvent(event);
}

void CConvProg::closeEvent(QCloseEvent* event)
{
    // The close box is the Cancel button.
    event->ignore();
    OnCancel();
}

void CConvProg::done(int result)
{
    CResizeDlg::done(result);
    m_placement.SavePlacement(*this, kPlacementEntry, kPlacementSection);
}

void CConvProg::AddLogLine(const QString& text, int level)
{
    auto* item = new QTreeWidgetItem({QString(), NextLogNumberText(), LogTimeText(), text});
    item->setData(0, Qt::UserRole, level);
    static const QColor kLevelColours[] = {QColor(0, 0, 255), QColor(153, 0, 0), QColor(255, 0, 0)};
    const auto shortLevel = static_cast<std::int16_t>(level);
    const QColor background = m_lstLog->topLevelItemCount() % 2 == 1 ? QColor(243, 245, 252) : QColor(Qt::white);
    for (int column = 0; column < 4; ++column) {
        item->setBackground(column, background);
        if (shortLevel >= 0 && shortLevel <= 2)
            item->setForeground(column, kLevelColours[shortLevel]);
    }
    item->setTextAlignment(1, Qt::AlignCenter);
    item->setTextAlignment(2, Qt::AlignCenter);
    m_lstLog->addTopLevelItem(item);
    m_lstLog->scrollToItem(item);
}

void CConvProg::OnProgress(float filePercent, float batchPercent)
{
    if (!IsRunning())
        return;
    static unsigned counter = 0;
    ++counter;
    filePercent = std::min(filePercent, 100.0f);
    batchPercent = std::min(batchPercent, 100.0f);
    m_pFilePercent->setText(Percent(filePercent));
    m_pBatchPercent->setText(Percent(batchPercent));
    m_prgBatch->setValue(static_cast<int>(batchPercent));
    m_prgFile->setValue(static_cast<int>(filePercent));
    if (counter % 10 != 0)
        return;
    const std::uint32_t now = platform::TickCount();
    const auto fileElapsed = static_cast<float>(now - m_dwFileStartTick.load(std::memory_order_relaxed)) / 1000.0f;
    const auto batchElapsed = static_cast<float>(now - m_dwBatchStartTick.load(std::memory_order_relaxed)) / 1000.0f;
    if (!(fileElapsed > 0.1f))
        return;
    m_pFileElapsed->setText(FormatHms(static_cast<std::int64_t>(fileElapsed)));
    if (filePercent > 0)
        m_pFileEta->setText(FormatHms(static_cast<std::int64_t>((100 - filePercent) * fileElapsed / filePercent)));
    m_pBatchElapsed->setText(FormatHms(static_cast<std::int64_t>(batchElapsed)));
    if (batchPercent > 0)
        m_pBatchEta->setText(FormatHms(static_cast<std::int64_t>((100 - batchPercent) * batchElapsed / batchPercent)));
    m_pFileSpeed->setText(Speed(m_fFileSecondsDone.load(std::memory_order_relaxed), fileElapsed));
    m_pBatchSpeed->setText(Speed(m_fBatchSecondsDone.load(std::memory_order_relaxed), batchElapsed));
}

void CConvProg::OnDone()
{
    m_bRunning.Set(false);
    m_pFilePercent->setText(QStringLiteral("100.00%"));
    m_prgFile->setValue(100);
    m_pFileEta->setText(QStringLiteral("00:00:00"));
    m_pBatchPercent->setText(QStringLiteral("100.00%"));
    m_prgBatch->setValue(100);
    m_pBatchEta->setText(QStringLiteral("00:00:00"));
    m_pPause->setEnabled(true);
    m_pPause->setText(QStringLiteral("Open Dir"));
    m_pCancel->setText(QStringLiteral("Finish"));
    setWindowTitle(QStringLiteral("Finished Converting"));
    AddLogLine(QStringLiteral("Finished converting, all done"), kLogInfo);
}

void CConvProg::OnPause()
{
    if (!IsRunning()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(g_encoderSettings.DesDir));
        return;
    }
    m_bPaused.Set(!m_bPaused.IsSet());
    m_pPause->setText(m_bPaused.IsSet() ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void CConvProg::OnCancel()
{
    if (!IsRunning()) {
        done(0);
        return;
    }
    // The encoder holds still while the question is open.
    m_bPaused.Set(true);
    const auto answer = QMessageBox::question(this, QGuiApplication::applicationDisplayName(),
                                              QStringLiteral("Do You Want to Cancel?"), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        m_bPaused.Set(false);
        m_pPause->setText(QStringLiteral("Pause"));
        return;
    }
    m_bRunning.Set(false);
    m_pPause->setEnabled(false);
    m_pCancel->setEnabled(false);
    setWindowTitle(QStringLiteral("Aborting, Please Wait..."));
    StopWorkers();
    done(0);
}

void CConvProg::OnClockTimer()
{
    if (IsRunning())
        m_lstLog->resizeColumnToContents(3);
    else
        m_clockTimer.stop();
}

void CConvProg::StopWorkers()
{
    for (platform::WorkerThreadSlot* slot : {&m_pEffectsThread, &m_pEncoderThread, &m_pBatchThread}) {
        if (const auto thread = slot->Get())
            thread->Wait(1000);
    }
}

void CConvProg::JoinWorkers()
{
    // The batch thread first: it may still be starting the next file's stages.
    while (const auto thread = m_pBatchThread.Get()) {
        if (thread->Wait(100))
            break;
    }
    for (platform::WorkerThreadSlot* slot : {&m_pEffectsThread, &m_pEncoderThread, &m_pBatchThread})
        slot->Set(nullptr);
}
