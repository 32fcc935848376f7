#pragma once

#include "ui/window_placement.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <vector>

class CSizeGripExt;
class QKeyEvent;

// How an anchored control follows the dialog on one axis. The size change is the change of the client
// width (horizontal) or height (vertical) since the previous layout.
enum class AnchorMode : std::uint8_t {
    Fixed,    // keeps its place and size
    Stretch,  // the far edge moves by the size change
    Move,     // both edges move by the size change
    Centre,   // keeps its size and its centre at the fraction of the client extent it had when registered
};

enum : unsigned { kAnchorKeepBackground = 0x01 };

// Base of the resizable dialogs: anchored controls follow its size changes, a size grip sits in its
// bottom-right corner, and a dialog with a placementEntry saves its placement when it finishes.
class CResizeDlg : public QDialog {
    Q_OBJECT

public:
    explicit CResizeDlg(QWidget* parent = nullptr);

    // Registers a direct child at its current geometry, or replaces its registration. With
    // kAnchorKeepBackground the control paints its own background and the dialog's is left out under it.
    void AddAnchor(QWidget* pControl, AnchorMode nHorzMode, AnchorMode nVertMode, unsigned nOptions = 0);
    // Hides the grip until the next size change, which shows it again unless the dialog is maximised.
    void HideSizeGrip();

    // A Qt dialog outlives its window: finishing is where the window goes away, so the placement is saved
    // here, and a failure is told with "Fail to Save!".
    void done(int nResult) override;

    QString placementEntry;  // entry in section "Position" saved by done(); empty saves nothing

protected:
    // For a dialog that a stray Enter or Escape must not finish: takes those keys and tells whether it did.
    static bool SwallowEnterAndEscape(QKeyEvent* event);

    // Called by a derived dialog once its controls and initial size are set, before its anchors: the
    // current size becomes the base of the first layout and the grip appears.
    void OnInitDialog();

    void resizeEvent(QResizeEvent* event) override;

    WindowPlacementStore m_placementStore;

private:
    // A control's rectangle in dialog client coordinates; right and bottom are exclusive.
    struct AnchorRect {
        int left, top, right, bottom;
        friend bool operator==(const AnchorRect&, const AnchorRect&) = default;
    };
    struct AnchorInfo {
        QPointer<QWidget> pControl;
        AnchorMode nHorzMode;
        AnchorMode nVertMode;
        bool bKeepBackground;
        AnchorRect rc;
        double dHorzRatio;  // centre mode: the centre as a fraction of the client extent at registration
        double dVertRatio;
    };

    std::vector<AnchorInfo> m_anchors;
    QSize m_szLastClient;            // the client size at the previous layout
    const QSize m_szMinTrack{0, 0};  // the smallest size the user may drag the dialog to
    CSizeGripExt* m_pSizeGrip;
};
