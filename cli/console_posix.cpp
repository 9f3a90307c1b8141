// Console lines elsewhere than on Windows: UTF-8 bytes and LF.

#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/console.h"
#include "storage/platform.h"

bool WriteLine(ConsoleStream stream, std::u16string_view text) {
  // Names that were not UTF-8 come out as the bytes they were.
  const std::string bytes = platform::NativeNameOf(text) + '\n';
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
