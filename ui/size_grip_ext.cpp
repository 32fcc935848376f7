#include "ui/size_grip_ext.h"

#include <QEvent>
#include <QPolygon>
#include <QRegion>
#include <QStyle>

CSizeGripExt::CSizeGripExt(QWidget* parent) : QSizeGrip(parent)
{
    hide();
    setGeometry(QRect(QPoint(0, 0), GripSize()));
    ApplyTriangle();
}

void CSizeGripExt::PlaceInCorner(bool bVisible)
{
    const QWidget* pParent = parentWidget();
    move(pParent->width() - width(), pParent->height() - height());
    lower();
    setVisible(bVisible);
}

void CSizeGripExt::changeEvent(QEvent* event)
{
    QSizeGrip::changeEvent(event);
    // A new style may bring another scroll-bar extent; the grip keeps its bottom-right corner.
    if (event->type() == QEvent::StyleChange) {
        QRect rc(QPoint(0, 0), GripSize());
        rc.moveBottomRight(geometry().bottomRight());
        setGeometry(rc);
        ApplyTriangle();
    }
}

QSize CSizeGripExt::GripSize() const
{
    const int nExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {nExtent, nExtent};
}

void CSizeGripExt::ApplyTriangle()
{
    const int nWidth = width();
    const int nHeight = height();
    setMask(QRegion(QPolygon({QPoint(0, nHeight), QPoint(nWidth, nHeight), QPoint(nWidth, 0)})));
}
