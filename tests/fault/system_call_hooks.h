#pragma once
// Hooks on the file system calls of the program's file routines, for a test program linked
// with -Wl,--wrap=open,--wrap=stat,--wrap=lstat (elsewhere than on Windows): they make a
// file vanish at an exact moment, right after the k-th system call that names it.

#include <string>

namespace hooks {

// From now on, counts the system calls that name `path` and deletes the file right after
// the `count`-th of them (`count` 0: never).
void DeleteAfterCall(const std::string& path, int count);
// The calls that named the path since DeleteAfterCall.
int CallsSeen();
// Whether the hook has deleted the file.
bool Deleted();

}  // namespace hooks
