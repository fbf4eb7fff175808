#include "platform/Allocator.h"

#include <cstdlib>
#include <memory>
#include <new>

#ifdef VESKA_MIMALLOC
#include <mimalloc.h>
#endif

#ifdef VESKA_MIMALLOC
// The programs' operator new and delete. mimalloc's own operator new ends the
// process when memory runs out (it cannot reach the program's new handler);
// these allocate from the same heap and throw std::bad_alloc as the language
// has it, which the programs report as a message.
namespace {
void* Allocate(std::size_t size)
{
  if (void* p = mi_malloc(size))
    return p;
  throw std::bad_alloc();
}
void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
  if (void* p = mi_malloc_aligned(size, static_cast<std::size_t>(alignment)))
    return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return mi_malloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return mi_malloc(size); }
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
  return mi_malloc_aligned(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
  return mi_malloc_aligned(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* p) noexcept { mi_free(p); }
void operator delete[](void* p) noexcept { mi_free(p); }
void operator delete(void* p, std::size_t) noexcept { mi_free(p); }
void operator delete[](void* p, std::size_t) noexcept { mi_free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { mi_free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { mi_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { mi_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { mi_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { mi_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { mi_free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { mi_free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { mi_free(p); }
#endif

namespace veska {

void TuneAllocator()
{
#ifdef VESKA_MIMALLOC
  // No huge pages: a fresh process pays for each one up front (the kernel
  // clears 2 MB at once and may first compact memory to find it), which cost
  // veska-cli convert of 20,000 entities 2.6 to 3.3 s of system time against
  // 0.3 to 0.7 s with ordinary pages, for no gain in user time.
  mi_option_set(mi_option_decommit_delay, 3000);  // milliseconds
#endif
}

bool AllocatorIsReplaced()
{
#ifdef VESKA_MIMALLOC
  // A block from the process's malloc and one from operator new both lie in
  // mimalloc's heap only when linking really replaced both.
  void* block = std::malloc(48);
  const auto object = std::make_unique<char[]>(48);
  const bool replaced = mi_is_in_heap_region(block) && mi_is_in_heap_region(object.get());
  std::free(block);
  return replaced;
#else
  return false;
#endif
}

bool AllocatorReplacementBuilt()
{
#ifdef VESKA_MIMALLOC
  return true;
#else
  return false;
#endif
}

}  // namespace veska
