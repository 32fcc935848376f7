#pragma once

#include <QString>

#include <cstdint>

class QPainter;
class QRect;

// The one-line tips an empty list shows; a new one every 6 seconds, by the millisecond tick count.
QString EmptyListTip(std::uint32_t tickMs);
// The millisecond tick count since an arbitrary start (system start on Linux), wrapping at 2^32.
std::uint32_t TickCount();
// Draws the tip in its own font and colours, centred across area, just above the area's middle.
void PaintEmptyListTip(QPainter& painter, const QRect& area, const QString& tip);
