#pragma once
// A std::vector whose resize() leaves trivially constructible elements uninitialised.
// Frame arrays of millions of atoms are always filled by a reader right after they are
// sized; zeroing them first would cost as much as reading them.
#include <memory>
#include <type_traits>
#include <vector>

namespace qv {

template <class T, class A = std::allocator<T>>
class DefaultInitAllocator : public A {
  using Traits = std::allocator_traits<A>;

 public:
  template <class U>
  struct rebind {
    using other = DefaultInitAllocator<U, typename Traits::template rebind_alloc<U>>;
  };
  using A::A;

  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    Traits::construct(static_cast<A&>(*this), p, std::forward<Args>(args)...);
  }
};

template <class T>
using PodVector = std::vector<T, DefaultInitAllocator<T>>;

}  // namespace qv
