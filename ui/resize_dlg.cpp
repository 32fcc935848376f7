#include "ui/resize_dlg.h"

#include "ui/size_grip_ext.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QResizeEvent>

#include <algorithm>

namespace {

// Moves one axis of a rectangle, given by its near and far edges, by the rule of its anchor mode.
void FollowAxis(AnchorMode nMode, int nDelta, int nClientExtent, double dRatio, int& nNear, int& nFar)
{
    const int nExtent = nFar - nNear;
    switch (nMode) {
    case AnchorMode::Fixed:
        break;
    case AnchorMode::Stretch:
        nFar += nDelta;
        break;
    case AnchorMode::Move:
        nNear += nDelta;
        nFar += nDelta;
        break;
    case AnchorMode::Centre:
        nNear = static_cast<int>(nClientExtent * dRatio - nExtent * 0.5);
        nFar = nNear + nExtent;
        break;
    }
}

double CentreRatio(int nNear, int nFar, int nClientExtent)
{
    return nClientExtent > 0 ? (nNear + nFar) * 0.5 / nClientExtent : 0.0;
}

}  // namespace

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent), m_pSizeGrip(new CSizeGripExt(this))
{
}

void CResizeDlg::OnInitDialog()
{
    m_szLastClient = size();
    setMinimumSize(m_szMinTrack);
    m_pSizeGrip->PlaceInCorner(true);
}

void CResizeDlg::AddAnchor(QWidget* pControl, AnchorMode nHorzMode, AnchorMode nVertMode, unsigned nOptions)
{
    // Like a dialog item, an anchored control is a direct child; anything else is not the dialog's.
    if (!pControl || pControl->parentWidget() != this)
        return;

    const QRect rc = pControl->geometry();
    AnchorInfo anchor{pControl, nHorzMode, nVertMode, (nOptions & kAnchorKeepBackground) != 0,
                      {rc.x(), rc.y(), rc.x() + rc.width(), rc.y() + rc.height()}, 0.0, 0.0};
    if (nHorzMode == AnchorMode::Centre)
        anchor.dHorzRatio = CentreRatio(anchor.rc.left, anchor.rc.right, width());
    if (nVertMode == AnchorMode::Centre)
        anchor.dVertRatio = CentreRatio(anchor.rc.top, anchor.rc.bottom, height());

    const auto it = std::find_if(m_anchors.begin(), m_anchors.end(),
                                 [pControl](const AnchorInfo& a) { return a.pControl == pControl; });
    const bool bWasKept = it != m_anchors.end() && it->bKeepBackground;
    // An opaque control is what Qt leaves out when it paints the dialog's background.
    if (anchor.bKeepBackground != bWasKept)
        pControl->setAutoFillBackground(anchor.bKeepBackground);
    if (it != m_anchors.end())
        *it = anchor;
    else
        m_anchors.push_back(anchor);
}

void CResizeDlg::HideSizeGrip()
{
    m_pSizeGrip->hide();
}

void CResizeDlg::done(int nResult)
{
    QDialog::done(nResult);
    if (placementEntry.isEmpty())
        return;
    if (!m_placementStore.SavePlacement(*this, placementEntry, QStringLiteral("Position")))
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), QStringLiteral("Fail to Save!"));
}

void CResizeDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Qt keeps a minimised window's size, so a size change while minimised is real and laid out as usual.
    if (!m_anchors.empty()) {
        const QSize szClient = size();
        const int nDeltaX = szClient.width() - m_szLastClient.width();
        const int nDeltaY = szClient.height() - m_szLastClient.height();
        // The stored rectangles, not the widgets' clamped geometry, carry the layout from one change to
        // the next, so a control comes back to its place after the dialog was smaller than it.
        for (AnchorInfo& anchor : m_anchors) {
            if (!anchor.pControl)
                continue;
            AnchorRect rc = anchor.rc;
            FollowAxis(anchor.nHorzMode, nDeltaX, szClient.width(), anchor.dHorzRatio, rc.left, rc.right);
            FollowAxis(anchor.nVertMode, nDeltaY, szClient.height(), anchor.dVertRatio, rc.top, rc.bottom);
            if (rc == anchor.rc)
                continue;
            anchor.pControl->setGeometry(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
            anchor.rc = rc;
        }
        m_szLastClient = szClient;
    }
    m_pSizeGrip->PlaceInCorner(!isMaximized());
}

bool CResizeDlg::SwallowEnterAndEscape(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return true;
    default:
        return false;
    }
}
