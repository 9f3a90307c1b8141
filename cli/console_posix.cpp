// Console lines elsewhere than on Windows: UTF-8 bytes (or escaped ASCII) and LF; the user's
// locale from the environment.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "cli/console.h"
#include "storage/platform.h"

namespace {

// The value of the first of `names` that is set and not empty; "" when none is.
std::string_view FirstSet(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

bool NamesUtf8(std::string_view locale) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  const auto holds = [&](std::string_view part) {
    return std::search(locale.begin(), locale.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lower(a) == b; }) != locale.end();
  };
  return holds("utf-8") || holds("utf8");
}

// `bytes` with every byte that is not printable ASCII, but LF, as \xhh, and \ as \\.
std::string Escaped(std::string_view bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string escaped;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      escaped += "\\\\";
    } else if ((byte >= 0x20 && byte < 0x7F) || c == '\n') {
      escaped += c;
    } else {
      escaped += {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
    }
  }
  return escaped;
}

}  // namespace

UserLocale CurrentUserLocale() {
  UserLocale locale;
  locale.asciiOnly = !NamesUtf8(FirstSet({"LC_ALL", "LC_CTYPE", "LANG"}));
  if (!locale.asciiOnly && FirstSet({"LC_ALL", "LC_MESSAGES", "LANG"}).starts_with("ja")) {
    locale.language = Language::kJapanese;
  }
  return locale;
}

bool WriteLine(ConsoleStream stream, std::u16string_view text, bool asciiOnly) {
  // Names that were not UTF-8 come out as the bytes they were.
  std::string bytes = platform::NativeNameOf(text);
  if (asciiOnly) bytes = Escaped(bytes);
  bytes += '\n';
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
