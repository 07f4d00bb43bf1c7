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

// Where a window whose frame has the given size opens: beside the window that opens it, fully on
// the screen, and clear of keepClear (the client's chat) where there is room. Where there is not,
// the place that covers the least of keepClear, then of the opener.
QPoint placeBeside(QSize frame, const QRect& opener, const QRect& keepClear, const QRect& screen);

}  // namespace kestar::shell
