#include "shell/Placement.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace kestar::shell {
namespace {

long long overlap(const QRect& a, const QRect& b) {
  const QRect common = a.intersected(b);
  return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

int pulled(int at, int length, int screenStart, int screenLength) {
  return std::max(screenStart, std::min(at, screenStart + screenLength - length));
}

// The four places beside an area, in the order they are preferred: right, left, below, above,
// lined up with the opener's top or left edge.
std::array<QPoint, 4> besides(const QRect& area, QSize frame, const QRect& opener) {
  return {QPoint(area.right() + 1 + kPlacementGap, opener.top()),
          QPoint(area.left() - kPlacementGap - frame.width(), opener.top()),
          QPoint(opener.left(), area.bottom() + 1 + kPlacementGap),
          QPoint(opener.left(), area.top() - kPlacementGap - frame.height())};
}

}  // namespace

QRect pulledOnScreen(QRect frame, const QRect& screen) {
  frame.moveTo(pulled(frame.x(), frame.width(), screen.x(), screen.width()),
               pulled(frame.y(), frame.height(), screen.y(), screen.height()));
  return frame;
}

QPoint placeBeside(QSize frame, const QRect& opener, const QRect& keepClear, const QRect& screen) {
  std::array<QPoint, 8> candidates{};
  std::ranges::copy(besides(opener, frame, opener), candidates.begin());
  // Where the places beside the opener all cover the chat, one beside the chat may not.
  const QRect clear = keepClear.isEmpty() ? opener : keepClear;
  std::ranges::copy(besides(clear, frame, opener), candidates.begin() + 4);

  QRect best;
  std::tuple<long long, long long> bestCost{-1, -1};
  for (const QPoint& at : candidates) {
    const QRect place = pulledOnScreen(QRect(at, frame), screen);
    const std::tuple cost{overlap(place, keepClear), overlap(place, opener)};
    if (std::get<0>(bestCost) < 0 || cost < bestCost) {
      best = place;
      bestCost = cost;
    }
  }
  return best.topLeft();
}

}  // namespace kestar::shell
