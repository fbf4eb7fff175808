#include "platform/Allocator.h"

#include <cstdlib>
#include <memory>

#ifdef VESKA_MIMALLOC
#include <mimalloc.h>
#endif

namespace veska {

void TuneAllocator()
{
#ifdef VESKA_MIMALLOC
  mi_option_enable(mi_option_large_os_pages);
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
