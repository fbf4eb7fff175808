#pragma once
// Where the drawn objects of a diagram lie: entities, relation segments,
// relation name labels and text labels in a grid of buckets, so that painting
// an area, hit testing a point and the rubber band visit only what lies near
// them instead of the whole model.
//
// The grid has levels of growing cell size (256 pixels at 100% zoom, then
// eight times as large each level up); an object goes into the finest level
// where its rectangle covers at most 16 cells (a long thin relation line
// stays in a fine level), so each object has a bounded number of entries and
// the memory stays linear in the number of objects, however long a
// relation's line or however far apart the objects lie.
//
// The cells grow and shrink with the zoom, so that a zoom step, which moves
// every object to its scaled place, leaves nearly all of them in the cells
// they were in: `Rescale` moves only those that changed cells.

#include "model/Controls.h"

#include <QRect>

#include <array>
#include <cstdint>
#include <vector>

namespace veska {

class TEntity;

class TSpatialIndex {
public:
  enum class TKind : std::uint8_t { Entity, Segment, NameLabel, TextLabel };

  struct TItem {
    TControl* Control = nullptr;
    // The relation of a segment or name label.
    TRelation* Relation = nullptr;
    TKind Kind = TKind::Entity;
    std::uint8_t Level = 0;
    // Position in the order in which the surface's lists are walked:
    // entities, then each relation's segments and name labels, then text
    // labels. Objects of equal stacking order are drawn and hit in it.
    std::uint64_t ListOrder = 0;
    // The rectangle the entries stand for (see Area).
    QRect Rect;
  };

  // The rectangle under which a control is kept: its bounds, extended to
  // hold its top left corner when it has no width or height.
  static QRect Area(const TControl& control);

  // Empties the index; it takes controls in next with cells of `cellSize`
  // pixels in its finest level.
  void Clear(int cellSize = kCellSize);
  // Takes a control in; `listOrder` as in TItem.
  void Add(TControl& control, TKind kind, TRelation* relation, std::uint64_t listOrder);
  // Moves a control that is in the index to the cells of its present bounds.
  // Returns false when the control is not in the index.
  bool Update(const TControl& control);
  // Takes a control that is going out of the index; false when it is not
  // in it.
  bool Drop(const TControl& control);
  // Every control in the index has moved or changed its size (as a zoom
  // step does), none came or went: takes their present bounds, with cells of
  // `cellSize` pixels in the finest level from now on.
  void Rescale(int cellSize);

  // The finest cells at 100% zoom.
  static constexpr int kCellSize = 256;

  // Every item whose rectangle intersects `rect`, each once, in no
  // particular order.
  void Query(const QRect& rect, std::vector<const TItem*>& out) const;

  std::size_t Count() const { return FItems.size() - FDropped; }
  // Number of bucket entries, for tests of the memory bound.
  std::size_t EntryCount() const;

private:
  static constexpr int kLevels = 8;
  static constexpr int kLevelStep = 3;
  // An object goes to the finest level where it covers at most this many
  // cells; the coarsest level holds any rectangle in 9.
  static constexpr qint64 kMaxCells = 16;

  // 64-bit keys to 32-bit numbers in one flat array (open addressing,
  // linear probing, at most half full). Clearing keeps the array, so that
  // rebuilding the index after a zoom allocates nothing.
  class TKeyTable {
  public:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    std::uint32_t Find(std::uint64_t key) const;
    // The number of `key`; `value` is taken in when it has none.
    std::uint32_t FindOrInsert(std::uint64_t key, std::uint32_t value);
    void Erase(std::uint64_t key);
    void Clear();

  private:
    struct TSlot {
      std::uint64_t Key = 0;
      std::uint32_t Value = kNone;
    };
    std::size_t Home(std::uint64_t key) const;
    void Grow();
    std::vector<TSlot> FSlots;
    std::size_t FCount = 0;
    int FShift = 64;
  };

  // The cells of one level: a cell's key leads to its bucket (the numbers of
  // the items in the cell) in a pool whose vectors keep their memory when the
  // index is cleared.
  using TBucket = std::vector<std::uint32_t>;
  struct TLevel {
    TKeyTable Cells;
    std::vector<TBucket> Buckets;
    std::vector<std::uint32_t> FreeBuckets;  // emptied by Remove
    std::uint32_t UsedBuckets = 0;           // buckets handed out since Clear
    std::size_t Entries = 0;

    const TBucket* Find(std::uint64_t key) const;
    TBucket& FindOrAdd(std::uint64_t key);
    void Erase(std::uint64_t key, std::uint32_t bucket);
    void Clear();
  };

  struct TCells {
    qint64 X0, Y0, X1, Y1;
  };
  // The cells of a rectangle in a level of cells `cellSize` pixels wide in
  // the finest level.
  static TCells CellsOf(const QRect& rect, int level, qint64 cellSize);
  static std::uint64_t Key(qint64 x, qint64 y);
  static int LevelFor(const QRect& rect, qint64 cellSize);
  // Into the cells of the control's present bounds.
  void Insert(std::uint32_t item);
  // Out of the cells that its entries were made in, with cells of
  // `cellSize`.
  void Remove(std::uint32_t item, qint64 cellSize);

  std::vector<TItem> FItems;  // a dropped item keeps its place, without a control
  std::size_t FDropped = 0;
  std::array<TLevel, kLevels> FLevels;
  qint64 FCellSize = kCellSize;
};

}  // namespace veska
