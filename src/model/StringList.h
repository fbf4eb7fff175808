#pragma once
// An ordered list of (text, object) pairs. Lookup by text ignores letter case
// and finds the first match. An owning list frees its objects.
//
// Lookups by text are served from a hash table once the list is longer than
// a few entries: a flat table of slots, one for each distinct text (letter
// case ignored), holding a hash of the case-folded text, the first position
// with that text and the number of entries that have it. The table keeps no
// texts of its own: a slot's text is that of the entry at its first
// position, compared letter case ignored. Appending, changing an entry's
// text and removing the last entry keep the table up to date, so that
// renaming entry after entry of a long list (as carrying a renamed key does)
// never rebuilds it; changes that shift positions drop it and the next
// lookup builds it again, so loops of lookups stay linear.

#include "model/CaseFold.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace veska {

template <class T, bool Owning>
class TStringList {
  using Holder = std::conditional_t<Owning, std::unique_ptr<T>, T*>;
  struct Entry {
    QString text;
    Holder object;
  };

public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  TStringList(TStringList&&) noexcept = default;
  TStringList& operator=(TStringList&&) noexcept = default;

  int Count() const { return static_cast<int>(FEntries.size()); }
  bool IsEmpty() const { return FEntries.empty(); }

  const QString& Strings(int i) const { return FEntries.at(static_cast<size_t>(i)).text; }
  T* Objects(int i) const { return Raw(FEntries.at(static_cast<size_t>(i)).object); }
  T* operator[](int i) const { return Objects(i); }
  // Every entry's text, in list order.
  QStringList Texts() const
  {
    QStringList texts;
    texts.reserve(Count());
    for (const Entry& e : FEntries)
      texts.append(e.text);
    return texts;
  }

  // Position of the first entry whose text equals `text`, letter case
  // ignored; -1 when there is none.
  int IndexOf(const QString& text) const
  {
    if (FEntries.size() < kHashThreshold) {
      for (size_t i = 0; i < FEntries.size(); ++i)
        if (EqualIgnoringCase(FEntries[i].text, text))
          return static_cast<int>(i);
      return -1;
    }
    if (!FSlots)
      RebuildIndex();
    const qsizetype slot = FindSlot(text, FoldedHash(text));
    return slot < 0 ? -1 : FSlots[static_cast<size_t>(slot)].First;
  }

  T* Find(const QString& text) const
  {
    const int i = IndexOf(text);
    return i < 0 ? nullptr : Objects(i);
  }

  int IndexOfObject(const T* object) const
  {
    for (size_t i = 0; i < FEntries.size(); ++i)
      if (Raw(FEntries[i].object) == object)
        return static_cast<int>(i);
    return -1;
  }

  // Makes room for `count` entries in all.
  void Reserve(int count) { FEntries.reserve(static_cast<size_t>(std::max(count, 0))); }
  // Makes room for `more` entries to be added: just that room when it is
  // half again as much as the list has, else half again (so that adding
  // a few at a time stays linear).
  void MakeRoomFor(int more)
  {
    const size_t needed = FEntries.size() + static_cast<size_t>(std::max(more, 0));
    if (needed > FEntries.capacity())
      FEntries.reserve(std::max(needed, FEntries.capacity() + FEntries.capacity() / 2));
  }

  // Appends; returns the new position.
  int Add(const QString& text, Holder object)
  {
    FEntries.push_back(Entry{text, std::move(object)});
    const int pos = Count() - 1;
    if (FSlots)
      Enter(pos);
    return pos;
  }

  void Insert(int pos, const QString& text, Holder object)
  {
    if (pos >= Count()) {
      Add(text, std::move(object));
      return;
    }
    FEntries.insert(FEntries.begin() + pos, Entry{text, std::move(object)});
    Invalidate();
  }

  void SetString(int i, const QString& text)
  {
    Entry& e = FEntries.at(static_cast<size_t>(i));
    if (e.text == text)
      return;
    if (!FSlots || EqualIgnoringCase(e.text, text)) {
      e.text = text;  // the same slot, if any
      return;
    }
    Leave(i);
    e.text = text;
    Enter(i);
  }

  // Moves the entry at `from` to position `to`.
  void Move(int from, int to)
  {
    if (from == to)
      return;
    Entry e = std::move(FEntries.at(static_cast<size_t>(from)));
    FEntries.erase(FEntries.begin() + from);
    FEntries.insert(FEntries.begin() + to, std::move(e));
    Invalidate();
  }

  // Removes the entry and returns its object without freeing it.
  Holder Extract(int i)
  {
    Holder object = std::move(FEntries.at(static_cast<size_t>(i)).object);
    RemoveEntry(i);
    return object;
  }

  // Removes the entry; an owning list frees the object.
  void Delete(int i) { Extract(i); }

  // Removes every entry, freeing the objects of an owning list from the last
  // to the first.
  void Clear()
  {
    ClearWith([](int) {});
  }
  // Clear, calling `before(i)` just before entry `i` goes (the entries before
  // it are still there).
  template <typename Before>
  void ClearWith(Before before)
  {
    while (!FEntries.empty()) {
      before(static_cast<int>(FEntries.size()) - 1);
      FEntries.pop_back();
    }
    Invalidate();
  }

  ~TStringList() { Clear(); }

  class const_iterator {
  public:
    const_iterator(const TStringList* list, int i) : FList(list), FI(i) {}
    T* operator*() const { return FList->Objects(FI); }
    const_iterator& operator++() { ++FI; return *this; }
    bool operator!=(const const_iterator& o) const { return FI != o.FI; }
  private:
    const TStringList* FList;
    int FI;
  };
  // Iterates over the objects in list order.
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, Count()); }

private:
  static constexpr size_t kHashThreshold = 12;

  static T* Raw(const Holder& h)
  {
    if constexpr (Owning)
      return h.get();
    else
      return h;
  }
  void RemoveEntry(int i)
  {
    const bool last = i == Count() - 1;
    if (last && FSlots) {
      Leave(i);
      FEntries.pop_back();
      return;
    }
    FEntries.erase(FEntries.begin() + i);
    Invalidate();
  }

  void Invalidate()
  {
    FSlots.reset();
    FSlotCount = 0;
    FUsed = 0;
  }

  void RebuildIndex() const
  {
    quint32 size = 16;
    while (size * 3 < FEntries.size() * 4 + 4)
      size *= 2;
    FSlots = std::make_unique<Slot[]>(size);
    FSlotCount = size;
    FUsed = 0;
    for (size_t i = 0; i < FEntries.size(); ++i)
      Enter(static_cast<int>(i));
  }

  // The slot of the text, or -1.
  qsizetype FindSlot(QStringView text, quint32 hash) const
  {
    const size_t mask = FSlotCount - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = FSlots[i];
      if (s.First < 0)
        return -1;
      if (s.Hash == hash && EqualIgnoringCase(FEntries[static_cast<size_t>(s.First)].text, text))
        return static_cast<qsizetype>(i);
    }
  }

  // The entry at `pos` has its text now.
  void Enter(int pos) const
  {
    const QString& text = FEntries[static_cast<size_t>(pos)].text;
    const quint32 hash = FoldedHash(text);
    if (const qsizetype found = FindSlot(text, hash); found >= 0) {
      Slot& s = FSlots[static_cast<size_t>(found)];
      ++s.Count;
      s.First = std::min(s.First, pos);
      return;
    }
    if ((FUsed + 1) * 4 > FSlotCount * 3)
      Grow();
    const size_t mask = FSlotCount - 1;
    size_t i = hash & mask;
    while (FSlots[i].First >= 0)
      i = (i + 1) & mask;
    FSlots[i] = Slot{hash, pos, 1};
    ++FUsed;
  }

  // The entry at `pos` is about to lose its text (it still has it). When it
  // was the first of several, the next entry with that text takes its place.
  void Leave(int pos) const
  {
    const QString& text = FEntries[static_cast<size_t>(pos)].text;
    const qsizetype found = FindSlot(text, FoldedHash(text));
    if (found < 0)
      return;
    Slot& s = FSlots[static_cast<size_t>(found)];
    if (--s.Count == 0) {
      Erase(static_cast<size_t>(found));
      return;
    }
    if (s.First != pos)
      return;
    for (size_t j = static_cast<size_t>(pos) + 1; j < FEntries.size(); ++j) {
      if (EqualIgnoringCase(FEntries[j].text, text)) {
        s.First = static_cast<int>(j);
        return;
      }
    }
  }

  // Empties slot `i`, moving later slots of the same probe run back so that
  // every slot stays reachable from its home position.
  void Erase(size_t i) const
  {
    const size_t mask = FSlotCount - 1;
    for (size_t j = (i + 1) & mask; FSlots[j].First >= 0; j = (j + 1) & mask) {
      const size_t home = FSlots[j].Hash & mask;
      // Slot j may move to i when its home is not in the run (i, j].
      const bool homeBetween = i <= j ? (i < home && home <= j) : (i < home || home <= j);
      if (!homeBetween) {
        FSlots[i] = FSlots[j];
        i = j;
      }
    }
    FSlots[i] = Slot{};
    --FUsed;
  }

  void Grow() const
  {
    const std::unique_ptr<Slot[]> old = std::exchange(FSlots, std::make_unique<Slot[]>(FSlotCount * 2));
    const quint32 oldCount = std::exchange(FSlotCount, FSlotCount * 2);
    const size_t mask = FSlotCount - 1;
    for (quint32 k = 0; k < oldCount; ++k) {
      const Slot& s = old[k];
      if (s.First < 0)
        continue;
      size_t i = s.Hash & mask;
      while (FSlots[i].First >= 0)
        i = (i + 1) & mask;
      FSlots[i] = s;
    }
  }

  // A distinct text (letter case ignored): the hash of its case-folded
  // text, the first position with it and the number of entries with it.
  struct Slot {
    quint32 Hash = 0;
    int First = -1;  // -1: an empty slot
    int Count = 0;
  };

  std::vector<Entry> FEntries;
  // FSlotCount slots, a power of two, at most three quarters used; none
  // until the first lookup of a long list builds them.
  mutable std::unique_ptr<Slot[]> FSlots;
  mutable quint32 FSlotCount = 0;
  mutable quint32 FUsed = 0;
};

}  // namespace veska
