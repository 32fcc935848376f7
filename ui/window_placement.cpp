#include "ui/window_placement.h"

#include "ui/app_profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace {

using PlacementFields = std::array<std::int32_t, kWindowPlacementSize / 4>;

PlacementFields Fields(const WindowPlacement& p)
{
    return {p.length, p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY,
            p.normalLeft, p.normalTop, p.normalRight, p.normalBottom};
}

// Stored edges and extents are held to the bound Qt keeps widget sizes within, so that no edge Qt derives
// from them (left + width - 1, for one) leaves the int range, whatever the profile holds.
int Coordinate(std::int32_t nValue)
{
    return std::clamp<std::int32_t>(nValue, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

int Extent(std::int32_t nNear, std::int32_t nFar)
{
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{nFar} - nNear, 0, QWIDGETSIZE_MAX));
}

}  // namespace

QByteArray PackWindowPlacement(const WindowPlacement& placement)
{
    QByteArray bytes(kWindowPlacementSize, Qt::Uninitialized);
    const PlacementFields fields = Fields(placement);
    for (std::size_t i = 0; i < fields.size(); ++i)
        qToLittleEndian(fields[i], bytes.data() + 4 * i);
    return bytes;
}

WindowPlacement UnpackWindowPlacement(const QByteArray& bytes)
{
    PlacementFields fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = qFromLittleEndian<std::int32_t>(bytes.constData() + 4 * i);
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
            fields[6], fields[7], fields[8], fields[9], fields[10]};
}

WindowPlacement ReadWindowPlacement(const QWidget& window)
{
    WindowPlacement placement;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        placement.showCmd = kShowMinimized;
        if (state & Qt::WindowMaximized)
            placement.flags = kPlacementRestoreToMaximized;
    } else if (state & Qt::WindowMaximized) {
        placement.showCmd = kShowMaximized;
    }
    const QRect rcNormal = window.normalGeometry();
    placement.normalLeft = rcNormal.x();
    placement.normalTop = rcNormal.y();
    placement.normalRight = rcNormal.x() + rcNormal.width();
    placement.normalBottom = rcNormal.y() + rcNormal.height();
    return placement;
}

void ApplyWindowPlacement(QWidget& window, const WindowPlacement& placement)
{
    // The normal rectangle can only be set in the normal state; the show state follows it.
    Qt::WindowStates state =
        window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    window.setWindowState(state);
    window.setGeometry(Coordinate(placement.normalLeft), Coordinate(placement.normalTop),
                       Extent(placement.normalLeft, placement.normalRight),
                       Extent(placement.normalTop, placement.normalBottom));
    if (placement.showCmd == kShowMinimized) {
        state |= Qt::WindowMinimized;
        if (placement.flags & kPlacementRestoreToMaximized)
            state |= Qt::WindowMaximized;
    } else if (placement.showCmd == kShowMaximized) {
        state |= Qt::WindowMaximized;
    }
    window.setWindowState(state);
}

bool WindowPlacementStore::SavePlacement(const QWidget& window, const QString& entry, const QString& section)
{
    m_placement = ReadWindowPlacement(window);
    const bool bPlacementWritten = WriteProfileBinary(section, entry, PackWindowPlacement(m_placement));
    const bool bModeWritten = WriteProfileInt(section, QString(), restoreMode);
    return bPlacementWritten && bModeWritten;
}

bool WindowPlacementStore::RestorePlacement(QWidget& window, const QString& entry, const QString& section)
{
    if (m_bFirstUse) {
        m_bFirstUse = false;
        WindowPlacement centred = ReadWindowPlacement(window);
        const QScreen* pScreen = QGuiApplication::primaryScreen();
        const QRect rcScreen = pScreen ? pScreen->geometry() : QRect();
        const std::int32_t nWidth = centred.normalRight - centred.normalLeft;
        const std::int32_t nHeight = centred.normalBottom - centred.normalTop;
        centred.normalLeft = rcScreen.x() + (rcScreen.width() - nWidth) / 2;
        centred.normalRight = rcScreen.x() + (rcScreen.width() + nWidth) / 2;
        centred.normalTop = rcScreen.y() + (rcScreen.height() - nHeight) / 2;
        centred.normalBottom = rcScreen.y() + (rcScreen.height() + nHeight) / 2;
        m_placementDefault = centred;
        restoreMode = GetProfileInt(section, QString(), 0);
    }

    const std::optional<QByteArray> stored = GetProfileBinary(section, entry);
    if (!stored || stored->size() < kWindowPlacementSize) {
        m_placement = m_placementDefault;
        return false;
    }
    m_placement = UnpackWindowPlacement(*stored);
    switch (restoreMode) {
    case 0:
        // A window never opens minimised: it opens as it would have been restored.
        if (m_placement.showCmd == kShowMinimized)
            m_placement.showCmd = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_placement.flags) + 1u);
        break;
    case 2:
        m_placement.showCmd = kShowNormal;
        break;
    case 3:
        m_placement.showCmd = kShowMaximized;
        break;
    case 4:
        m_placement.showCmd = kShowMinimized;
        break;
    default:  // 1 and any other value: as stored
        break;
    }
    ApplyWindowPlacement(window, m_placement);
    return true;
}

void WindowPlacementStore::ApplyCurrentPlacement(QWidget& window) const
{
    ApplyWindowPlacement(window, m_placement);
}
