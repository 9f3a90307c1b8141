#include "tests/fault/system_call_hooks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>

namespace {

std::string watched;
int deleteAfter = 0;
int seen = 0;
bool deleted = false;

void Note(const char* path) {
  if (watched.empty() || path == nullptr || watched != path) return;
  if (++seen == deleteAfter) deleted = ::unlink(path) == 0;
}

}  // namespace

namespace hooks {

void DeleteAfterCall(const std::string& path, int count) {
  watched = path;
  deleteAfter = count;
  seen = 0;
  deleted = false;
}

int CallsSeen() { return seen; }

bool Deleted() { return deleted; }

}  // namespace hooks

// The linker's --wrap option gives these names: __wrap_X replaces X, __real_X is the original.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreserved-identifier"
#endif
extern "C" {

int __real_open(const char* path, int flags, ...);
int __real_stat(const char* path, struct stat* info);
int __real_lstat(const char* path, struct stat* info);

int __wrap_open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0) {
    va_list arguments;
    va_start(arguments, flags);
    mode = static_cast<mode_t>(va_arg(arguments, int));
    va_end(arguments);
  }
  const int result = __real_open(path, flags, mode);
  Note(path);
  return result;
}

int __wrap_stat(const char* path, struct stat* info) {
  const int result = __real_stat(path, info);
  Note(path);
  return result;
}

int __wrap_lstat(const char* path, struct stat* info) {
  const int result = __real_lstat(path, info);
  Note(path);
  return result;
}

}  // extern "C"
#ifdef __clang__
#pragma clang diagnostic pop
#endif
