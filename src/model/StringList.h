#pragma once
// An ordered list of (text, object) pairs. Lookup by text ignores letter case
// and finds the first match. An owning list frees its objects.
//
// Lookups by text are served from a hash of case-folded texts to the first
// position once the list is longer than a few entries. Appending and removing
// the last entry keep the hash up to date; other changes drop it and the next
// lookup builds it again, so loops of lookups stay linear.

#include <QHash>
#include <QString>

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

  // Position of the first entry whose text equals `text`, letter case
  // ignored; -1 when there is none.
  int IndexOf(const QString& text) const
  {
    if (FEntries.size() < kHashThreshold) {
      for (size_t i = 0; i < FEntries.size(); ++i)
        if (FEntries[i].text.compare(text, Qt::CaseInsensitive) == 0)
          return static_cast<int>(i);
      return -1;
    }
    if (!FIndexValid)
      RebuildIndex();
    const auto it = FIndex.constFind(Key(text));
    return it == FIndex.constEnd() ? -1 : it.value();
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
    if (FIndexValid && !FIndex.contains(Key(text)))
      FIndex.insert(Key(text), pos);
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
    e.text = text;
    Invalidate();
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
    while (!FEntries.empty())
      FEntries.pop_back();
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
  static QString Key(const QString& text) { return text.toCaseFolded(); }

  void RemoveEntry(int i)
  {
    const bool last = i == Count() - 1;
    if (last && FIndexValid) {
      const QString key = Key(FEntries.back().text);
      const auto it = FIndex.find(key);
      if (it != FIndex.end() && it.value() == i)
        FIndex.erase(it);
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
    // QHash::insert replaces, so walking backwards leaves the first position.
    for (size_t i = FEntries.size(); i-- > 0;)
      FIndex.insert(Key(FEntries[i].text), static_cast<int>(i));
    FIndexValid = true;
  }

  std::vector<Entry> FEntries;
  mutable QHash<QString, int> FIndex;
  mutable bool FIndexValid = false;  // built on the first lookup of a long list
};

}  // namespace veska
