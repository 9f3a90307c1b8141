#pragma once
// Lines of text for the user on standard output and standard error, in the user's language:
// a Windows console gets them as characters (WriteConsoleW), anything else as UTF-8 bytes, or
// as ASCII where the user's terminal takes nothing else.

#include <string_view>

#include "cli/messages.h"

enum class ConsoleStream { kOutput, kError };

// How the user reads the converter's lines.
struct UserLocale {
  Language language = Language::kEnglish;
  bool asciiOnly = false;  // every other character escaped (see WriteLine)
};

// The user's locale. POSIX: Japanese when the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty begins with "ja"; ASCII only, and then English, unless the first of LC_ALL,
// LC_CTYPE and LANG that is set names UTF-8 (so in the C and POSIX locales). Windows: Japanese
// when the user's UI language is; never ASCII only. English when nothing tells.
UserLocale CurrentUserLocale();

// Writes `text`, whose lines end with LF, and a line end to `stream` (on Windows every line end
// becomes CR LF); false when it could not be written. With `asciiOnly`, each byte of the text's
// UTF-8 (or, for a name that is not UTF-8, its own bytes) that is not printable ASCII, other
// than LF, is written as \xhh, and a backslash as \\.
bool WriteLine(ConsoleStream stream, std::u16string_view text, bool asciiOnly);
