#include "ui/report_header.h"

#include "ui/report_model.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

CReportHeader::CReportHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHighlightSections(false);
    setStretchLastSection(false);
    setFirstSectionMovable(true);
    setMinimumSectionSize(0);
}

int CReportHeader::DividerAt(int x) const
{
    int visual = visualIndexAt(x);
    if (visual == -1)
        return -1;
    const int logical = logicalIndex(visual);
    const int start = sectionViewportPosition(logical);
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    if (x < start + grip) {
        // The left edge belongs to the section before, hidden-by-width ones included.
        while (--visual >= 0) {
            const int before = logicalIndex(visual);
            if (!isSectionHidden(before))
                return before;
        }
        return -1;
    }
    return x > start + sectionSize(logical) - grip ? logical : -1;
}

void CReportHeader::mousePressEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    const int divider = event->button() == Qt::LeftButton ? DividerAt(x) : -1;
    m_nPressX = event->button() == Qt::LeftButton && divider == -1 ? x : -1;
    if (divider != -1)
        emit BeginTrack(divider);
    QHeaderView::mousePressEvent(event);
}

void CReportHeader::mouseReleaseEvent(QMouseEvent* event)
{
    const bool dragged = m_nPressX != -1 && sectionsMovable() &&
                         qAbs(event->position().toPoint().x() - m_nPressX) >= QApplication::startDragDistance();
    m_nPressX = -1;
    if (dragged)
        emit EndDrag();
    QHeaderView::mouseReleaseEvent(event);
}

void CReportHeader::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int divider = DividerAt(event->position().toPoint().x());
    if (divider == -1) {
        QHeaderView::mouseDoubleClickEvent(event);
        return;
    }
    // The list fits the column itself; the header's own fitting would also measure the heading.
    emit DividerDoubleClicked(divider);
}

void CReportHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const QIcon image = model()->headerData(logicalIndex, orientation(), CReportModel::kHeaderImageRightRole)
                            .value<QIcon>();
    if (image.isNull()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    // The heading and the image after it are placed together as the heading's alignment says.
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const QRect inner = rect.adjusted(margin, 0, -margin, 0);
    const int textWidth = std::min(option.fontMetrics.horizontalAdvance(option.text), inner.width() - size - margin);
    const int contentWidth = std::max(0, textWidth) + margin + size;
    int left = inner.left();
    if (option.textAlignment & Qt::AlignRight)
        left = inner.right() + 1 - contentWidth;
    else if (option.textAlignment & Qt::AlignHCenter)
        left = inner.left() + (inner.width() - contentWidth) / 2;
    left = std::max(left, inner.left());

    QStyleOptionHeader label = option;
    label.rect = QRect(left, rect.top(), std::max(0, textWidth), rect.height());
    label.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    const QRect imageRect(label.rect.right() + 1 + margin, rect.top() + (rect.height() - size) / 2, size, size);
    image.paint(painter, imageRect);
}
