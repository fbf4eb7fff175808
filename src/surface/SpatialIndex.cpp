#include "surface/SpatialIndex.h"

#include "platform/Prefetch.h"

#include <algorithm>
#include <bit>

namespace veska {

QRect TSpatialIndex::Area(const TControl& control)
{
  const QRect bounds = control.BoundsRect();
  const QPoint corner(ClampCoordinate(control.Left), ClampCoordinate(control.Top));
  return QRect(corner, QPoint(std::max(bounds.right(), corner.x()), std::max(bounds.bottom(), corner.y())));
}

TSpatialIndex::TCells TSpatialIndex::CellsOf(const QRect& rect, int level, qint64 cellSize)
{
  // Clamped first, so that a query far outside the diagram covers no more
  // cells than the whole coordinate range.
  const qint64 size = cellSize << (level * kLevelStep);
  const auto cell = [size](int v) {
    const qint64 c = std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit);
    return c >= 0 ? c / size : -((size - 1 - c) / size);  // rounded down
  };
  return {cell(rect.left()), cell(rect.top()), cell(rect.right()), cell(rect.bottom())};
}

std::uint64_t TSpatialIndex::Key(qint64 x, qint64 y)
{
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) | static_cast<std::uint32_t>(y);
}

int TSpatialIndex::LevelFor(const QRect& rect, qint64 cellSize)
{
  for (int level = 0; level < kLevels - 1; ++level) {
    const TCells c = CellsOf(rect, level, cellSize);
    if ((c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1) <= kMaxCells)
      return level;
  }
  return kLevels - 1;
}

// ---- Keys to numbers -----------------------------------------------------------

std::size_t TSpatialIndex::TKeyTable::Home(std::uint64_t key) const
{
  // The high bits of the product, so that keys that differ only in their
  // low bits (neighbouring cells, aligned addresses) spread over the table.
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> FShift);
}

std::uint32_t TSpatialIndex::TKeyTable::Find(std::uint64_t key) const
{
  if (FCount == 0)
    return kNone;
  const std::size_t mask = FSlots.size() - 1;
  for (std::size_t i = Home(key);; i = (i + 1) & mask) {
    const TSlot& slot = FSlots[i];
    if (slot.Value == kNone || slot.Key == key)
      return slot.Value;
  }
}

std::uint32_t TSpatialIndex::TKeyTable::FindOrInsert(std::uint64_t key, std::uint32_t value)
{
  if ((FCount + 1) * 2 > FSlots.size())
    Grow();
  const std::size_t mask = FSlots.size() - 1;
  for (std::size_t i = Home(key);; i = (i + 1) & mask) {
    TSlot& slot = FSlots[i];
    if (slot.Value == kNone) {
      slot = {key, value};
      ++FCount;
      return value;
    }
    if (slot.Key == key)
      return slot.Value;
  }
}

void TSpatialIndex::TKeyTable::Erase(std::uint64_t key)
{
  if (FCount == 0)
    return;
  const std::size_t mask = FSlots.size() - 1;
  std::size_t hole = Home(key);
  while (FSlots[hole].Value != kNone && FSlots[hole].Key != key)
    hole = (hole + 1) & mask;
  if (FSlots[hole].Value == kNone)
    return;
  // Later slots of the same run move into the hole unless their home lies
  // after it, so that every key stays reachable from its home.
  for (std::size_t next = (hole + 1) & mask; FSlots[next].Value != kNone; next = (next + 1) & mask) {
    const std::size_t home = Home(FSlots[next].Key);
    const bool staysPut = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (!staysPut) {
      FSlots[hole] = FSlots[next];
      hole = next;
    }
  }
  FSlots[hole] = TSlot{};
  --FCount;
}

void TSpatialIndex::TKeyTable::Clear()
{
  if (FCount > 0)
    std::fill(FSlots.begin(), FSlots.end(), TSlot{});
  FCount = 0;
}

void TSpatialIndex::TKeyTable::Grow()
{
  std::vector<TSlot> old = std::move(FSlots);
  const std::size_t size = std::max<std::size_t>(16, old.size() * 2);
  FSlots.assign(size, TSlot{});
  FShift = 64 - std::countr_zero(size);
  FCount = 0;
  for (const TSlot& slot : old)
    if (slot.Value != kNone)
      FindOrInsert(slot.Key, slot.Value);
}

// ---- The cells of a level ------------------------------------------------------

const TSpatialIndex::TBucket* TSpatialIndex::TLevel::Find(std::uint64_t key) const
{
  const std::uint32_t bucket = Cells.Find(key);
  return bucket == TKeyTable::kNone ? nullptr : &Buckets[bucket];
}

TSpatialIndex::TBucket& TSpatialIndex::TLevel::FindOrAdd(std::uint64_t key)
{
  const std::uint32_t spare = FreeBuckets.empty() ? UsedBuckets : FreeBuckets.back();
  const std::uint32_t bucket = Cells.FindOrInsert(key, spare);
  if (bucket == spare) {
    if (!FreeBuckets.empty()) {
      FreeBuckets.pop_back();
    } else {
      ++UsedBuckets;
      if (Buckets.size() < UsedBuckets)
        Buckets.emplace_back();
      // A bucket of the pool still holds what it held before the last Clear.
      Buckets[bucket].clear();
    }
  }
  return Buckets[bucket];
}

void TSpatialIndex::TLevel::Erase(std::uint64_t key, std::uint32_t bucket)
{
  Cells.Erase(key);
  FreeBuckets.push_back(bucket);
}

void TSpatialIndex::TLevel::Clear()
{
  Cells.Clear();
  FreeBuckets.clear();
  UsedBuckets = 0;
  Entries = 0;
}

// ---- The index -----------------------------------------------------------------

void TSpatialIndex::Clear(int cellSize)
{
  FCellSize = std::max(cellSize, 1);
  FItems.clear();
  FDropped = 0;
  for (TLevel& level : FLevels)
    level.Clear();
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
  control.IndexSlot = id;
  Insert(id);
}

void TSpatialIndex::Insert(std::uint32_t id)
{
  TItem& item = FItems[id];
  item.Rect = Area(*item.Control);
  item.Level = static_cast<std::uint8_t>(LevelFor(item.Rect, FCellSize));
  TLevel& level = FLevels[item.Level];
  const TCells c = CellsOf(item.Rect, item.Level, FCellSize);
  for (qint64 y = c.Y0; y <= c.Y1; ++y)
    for (qint64 x = c.X0; x <= c.X1; ++x)
      level.FindOrAdd(Key(x, y)).push_back(id);
  level.Entries += static_cast<std::size_t>((c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1));
}

void TSpatialIndex::Remove(std::uint32_t id, qint64 cellSize)
{
  const TItem& item = FItems[id];
  TLevel& level = FLevels[item.Level];
  const TCells c = CellsOf(item.Rect, item.Level, cellSize);
  for (qint64 y = c.Y0; y <= c.Y1; ++y) {
    for (qint64 x = c.X0; x <= c.X1; ++x) {
      const std::uint64_t key = Key(x, y);
      const std::uint32_t bucket = level.Cells.Find(key);
      if (bucket == TKeyTable::kNone)
        continue;
      TBucket& entries = level.Buckets[bucket];
      const auto e = std::find(entries.begin(), entries.end(), id);
      if (e == entries.end())
        continue;
      *e = entries.back();
      entries.pop_back();
      --level.Entries;
      if (entries.empty())
        level.Erase(key, bucket);
    }
  }
}

bool TSpatialIndex::Drop(const TControl& control)
{
  const std::uint32_t slot = control.IndexSlot;
  if (slot >= FItems.size() || FItems[slot].Control != &control)
    return false;
  Remove(slot, FCellSize);
  FItems[slot].Control = nullptr;
  FItems[slot].Relation = nullptr;
  FItems[slot].Rect = QRect();
  ++FDropped;
  return true;
}

bool TSpatialIndex::Update(const TControl& control)
{
  // A slot left from an earlier build, or a copy's, names another control.
  const std::uint32_t slot = control.IndexSlot;
  if (slot >= FItems.size() || FItems[slot].Control != &control)
    return false;
  if (Area(control) == FItems[slot].Rect)
    return true;
  Remove(slot, FCellSize);
  Insert(slot);
  return true;
}

void TSpatialIndex::Rescale(int cellSize)
{
  const qint64 before = FCellSize;
  FCellSize = std::max(cellSize, 1);
  const auto count = static_cast<std::uint32_t>(FItems.size());
  for (std::uint32_t id = 0; id < count; ++id) {
    if (id + 4 < count && FItems[id + 4].Control)
      Prefetch(&FItems[id + 4].Control->Left);
    TItem& item = FItems[id];
    if (!item.Control)
      continue;
    const QRect rect = Area(*item.Control);
    const int level = LevelFor(rect, FCellSize);
    const TCells was = CellsOf(item.Rect, item.Level, before);
    const TCells is = CellsOf(rect, level, FCellSize);
    if (level == item.Level && was.X0 == is.X0 && was.Y0 == is.Y0 && was.X1 == is.X1 && was.Y1 == is.Y1) {
      // In the same cells: its entries stand as they are.
      item.Rect = rect;
      continue;
    }
    Remove(id, before);
    Insert(id);
  }
}

void TSpatialIndex::Query(const QRect& rect, std::vector<const TItem*>& out) const
{
  if (rect.isEmpty())
    return;
  // Visiting more cells than there are items costs more than looking at
  // every item once.
  qint64 cells = 0;
  for (int level = 0; level < kLevels; ++level) {
    if (FLevels[level].Entries == 0)
      continue;
    const TCells c = CellsOf(rect, level, FCellSize);
    cells += (c.X1 - c.X0 + 1) * (c.Y1 - c.Y0 + 1);
  }
  if (cells > static_cast<qint64>(FItems.size())) {
    for (const TItem& item : FItems)
      if (item.Control && item.Rect.intersects(rect))
        out.push_back(&item);
    return;
  }
  for (int level = 0; level < kLevels; ++level) {
    const TLevel& cells = FLevels[level];
    if (cells.Entries == 0)
      continue;
    const TCells q = CellsOf(rect, level, FCellSize);
    for (qint64 y = q.Y0; y <= q.Y1; ++y) {
      for (qint64 x = q.X0; x <= q.X1; ++x) {
        const TBucket* bucket = cells.Find(Key(x, y));
        if (!bucket)
          continue;
        for (const std::uint32_t id : *bucket) {
          const TItem& item = FItems[id];
          if (!item.Rect.intersects(rect))
            continue;
          // An item that spans several of the visited cells is reported
          // from the first of them only.
          const TCells c = CellsOf(item.Rect, level, FCellSize);
          if (x == std::max(c.X0, q.X0) && y == std::max(c.Y0, q.Y0))
            out.push_back(&item);
        }
      }
    }
  }
}

std::size_t TSpatialIndex::EntryCount() const
{
  std::size_t n = 0;
  for (const TLevel& level : FLevels)
    n += level.Entries;
  return n;
}

}  // namespace veska
