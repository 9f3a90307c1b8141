// Console lines elsewhere than on Windows: UTF-8 bytes and LF.

#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/console.h"
#include "storage/utf8.h"

namespace {

// UTF-8 of `text`; U+DC80..U+DCFF, the bytes of a name that were not UTF-8, turn back into
// those bytes, and other unpaired surrogates into U+FFFD.
std::string Utf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
      out.push_back(static_cast<char>(unit - 0xDC00));
    } else {
      AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
  }
  return out;
}

}  // namespace

bool WriteLine(ConsoleStream stream, std::u16string_view text) {
  const std::string bytes = Utf8Of(text) + '\n';
  const int fd = stream == ConsoleStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ssize_t written = ::write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}
