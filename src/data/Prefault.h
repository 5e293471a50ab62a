#pragma once
// Maps the pages of a stretch of a fresh array in one call, before the first writes: a
// fault per 4 KiB page costs more, and the threads that fill an array can each map their
// own part side by side. Only a hint: without support the writes fault as usual.
#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace qv {

inline void Prefault(void* p, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  if (bytes == 0) return;
  // madvise wants a page-aligned start; pages need not be 4 KiB.
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t from = reinterpret_cast<uintptr_t>(p) & ~(page - 1);
  const uintptr_t to = reinterpret_cast<uintptr_t>(p) + bytes;
  madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)bytes;
#endif
}

}  // namespace qv
