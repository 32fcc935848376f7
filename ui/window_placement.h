#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <cstdint>

class QWidget;

inline constexpr int kWindowPlacementSize = 44;

// Show commands and flags of the placement record, with the platform's numbers.
enum : std::int32_t { kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3 };
enum : std::int32_t { kPlacementRestoreToMaximized = 2 };

// The platform's window-placement record; stored as eleven little-endian int32 values in this order.
// Qt has no minimised or maximised position, so both stay (-1, -1), the platform's "none".
struct WindowPlacement {
    std::int32_t length = kWindowPlacementSize;
    std::int32_t flags = 0;
    std::int32_t showCmd = kShowNormal;
    std::int32_t minX = -1;
    std::int32_t minY = -1;
    std::int32_t maxX = -1;
    std::int32_t maxY = -1;
    std::int32_t normalLeft = 0;  // the normal (restored) client rectangle; right and bottom are exclusive
    std::int32_t normalTop = 0;
    std::int32_t normalRight = 0;
    std::int32_t normalBottom = 0;
};

QByteArray PackWindowPlacement(const WindowPlacement& placement);
// Reads the first 44 bytes; the caller checks that there are that many.
WindowPlacement UnpackWindowPlacement(const QByteArray& bytes);

// The record of a top-level widget: its show state and its normal geometry.
WindowPlacement ReadWindowPlacement(const QWidget& window);
// Gives the widget the record's normal geometry and show state. A hidden widget stays hidden and takes
// the state when it is shown, so that a dialog can restore its placement before it runs modally.
void ApplyWindowPlacement(QWidget& window, const WindowPlacement& placement);

// Keeps one window's placement in the per-user profile under (section, entry), and the restore mode that
// all windows share as the section's own value.
class WindowPlacementStore {
public:
    // Writes the window's placement and restoreMode; true when both writes succeeded.
    bool SavePlacement(const QWidget& window, const QString& entry, const QString& section);
    // Applies the stored placement with its show command adjusted by restoreMode. Without a stored value of
    // at least 44 bytes nothing is applied, false is returned and the store's record becomes the default:
    // the window as the first call found it, centred on the primary screen.
    bool RestorePlacement(QWidget& window, const QString& entry, const QString& section);
    // The fallback for a restore that failed: applies the record the store holds now.
    void ApplyCurrentPlacement(QWidget& window) const;

    std::int32_t restoreMode = 0;  // read from the profile on the first restore, written back by every save

private:
    WindowPlacement m_placement;
    WindowPlacement m_placementDefault;
    bool m_bFirstUse = true;
};
