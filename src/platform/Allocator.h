#pragma once
// The programs' heap. Normal builds replace the C library's allocator with
// mimalloc by linking it (see the build files); sanitizer and fuzzing builds
// keep the allocator the sanitizer brings.

namespace veska {

// Settings of the heap that only the running program can make; called first
// thing in main(). Ordinary pages only: huge pages cost a fresh process more
// in clearing and compacting than they save. Memory freed by closing a
// diagram is kept for a few seconds before it goes back to the system, so
// that opening the next one (File > Open closes the open diagram first)
// reuses it instead of clearing fresh pages. Running out of memory in operator new throws std::bad_alloc
// (see Allocator.cpp), never aborts.
void TuneAllocator();

// Whether malloc and operator new of this process allocate through the
// replacement heap; false in a build that keeps the C library's allocator.
bool AllocatorIsReplaced();

// Whether this build is meant to replace the allocator.
bool AllocatorReplacementBuilt();

}  // namespace veska
