#pragma once
// A text shown and read by several holders without a copy: its characters and what keeps them
// alive. Nobody changes the characters while the text is shared.

#include <memory>
#include <string>
#include <string_view>
#include <utility>

class SharedText {
 public:
  SharedText() = default;
  // Takes `text`, a string of UTF-16 units with any allocator, over (leaving it empty). Throws
  // std::bad_alloc when memory runs out; `text` is then kept.
  template <class Allocator>
  explicit SharedText(std::basic_string<char16_t, std::char_traits<char16_t>, Allocator>&& text) {
    auto owned =
        std::make_shared<const std::basic_string<char16_t, std::char_traits<char16_t>, Allocator>>(
            std::move(text));
    chars_ = *owned;
    owner_ = std::move(owned);
    text.clear();  // NOLINT(bugprone-use-after-move): a moved-from string need not be empty
  }
  // `chars`, kept alive by `owner`.
  SharedText(std::shared_ptr<const void> owner, std::u16string_view chars)
      : owner_(std::move(owner)), chars_(chars) {}

  std::u16string_view View() const { return chars_; }

 private:
  std::shared_ptr<const void> owner_;
  std::u16string_view chars_;
};
