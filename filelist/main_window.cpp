#include "filelist/main_window.h"

#include "filelist/file_item.h"
#include "filelist/list_state.h"
#include "ui/report_ctrl.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStyle>

namespace {

constexpr int kStatusHeight = 22;

}  // namespace

CNorvDlg::CNorvDlg(QWidget* parent)
    : CResizeDlg(parent), m_pList(new CReportCtrl(this)), m_pLoadingDlg(new CProcessing(this, *this))
{
    // A bare frame for now: the list over three status panes; toolbar and menus come with the full frame.
    setWindowTitle(kAppTitle);
    resize(880, 480);
    m_pList->setGeometry(0, 0, width(), height() - kStatusHeight);
    for (int pane = 0; pane < 3; ++pane) {
        m_pStatusPanes[pane] = new QLabel(this);
        m_pStatusPanes[pane]->setGeometry(pane * width() / 3, height() - kStatusHeight, width() / 3, kStatusHeight);
    }

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
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &CNorvDlg::OnContextMenu);
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &CNorvDlg::OnDoubleClick);

    const auto addCommand = [this](int id, const QKeySequence& key, auto handler) {
        auto* command = new QAction(this);
        command->setData(id);
        command->setShortcut(key);
        connect(command, &QAction::triggered, this, handler);
        addAction(command);
    };
    addCommand(ID_FILE_ADDFILES, QKeySequence(Qt::Key_F6), [this] { OnAddFiles(); });
    addCommand(ID_FILE_RENAME, QKeySequence(Qt::Key_F2), [this] { OnRename(); });
    addCommand(ID_FILE_REMOVE, QKeySequence(Qt::Key_Delete), [this] { OnRemove(); });
    addCommand(ID_EDIT_SELECTALL, QKeySequence(Qt::CTRL | Qt::Key_A), [this] { OnSelectAll(); });
    addCommand(ID_CONVERT_SELECTED, QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { ConvertFiles(true); });
    addCommand(ID_CONVERT_ALL, QKeySequence(Qt::Key_F3), [this] { ConvertFiles(false); });

    m_statusTimer.setSingleShot(true);
    connect(&m_statusTimer, &QTimer::timeout, this, &CNorvDlg::ShowListTotals);

    OnInitDialog();
    AddAnchor(m_pList, AnchorMode::Stretch, AnchorMode::Stretch);
    AddAnchor(m_pStatusPanes[0], AnchorMode::Fixed, AnchorMode::Move);
    AddAnchor(m_pStatusPanes[1], AnchorMode::Fixed, AnchorMode::Move);
    AddAnchor(m_pStatusPanes[2], AnchorMode::Stretch, AnchorMode::Move);
    ShowListTotals();
    m_pStatusPanes[1]->setText(SelectionText(0, 0, 0));

    placementEntry = kMainPlacementEntry;
    try {
        if (!m_placementStore.RestorePlacement(*this, placementEntry, QStringLiteral("Position")))
            setWindowState(windowState() | Qt::WindowMaximized);
    } catch (const std::exception&) {
        m_placementStore.ApplyCurrentPlacement(*this);
    }
}

CNorvDlg::~CNorvDlg()
{
    StopLoad();
    for (int row = 0; row < m_pList->CountItems(RS_ANY); ++row)
        delete &RowInfo(*m_pList, row);
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

void CNorvDlg::done(int nResult)
{
    CResizeDlg::done(nResult);
    SaveListState(*m_pList);
}

void CNorvDlg::reject()
{
    // The title-bar close is off while a load runs.
    if (m_bLoading.load(std::memory_order_acquire) == 0)
        CResizeDlg::reject();
}

void CNorvDlg::SetHeaderArrows(int column, int ascending)
{
    for (int other = 0; other < m_pList->GetColumnCount(); ++other)
        m_pList->SetHeaderImage(other, 0, false);
    m_pList->SetHeaderImage(column, ascending != 0 ? 1 : 2, false);
}
