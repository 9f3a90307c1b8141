#pragma once
// Where the running program lives.

#include <string>

// Full path of the running program, however long; empty when it cannot be found.
std::u16string ModuleFileName();

// The folder part of `path` (up to the last backslash or slash, without it); empty when it
// has none.
std::u16string FolderOf(const std::u16string& path);
