#pragma once
// The converter: one run of vornel-convert, from its arguments to its exit code.

#include <string>
#include <vector>

// How a run ended.
enum class ExitCode : int {
  kConverted = 0,
  kUsageError = 1,
  kInputUnreadable = 2,  // missing, a folder, locked
  kInputEmpty = 3,       // empty or only line breaks
  kForeign = 4,          // a character other than '0', '1' and line breaks
  kTooLong = 5,          // a line longer than 31 characters
  kOutputUnwritable = 6,
  kOutOfMemory = 7,
};

// Runs the converter with `arguments` (the program's name left out; see cli/arguments.h):
// converts the input into the output all or nothing, or prints the help or the version.
// Anything that stops it is said in one line on standard error, in the user's language
// (cli/console.h). Returns how it ended.
ExitCode RunConverter(const std::vector<std::u16string>& arguments);
