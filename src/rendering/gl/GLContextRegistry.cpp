#include "rendering/gl/GLContextRegistry.h"

GLContextRegistry& GLContextRegistry::Instance() {
  static GLContextRegistry registry;
  return registry;
}

void GLContextRegistry::Add(IGLSurfaceProvider* surface, GLContextHandle context) {
  if (count_ == capacity_) {
    const size_t grown = capacity_ == 0 ? 4 : capacity_ * 2;
    std::unique_ptr<Entry[]> fresh(new Entry[grown]);
    for (size_t i = 0; i < count_; ++i) fresh[i] = entries_[i];
    entries_ = std::move(fresh);
    capacity_ = grown;
  }
  entries_[count_++] = Entry{surface, context};
}

GLContextHandle GLContextRegistry::Find(const IGLSurfaceProvider* surface) const {
  for (size_t i = 0; i < count_; ++i) {
    if (entries_[i].surface == surface) return entries_[i].context;
  }
  return nullptr;
}

void GLContextRegistry::DestroyAll() {
  for (size_t i = 0; i < count_; ++i) {
    entries_[i].surface->DoneCurrent();
    entries_[i].surface->DestroyContext(entries_[i].context);
  }
  entries_.reset();
  count_ = 0;
  capacity_ = 0;
}

void GLContextRegistry::ForgetSurface(const IGLSurfaceProvider* surface) {
  size_t kept = 0;
  for (size_t i = 0; i < count_; ++i) {
    if (entries_[i].surface == surface) continue;
    entries_[kept++] = entries_[i];
  }
  count_ = kept;
}
