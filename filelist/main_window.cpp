#include "filelist/main_window.h"

#include "app/about_dialog.h"
#include "engine/ring_buffer.h"
#include "filelist/file_item.h"
#include "filelist/list_state.h"
#include "platform/message_box.h"
#include "settings/encoder_settings.h"
#include "settings/options_dialog.h"
#include "ui/report_ctrl.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QStyle>
#include <QToolBar>

#include <map>

CNorvDlg* g_pMainDlg = nullptr;

namespace {

constexpr int kStatusBarHeight = 25;
constexpr int kToolBarIconSize = 48;
constexpr int kListMargin = 2;
constexpr int kLayoutTimerMs = 1000;
constexpr int kStatusPaneCount = 3;

const QIcon& ApplicationIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/quorbel.svg"));
    return icon;
}

constexpr ToolBarButton kToolBarButtons[] = {
    {ID_FILE_ADDFILES, ":/icons/add_files.svg", "Add Files", "Add audio files to the current file list"},
    {ID_CONVERT_ALL, ":/icons/quorbel.svg", "Convert all", "Convert the files in the list"},
    {ID_OPTIONS, ":/icons/options.svg", "Options", "Open the option dialog"},
    {ID_APP_ABOUT, ":/icons/about.svg", "About", "About Quorbel"},
};

const char* const kStatusPaneNames[kStatusPaneCount] = {"List totals", "Selection", "Settings"};

}  // namespace

CNorvDlg::CNorvDlg(QWidget* parent)
    : CResizeDlg(parent), m_pList(new CReportCtrl(this)), m_pToolBar(new QToolBar(this)),
      m_pStatusBar(new QWidget(this)), m_pLoadingDlg(new CProcessing(this, *this))
{
    setWindowTitle(kAppTitle);
    setWindowIcon(ApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    resize(880, 540);
    m_pLoadingDlg->hide();
    g_pMainDlg = this;

    // The settings store tells its failures in boxes over this window from now on.
    platform::SetMessageBoxHandler([this](const QString& text, platform::MessageIcon icon) {
        QMessageBox box(icon == platform::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, kAppTitle,
                        text, QMessageBox::Ok, this);
        box.exec();
    });
    InitSettings();

    CreateStatusBar();
    CreateToolBar();
    m_pList->setAccessibleName(QStringLiteral("Files"));

    m_headerIcons = {QIcon(), style()->standardIcon(QStyle::SP_ArrowUp), style()->standardIcon(QStyle::SP_ArrowDown)};
    m_pList->SetSmallImageList(&m_smallIcons);
    m_pList->SetHeaderImageList(&m_headerIcons);
    LoadColumnLayout(*m_pList);
    LoadSortKeys(*m_pList);
    m_pList->notifyWnd = this;
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (g_listBusy.load(std::memory_order_acquire) == 0 && m_bLoading.load(std::memory_order_acquire) == 0)
            UpdateSelectionText();
    });

    m_pList->SetEditable(true);
    m_pList->AddEditableColumn(kColName);
    m_pList->SetShowTips(true);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &CNorvDlg::OnContextMenu);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &CNorvDlg::OnDoubleClick);
    // Files dropped from a file manager land on the rows' area.
    m_pList->viewport()->setAcceptDrops(true);
    m_pList->viewport()->installEventFilter(this);

    // The toolbar's buttons and the keys trigger the same commands.
    std::map<int, QAction*> commands;
    commands[ID_FILE_ADDFILES] = AddCommand(QKeySequence(Qt::Key_F6), [this] { OnAddFiles(); });
    commands[ID_CONVERT_ALL] = AddCommand(QKeySequence(Qt::Key_F3), [this] { ConvertFiles(false); });
    AddCommand(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { ConvertFiles(true); });
    commands[ID_OPTIONS] = AddCommand(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OnOptions(); });
    AddCommand(QKeySequence(Qt::Key_Delete), [this] { OnRemove(); });
    AddCommand(QKeySequence(Qt::Key_F2), [this] { OnRename(); });
    AddCommand(QKeySequence(Qt::CTRL | Qt::Key_A), [this] { OnSelectAll(); });
    // The desktop keeps the window menu to itself, so About gets the usual help key instead.
    commands[ID_APP_ABOUT] = AddCommand(QKeySequence(Qt::Key_F1), [this] { OnAbout(); });
    for (const ToolBarButton& button : kToolBarButtons)
        AddToolBarButton(*commands.at(button.id), button);
    m_pList->setGeometry(kListMargin, m_pToolBar->height(), width() - 2 * kListMargin,
                         height() - kStatusBarHeight - m_pToolBar->height());

    m_statusTimer.setSingleShot(true);
    connect(&m_statusTimer, &QTimer::timeout, this, &CNorvDlg::ShowListTotals);
    m_layoutTimer.setSingleShot(true);
    connect(&m_layoutTimer, &QTimer::timeout, this, &CNorvDlg::RecalcLayout);

    OnInitDialog();
    HideSizeGrip();
    AddAnchor(m_pList, AnchorMode::Stretch, AnchorMode::Stretch);
    AddAnchor(m_pStatusBar, AnchorMode::Stretch, AnchorMode::Move);
    RecalcLayout();

    placementEntry = kMainPlacementEntry;
    try {
        if (!m_placementStore.RestorePlacement(*this, placementEntry, QStringLiteral("Position")))
            setWindowState(windowState() | Qt::WindowMaximized);
    } catch (const std::exception&) {
        m_placementStore.ApplyCurrentPlacement(*this);
    }
    CreateSampleRings();
    ShowSettingsSummary();
    m_pList->setFocus();
}

CNorvDlg::~CNorvDlg()
{
    StopLoad();
    for (int row = 0; row < m_pList->CountItems(RS_ANY); ++row)
        delete &RowInfo(*m_pList, row);
    if (m_bClosing == 0)
        DestroySampleRings();
    platform::SetMessageBoxHandler(nullptr);
    g_pMainDlg = nullptr;
}

QAction* CNorvDlg::AddCommand(const QKeySequence& key, const std::function<void()>& handler)
{
    auto* command = new QAction(this);
    command->setShortcut(key);
    connect(command, &QAction::triggered, this, handler);
    addAction(command);
    return command;
}

void CNorvDlg::CreateToolBar()
{
    m_pToolBar->setObjectName(QStringLiteral("toolBar"));
    m_pToolBar->setAccessibleName(QStringLiteral("Toolbar"));
    m_pToolBar->setIconSize(QSize(kToolBarIconSize, kToolBarIconSize));
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
}

void CNorvDlg::AddToolBarButton(QAction& command, const ToolBarButton& button)
{
    command.setIcon(QIcon(QString::fromLatin1(button.iconPath)));
    command.setText(QString::fromLatin1(button.name));
    command.setToolTip(QString::fromLatin1(button.tooltip));
    m_pToolBar->addAction(&command);
    // Tool buttons take no focus by default; reachable with Tab they serve keyboard users too.
    m_pToolBar->widgetForAction(&command)->setFocusPolicy(Qt::TabFocus);
    m_pToolBar->setGeometry(0, 0, width(), m_pToolBar->sizeHint().height());
}

void CNorvDlg::CreateStatusBar()
{
    m_pStatusBar->setObjectName(QStringLiteral("statusBar"));
    m_pStatusBar->setAccessibleName(QStringLiteral("Status"));
    for (int pane = 0; pane < kStatusPaneCount; ++pane) {
        auto* label = new QLabel(m_pStatusBar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setFocusPolicy(Qt::TabFocus);  // screen-reader users can tab to a pane and hear it
        label->setAccessibleDescription(QString::fromLatin1(kStatusPaneNames[pane]));
        m_pStatusPanes[pane] = label;
    }
    m_pStatusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
}

void CNorvDlg::RecalcLayout()
{
    m_pStatusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
    m_pToolBar->setGeometry(m_pToolBar->x(), m_pToolBar->y(), width() - m_pToolBar->x(), m_pToolBar->height());
    SplitStatusBar();
}

void CNorvDlg::SplitStatusBar()
{
    // Pane 0 ends at a quarter of the bar, pane 1 at half of it, pane 2 takes the rest.
    const int barWidth = m_pStatusBar->width();
    const int firstEnd = static_cast<int>(barWidth * 0.25);
    const int secondEnd = static_cast<int>(barWidth * 0.5);
    m_pStatusPanes[0]->setGeometry(0, 0, firstEnd, kStatusBarHeight);
    m_pStatusPanes[1]->setGeometry(firstEnd, 0, secondEnd - firstEnd, kStatusBarHeight);
    m_pStatusPanes[2]->setGeometry(secondEnd, 0, barWidth - secondEnd, kStatusBarHeight);
}

void CNorvDlg::resizeEvent(QResizeEvent* event)
{
    CResizeDlg::resizeEvent(event);
    RecalcLayout();
}

void CNorvDlg::moveEvent(QMoveEvent* event)
{
    CResizeDlg::moveEvent(event);
    if (m_bFirstMove) {
        m_bFirstMove = false;
        m_layoutTimer.start(kLayoutTimerMs);
    }
}

void CNorvDlg::ShowSettingsSummary()
{
    const QString summary = SettingsSummaryText();
    m_pStatusPanes[2]->setText(summary);
    m_pStatusPanes[2]->setToolTip(summary);
}

void CNorvDlg::OnOptions()
{
    COption options(this, [this] { ShowSettingsSummary(); });
    options.exec();
    ShowSettingsSummary();
}

void CNorvDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

bool CNorvDlg::event(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case WM_FILELIST_ADDROW:
        OnAddRow();
        return true;
    case WM_REPORT_EDITCOMMITTED: {
        const auto* committed = static_cast<ReportEditCommittedEvent*>(event);
        OnEditCommitted(committed->Row(), committed->Column());
        return true;
    }
    case WM_REPORT_SORTED: {
        const auto* sorted = static_cast<ReportSortedEvent*>(event);
        SetHeaderArrows(sorted->Column(), sorted->Ascending());
        return true;
    }
    default:
        return CResizeDlg::event(event);
    }
}

bool CNorvDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pList->viewport())
        return CResizeDlg::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls() && m_bClosing == 0)
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->acceptProposedAction();
        AddDroppedFiles(drop->mimeData()->urls());
        return true;
    }
    default:
        return CResizeDlg::eventFilter(watched, event);
    }
}

void CNorvDlg::done(int nResult)
{
    CResizeDlg::done(nResult);
    SaveListState(*m_pList);
}

void CNorvDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    OnClose();
}

void CNorvDlg::OnClose()
{
    // A load in progress keeps the window open; it ends with the load or its Cancel.
    if (m_bClosing != 0 || m_bLoading.load(std::memory_order_acquire) != 0)
        return;
    m_bLoading.store(1, std::memory_order_release);
    m_bClosing = 1;
    DestroySampleRings();
    SaveSettings();
    done(1);
}

void CNorvDlg::keyPressEvent(QKeyEvent* event)
{
    if (!SwallowEnterAndEscape(event))
        CResizeDlg::keyPressEvent(event);
}

void CNorvDlg::SetHeaderArrows(int column, int ascending)
{
    for (int other = 0; other < m_pList->GetColumnCount(); ++other)
        m_pList->SetHeaderImage(other, 0, false);
    m_pList->SetHeaderImage(column, ascending != 0 ? 1 : 2, false);
}
