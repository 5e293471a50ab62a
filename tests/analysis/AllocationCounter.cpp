// Counts the bytes this test program holds, so the bond builder's working memory can be
// measured rather than taken from its own report.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "AllocationCounter.h"

namespace {
// The builder's threads allocate too.
std::atomic<size_t> g_live{0};
std::atomic<size_t> g_peak{0};

void* Allocate(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  const size_t live = g_live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  for (size_t peak = g_peak.load(); live > peak && !g_peak.compare_exchange_weak(peak, live);) {
  }
  return p;
}

void Release(void* p) {
  if (!p) return;
  g_live.fetch_sub(malloc_usable_size(p));
  std::free(p);
}
}  // namespace

namespace alloccount {
size_t Live() { return g_live; }
size_t Peak() { return g_peak; }
void ResetPeak() { g_peak = g_live.load(); }
}  // namespace alloccount

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
