#include "ui/report_tip.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>

#include <chrono>

namespace {

constexpr std::uint32_t kTipPeriodMs = 6000;

const QString& TipText(std::uint32_t index)
{
    static const QString kTips[] = {
        QStringLiteral("Load your files by clicking the \"Add Files\" toolbar button"),
        QStringLiteral("Right click items in the file list, then click the floating popup menu to perform "
                       "various file operations"),
        QStringLiteral("Click the column header to sort the file list"),
        QStringLiteral("Right click the column header, then click the floating popup menu to show/hide columns"),
    };
    return kTips[index % 4];
}

}  // namespace

QString EmptyListTip(std::uint32_t tickMs)
{
    return TipText(tickMs / kTipPeriodMs);
}

std::uint32_t TickCount()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void PaintEmptyListTip(QPainter& painter, const QRect& area, const QString& tip)
{
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(15.6);
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor(106, 106, 255));
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    QRect textArea = area;
    textArea.setTop(area.top() + area.height() / 2 - painter.fontMetrics().height());
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip, tip);
    painter.restore();
}
