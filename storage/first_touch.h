#pragma once
// New memory touched by two threads before it is used. On this virtual machine the first touch
// of a page costs about 11 µs, natively and under wine alike (200 MiB: 530 to 570 ms on one
// thread, 2026-12-08), and a long text is all new memory: two processors share that cost.

#include <cstddef>
#include <memory>
#include <string>

#include "tuning/tuning.h"

// Touches every page of the `size` bytes at `bytes` once, the upper half on a helper thread;
// all on the calling thread when no thread can be started.
void TouchOnTwoThreads(char* bytes, std::size_t size) noexcept;

// std::allocator, except that a block of tuning::kTouchOnTwoThreadsFrom bytes or more is
// touched with TouchOnTwoThreads before it is handed out. Throws std::bad_alloc as it does.
template <class T>
struct FirstTouchAllocator {
  using value_type = T;

  FirstTouchAllocator() = default;
  template <class U>
  explicit FirstTouchAllocator(const FirstTouchAllocator<U>& /*other*/) noexcept {}

  T* allocate(std::size_t count) {
    T* const block = std::allocator<T>().allocate(count);
    if (count >= tuning::kTouchOnTwoThreadsFrom / sizeof(T)) {
      TouchOnTwoThreads(reinterpret_cast<char*>(block), count * sizeof(T));
    }
    return block;
  }
  void deallocate(T* block, std::size_t count) noexcept {
    std::allocator<T>().deallocate(block, count);
  }
  friend bool operator==(const FirstTouchAllocator& /*a*/, const FirstTouchAllocator& /*b*/) {
    return true;
  }
};

// A UTF-16 text whose long buffer two threads touch first.
using FirstTouchedU16String =
    std::basic_string<char16_t, std::char_traits<char16_t>, FirstTouchAllocator<char16_t>>;
