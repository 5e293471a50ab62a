#pragma once
// Process-wide table of the GL contexts created by GL devices. The first registered context
// is the share root: every later context is created sharing objects with it. Like the rest
// of the drawing code it is used from one thread only.
#include <cstddef>
#include <memory>

#include "rendering/GLSurfaceProvider.h"

class GLContextRegistry {
 public:
  struct Entry {
    IGLSurfaceProvider* surface;
    GLContextHandle context;
  };

  static GLContextRegistry& Instance();

  // Appends, doubling the capacity (first 4) when the table is full.
  void Add(IGLSurfaceProvider* surface, GLContextHandle context);
  // The share root, null when nothing is registered.
  GLContextHandle Root() const { return count_ > 0 ? entries_[0].context : nullptr; }
  // The context registered for a surface, null when there is none.
  GLContextHandle Find(const IGLSurfaceProvider* surface) const;
  // Deletes every registered context through its surface and empties the table
  // (count and capacity 0).
  void DestroyAll();
  // A surface going away takes its contexts with it, so the table never names a dead
  // surface.
  void ForgetSurface(const IGLSurfaceProvider* surface);

  size_t Count() const { return count_; }
  size_t Capacity() const { return capacity_; }
  const Entry& At(size_t i) const { return entries_[i]; }

 private:
  std::unique_ptr<Entry[]> entries_;
  size_t count_ = 0;
  size_t capacity_ = 0;
};
