#pragma once
// The converter: one run of vornel-convert, from its arguments to its exit code.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/messages.h"
#include "pipeline/converter_run.h"

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

// An exit code, the message that says it (none for kConverted) and the outcome of a conversion
// it stands for (none for the converter's own stops).
struct ExitCodeRow {
  ExitCode code;
  std::optional<Message> message;
  std::optional<ConversionOutcome::Kind> outcome;
  bool namesOutput;  // the message names the output, otherwise the input
};

// All exit codes, in order: the one table from which the converter tells how a run ended.
std::span<const ExitCodeRow> ExitCodes();

// Runs the converter with `arguments` (the program's name left out; see cli/arguments.h):
// converts the input into the output all or nothing, or prints the help or the version.
// Anything that stops it is said in one line on standard error, in the user's language
// (cli/console.h). Returns how it ended.
ExitCode RunConverter(const std::vector<std::u16string>& arguments);
