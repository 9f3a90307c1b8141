#pragma once
// Lines of text for the user on standard output and standard error: a Windows console gets
// them as characters (WriteConsoleW), anything else as UTF-8 bytes.

#include <string_view>

enum class ConsoleStream { kOutput, kError };

// Writes `text`, whose lines end with LF, and a line end to `stream` (on Windows every line end
// becomes CR LF); false when it could not be written.
bool WriteLine(ConsoleStream stream, std::u16string_view text);
