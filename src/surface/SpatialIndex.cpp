#include "surface/SpatialIndex.h"

#include <algorithm>

namespace veska {

QRect TSpatialIndex::Area(const TControl& control)
{
  const QRect bounds = control.BoundsRect();
  const QPoint corner(ClampCoordinate(control.Left), ClampCoordinate(control.Top));
  return QRect(corner, QPoint(std::max(bounds.right(), corner.x()), std::max(bounds.bottom(), corner.y())));
}

TSpatialIndex::TCells TSpatialIndex::CellsOf(const QRect& rect, int level)
{
  // Clamped first, so that a query far outside the diagram covers no more
  // cells than the whole coordinate range.
  const int shift = kFinestShift + level * kLevelStep;
  const auto cell = [shift](int v) { return std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit) >> shift; };
  return {cell(rect.left()), cell(rect.top()), cell(rect.right()), cell(rect.bottom())};
}

std::uint64_t TSpatialIndex::Key(qint64 x, qint64 y)
{
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) | static_cast<std::uint32_t>(y);
}

int TSpatialIndex::LevelFor(const QRect& rect)
{
  for (int level = 0; level < kLevels - 1; ++level) {
    const TCells c = CellsOf(rect, level);
    if ((c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1) <= kMaxCells)
      return level;
  }
  return kLevels - 1;
}

void TSpatialIndex::Clear()
{
  FItems.clear();
  FSlots.clear();
  for (TBuckets& buckets : FLevels)
    buckets.clear();
  FLevelEntries.fill(0);
}

void TSpatialIndex::Add(TControl& control, TKind kind, TRelation* relation, std::uint64_t listOrder)
{
  const auto id = static_cast<std::uint32_t>(FItems.size());
  TItem item;
  item.Control = &control;
  item.Relation = relation;
  item.Kind = kind;
  item.ListOrder = listOrder;
  FItems.push_back(item);
  FSlots.emplace(&control, id);
  Insert(id);
}

void TSpatialIndex::Insert(std::uint32_t id)
{
  TItem& item = FItems[id];
  item.Rect = Area(*item.Control);
  item.Level = static_cast<std::uint8_t>(LevelFor(item.Rect));
  TBuckets& buckets = FLevels[item.Level];
  const TCells c = CellsOf(item.Rect, item.Level);
  for (qint64 y = c.Y0; y <= c.Y1; ++y)
    for (qint64 x = c.X0; x <= c.X1; ++x)
      buckets[Key(x, y)].push_back(TEntry{item.Rect, id});
  FLevelEntries[item.Level] += static_cast<std::size_t>((c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1));
}

void TSpatialIndex::Remove(std::uint32_t id)
{
  const TItem& item = FItems[id];
  TBuckets& buckets = FLevels[item.Level];
  const TCells c = CellsOf(item.Rect, item.Level);
  for (qint64 y = c.Y0; y <= c.Y1; ++y) {
    for (qint64 x = c.X0; x <= c.X1; ++x) {
      const auto it = buckets.find(Key(x, y));
      if (it == buckets.end())
        continue;
      std::vector<TEntry>& entries = it->second;
      const auto e = std::find_if(entries.begin(), entries.end(), [id](const TEntry& en) { return en.Item == id; });
      if (e == entries.end())
        continue;
      *e = entries.back();
      entries.pop_back();
      --FLevelEntries[item.Level];
      if (entries.empty())
        buckets.erase(it);
    }
  }
}

bool TSpatialIndex::Update(const TControl& control)
{
  const auto slot = FSlots.find(&control);
  if (slot == FSlots.end())
    return false;
  if (Area(control) == FItems[slot->second].Rect)
    return true;
  Remove(slot->second);
  Insert(slot->second);
  return true;
}

void TSpatialIndex::Query(const QRect& rect, std::vector<const TItem*>& out) const
{
  if (rect.isEmpty())
    return;
  // Visiting more cells than there are items costs more than looking at
  // every item once.
  qint64 cells = 0;
  for (int level = 0; level < kLevels; ++level) {
    if (FLevelEntries[level] == 0)
      continue;
    const TCells c = CellsOf(rect, level);
    cells += (c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1);
  }
  if (cells > static_cast<qint64>(FItems.size())) {
    for (const TItem& item : FItems)
      if (item.Rect.intersects(rect))
        out.push_back(&item);
    return;
  }
  for (int level = 0; level < kLevels; ++level) {
    if (FLevelEntries[level] == 0)
      continue;
    const TBuckets& buckets = FLevels[level];
    const TCells q = CellsOf(rect, level);
    for (qint64 y = q.Y0; y <= q.Y1; ++y) {
      for (qint64 x = q.X0; x <= q.X1; ++x) {
        const auto it = buckets.find(Key(x, y));
        if (it == buckets.end())
          continue;
        for (const TEntry& e : it->second) {
          if (!e.Rect.intersects(rect))
            continue;
          // An item that spans several of the visited cells is reported
          // from the first of them only.
          const TCells c = CellsOf(e.Rect, level);
          if (x == std::max(c.X0, q.X0) && y == std::max(c.Y0, q.Y0))
            out.push_back(&FItems[e.Item]);
        }
      }
    }
  }
}

std::size_t TSpatialIndex::EntryCount() const
{
  std::size_t n = 0;
  for (std::size_t count : FLevelEntries)
    n += count;
  return n;
}

}  // namespace veska
