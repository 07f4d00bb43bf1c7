#include "shell/Placement.h"

#include <algorithm>
#include <array>
#include <optional>
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

struct Place {
  QRect frame;
  // What it covers of the chat, then of the opener.
  std::tuple<long long, long long> cost;
};

Place bestPlace(QSize frame, const QRect& opener, const QRect& keepClear, const QRect& screen) {
  std::array<QPoint, 8> candidates{};
  std::ranges::copy(besides(opener, frame, opener), candidates.begin());
  // Where the places beside the opener all cover the chat, one beside the chat may not.
  const QRect clear = keepClear.isEmpty() ? opener : keepClear;
  std::ranges::copy(besides(clear, frame, opener), candidates.begin() + 4);

  std::optional<Place> best;
  for (const QPoint& at : candidates) {
    const QRect place = pulledOnScreen(QRect(at, frame), screen);
    const std::tuple cost{overlap(place, keepClear), overlap(place, opener)};
    if (!best || cost < best->cost) best = Place{place, cost};
  }
  return *best;
}

}  // namespace

QRect pulledOnScreen(QRect frame, const QRect& screen) {
  frame.moveTo(pulled(frame.x(), frame.width(), screen.x(), screen.width()),
               pulled(frame.y(), frame.height(), screen.y(), screen.height()));
  return frame;
}

QRect placeBeside(QSize preferred, QSize smallest, const QRect& opener, const QRect& keepClear,
                  const QRect& screen) {
  smallest = smallest.boundedTo(preferred);
  std::optional<Place> first;
  for (const double share : {1.0, 0.75, 0.5, 0.25, 0.0}) {
    const QSize frame = smallest + (preferred - smallest) * share;
    const Place place = bestPlace(frame, opener, keepClear, screen);
    if (std::get<0>(place.cost) == 0) return place.frame;
    if (!first) first = place;
  }
  return first->frame;
}

}  // namespace kestar::shell
