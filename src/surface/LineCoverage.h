#pragma once
// Which pixels of the horizontal and vertical lines painted since the last
// reset still hold the colour they were painted in, so that a line over them
// paints only the rest. Relation lines of a large diagram run along the few
// columns and rows of the entities' centres, and a screenful is crossed by
// hundreds of them on the same few; each pixel is then filled once instead
// of once per line. What the painter draws over the pixels other than such
// a line must be told: Forget for a known rectangle, Reset for anything.

#include <QRect>

#include <iterator>
#include <map>

namespace veska {

class TLineCoverage {
public:
  void Reset();
  // Forgets the pixels of `rect`.
  void Forget(const QRect& rect);
  // A line of one pixel at column `at` (vertical) or row `at` from pixel
  // `from` to `to` (from <= to) in `color`: calls paint(first, last) for
  // each run of its pixels not covered in that colour, and marks all of
  // them covered. A colour other than the last one's forgets everything.
  template <class TPaint>
  void Line(bool vertical, int at, int from, int to, quint64 color, TPaint paint)
  {
    if (color != FColor) {
      Reset();
      FColor = color;
    }
    TSpans& spans = (vertical ? FVertical : FHorizontal)[at];
    // The first span that overlaps the line or touches its start.
    auto it = spans.upper_bound(from);
    if (it != spans.begin() && std::prev(it)->second >= from - 1)
      --it;
    int next = from;
    int first = from;
    int last = to;
    while (it != spans.end() && it->first <= to + 1) {
      if (it->first > next)
        paint(next, it->first - 1);
      next = qMax(next, it->second + 1);
      first = qMin(first, it->first);
      last = qMax(last, it->second);
      it = spans.erase(it);
    }
    if (next <= to)
      paint(next, to);
    spans.emplace_hint(it, first, last);
  }

  // Whether pixel (x, y) is covered, for tests.
  bool Covered(int x, int y) const;

private:
  // First pixel to last, disjoint and apart by at least one pixel. Lines
  // lie within the coordinate limits, so a neighbour pixel cannot overflow.
  using TSpans = std::map<int, int>;
  static void Subtract(TSpans& spans, int from, int to);
  static bool Holds(const std::map<int, TSpans>& tracks, int at, int pixel);

  std::map<int, TSpans> FVertical;
  std::map<int, TSpans> FHorizontal;
  quint64 FColor = 0;
};

}  // namespace veska
