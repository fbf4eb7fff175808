#pragma once
// An ordered list of (text, object) pairs. Lookup by text ignores letter case
// and finds the first match. An owning list frees its objects.
//
// Lookups by text are served from a hash of case-folded texts to the first
// position (and the number of entries with that text) once the list is
// longer than a few entries. Appending, changing an entry's text and removing
// the last entry keep the hash up to date, so that renaming entry after entry
// of a long list (as carrying a renamed key does) never rebuilds it; changes
// that shift positions drop it and the next lookup builds it again, so loops
// of lookups stay linear.

#include "model/CaseFold.h"

#include <QHash>
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
    if (!FIndexValid)
      RebuildIndex();
    const auto it = FIndex.constFind(Key(text));
    return it == FIndex.constEnd() ? -1 : it.value().First;
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

  // Appends; returns the new position.
  int Add(const QString& text, Holder object)
  {
    FEntries.push_back(Entry{text, std::move(object)});
    const int pos = Count() - 1;
    if (FIndexValid)
      Enter(Key(text), pos);
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
    if (!FIndexValid) {
      e.text = text;
      return;
    }
    const QString oldKey = Key(e.text);
    const QString newKey = Key(text);
    e.text = text;
    if (oldKey == newKey)
      return;
    Leave(oldKey, i);
    Enter(newKey, i);
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
    FIndex.clear();
    FIndexValid = false;
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
  static QString Key(const QString& text) { return CaseFolded(text); }

  void RemoveEntry(int i)
  {
    const bool last = i == Count() - 1;
    if (last && FIndexValid) {
      Leave(Key(FEntries.back().text), i);
      FEntries.pop_back();
      return;
    }
    FEntries.erase(FEntries.begin() + i);
    Invalidate();
  }

  void Invalidate()
  {
    if (FIndexValid) {
      FIndex.clear();
      FIndexValid = false;
    }
  }

  void RebuildIndex() const
  {
    FIndex.clear();
    FIndex.reserve(static_cast<qsizetype>(FEntries.size()));
    for (size_t i = 0; i < FEntries.size(); ++i)
      Enter(Key(FEntries[i].text), static_cast<int>(i));
    FIndexValid = true;
  }

  // The entry at `pos` now has the text of `key`.
  void Enter(const QString& key, int pos) const
  {
    const auto it = FIndex.find(key);
    if (it == FIndex.end()) {
      FIndex.insert(key, Slot{pos, 1});
      return;
    }
    ++it->Count;
    it->First = std::min(it->First, pos);
  }

  // The entry at `pos` no longer has the text of `key` (its own text may
  // already be changed). When it was the first of several, the next entry
  // with that text takes its place.
  void Leave(const QString& key, int pos) const
  {
    const auto it = FIndex.find(key);
    if (it == FIndex.end())
      return;
    if (--it->Count == 0) {
      FIndex.erase(it);
      return;
    }
    if (it->First != pos)
      return;
    for (size_t j = static_cast<size_t>(pos) + 1; j < FEntries.size(); ++j) {
      if (Key(FEntries[j].text) == key) {
        it->First = static_cast<int>(j);
        return;
      }
    }
  }

  // The first position of a text and the number of entries that have it.
  struct Slot {
    int First;
    int Count;
  };

  std::vector<Entry> FEntries;
  mutable QHash<QString, Slot> FIndex;
  mutable bool FIndexValid = false;  // built on the first lookup of a long list
};

}  // namespace veska
