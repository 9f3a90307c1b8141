#pragma once
// A growing text whose characters are written in place: make room, write into it, commit.
// Unlike a std::basic_string nothing is initialised before it is written, so a long result
// is touched once.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

template <class Char>
class TextBuffer {
 public:
  // Room for at least `count` more characters after the text; the pointer stays valid until
  // the next call of Room or Reserve. Throws std::bad_alloc when memory runs out.
  Char* Room(std::size_t count) {
    if (capacity_ - size_ < count) Grow(size_ + count);
    return data_.get() + size_;
  }
  // The text now ends at `end`, which lies within the room made last.
  void Commit(const Char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
  // Makes the capacity at least `capacity` characters. Throws std::bad_alloc.
  void Reserve(std::size_t capacity) {
    if (capacity > capacity_) Reallocate(capacity);
  }
  std::basic_string_view<Char> View() const { return {data_.get(), size_}; }
  std::size_t Size() const { return size_; }
  // Empties the text, keeping its memory for what comes next.
  void Clear() { size_ = 0; }
  // Empties the text and gives its memory back.
  void Release() {
    data_.reset();
    size_ = capacity_ = 0;
  }

 private:
  void Grow(std::size_t needed) { Reallocate(std::max(needed, capacity_ + capacity_ / 2 + 64)); }
  void Reallocate(std::size_t capacity) {
    auto bigger = std::make_unique_for_overwrite<Char[]>(capacity);
    if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_ * sizeof(Char));
    data_ = std::move(bigger);
    capacity_ = capacity;
  }

  std::unique_ptr<Char[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

// The UTF-16 units that `bytes` stand for one for one, written over `room`; the view lasts
// until `room` changes. Throws std::bad_alloc when memory runs out.
inline std::u16string_view Widened(std::string_view bytes, TextBuffer<char16_t>& room) {
  room.Clear();
  char16_t* const units = room.Room(bytes.size());
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    units[k] = static_cast<unsigned char>(bytes[k]);
  }
  room.Commit(units + bytes.size());
  return room.View();
}
