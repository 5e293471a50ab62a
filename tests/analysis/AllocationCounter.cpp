// Counts the bytes this test program holds, so the bond builder's working memory can be
// measured rather than taken from its own report.
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "AllocationCounter.h"

namespace {
size_t g_live = 0;
size_t g_peak = 0;

void* Allocate(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  g_live += malloc_usable_size(p);
  if (g_live > g_peak) g_peak = g_live;
  return p;
}

void Release(void* p) {
  if (!p) return;
  g_live -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace

namespace alloccount {
size_t Live() { return g_live; }
size_t Peak() { return g_peak; }
void ResetPeak() { g_peak = g_live; }
}  // namespace alloccount

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
