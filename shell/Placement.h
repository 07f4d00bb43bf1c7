#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kestar::shell {

// The space left between a window and the one it opens beside.
inline constexpr int kPlacementGap = 8;

// The frame moved the least distance that puts it fully on the screen. A frame larger than the
// screen keeps its top left corner, and with it the title bar, on the screen.
QRect pulledOnScreen(QRect frame, const QRect& screen);

// Where a window opens, and how large: beside the window that opens it, fully on the screen, and
// clear of keepClear (the client's chat) where there is room. Its preferred size where that fits,
// else the largest of a few steps down to its smallest size that does; where none does, the
// preferred size at the place that covers the least of keepClear, then of the opener.
QRect placeBeside(QSize preferred, QSize smallest, const QRect& opener, const QRect& keepClear,
                  const QRect& screen);

}  // namespace kestar::shell
