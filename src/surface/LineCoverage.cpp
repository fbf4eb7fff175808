#include "surface/LineCoverage.h"

namespace veska {

void TLineCoverage::Reset()
{
  FVertical.clear();
  FHorizontal.clear();
}

void TLineCoverage::Subtract(TSpans& spans, int from, int to)
{
  auto it = spans.upper_bound(from);
  if (it != spans.begin() && std::prev(it)->second >= from)
    --it;
  while (it != spans.end() && it->first <= to) {
    const int first = it->first;
    const int last = it->second;
    it = spans.erase(it);
    if (first < from)
      spans.emplace_hint(it, first, from - 1);
    if (last > to) {
      spans.emplace_hint(it, to + 1, last);
      break;
    }
  }
}

void TLineCoverage::Forget(const QRect& rect)
{
  if (rect.isEmpty())
    return;
  for (auto it = FVertical.lower_bound(rect.left()); it != FVertical.end() && it->first <= rect.right(); ++it)
    Subtract(it->second, rect.top(), rect.bottom());
  for (auto it = FHorizontal.lower_bound(rect.top()); it != FHorizontal.end() && it->first <= rect.bottom(); ++it)
    Subtract(it->second, rect.left(), rect.right());
}

bool TLineCoverage::Holds(const std::map<int, TSpans>& tracks, int at, int pixel)
{
  const auto track = tracks.find(at);
  if (track == tracks.end())
    return false;
  auto it = track->second.upper_bound(pixel);
  return it != track->second.begin() && std::prev(it)->second >= pixel;
}

bool TLineCoverage::Covered(int x, int y) const
{
  return Holds(FVertical, x, y) || Holds(FHorizontal, y, x);
}

}  // namespace veska
