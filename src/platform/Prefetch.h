#pragma once
// Asking the processor for memory before it is used. Walks over a large model
// (writing it, freeing it) visit objects scattered over the heap and wait on
// memory far more than they compute; asking for the objects a few places
// ahead of the one at hand lets those waits overlap. A prefetch never faults
// and changes nothing but the cache, so asking for the wrong memory costs
// time only.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace veska {

inline void Prefetch(const void* p)
{
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// The helpers below hand every address they ask for to `fetch`, Prefetch by
// default; another `fetch` can record what a walk ahead reaches.
struct TPrefetch {
  void operator()(const void* p) const { Prefetch(p); }
};

// Every cache line of an object.
template <typename T, typename Fetch = TPrefetch>
void PrefetchObject(const T* object, Fetch fetch = {})
{
  const char* bytes = reinterpret_cast<const char*>(object);
  for (std::size_t at = 0; at < sizeof(T); at += 64)
    fetch(bytes + at);
}

// The characters of a text and the header of their block before them (its
// reference count, and the allocator's bookkeeping of the block).
template <typename Fetch = TPrefetch>
void PrefetchText(const QString& text, Fetch fetch = {})
{
  const auto data = reinterpret_cast<std::uintptr_t>(text.constData());
  fetch(reinterpret_cast<const void*>(data));
  fetch(reinterpret_cast<const void*>(data - 32));
}

// The entries of a list of texts and objects (`Strings(i)` refers into them),
// two to a cache line.
template <typename List, typename Fetch = TPrefetch>
void PrefetchEntries(const List& list, Fetch fetch = {})
{
  for (int i = 0; i < list.Count(); i += 2)
    fetch(&list.Strings(i));
}

// The objects of a list of texts and objects.
template <typename List, typename Fetch = TPrefetch>
void PrefetchObjects(const List& list, Fetch fetch = {})
{
  for (const auto* object : list)
    PrefetchObject(object, fetch);
}

}  // namespace veska
