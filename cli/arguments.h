#pragma once
// The converter's command line:
//   vornel-convert [--crlf | --lf] [INPUT [OUTPUT]]
//   vornel-convert --help | --version

#include <optional>
#include <string>
#include <vector>

// Whether the result's lines end with CR LF unless an option says otherwise.
#if defined(_WIN32)
inline constexpr bool kCrLfByDefault = true;
#else
inline constexpr bool kCrLfByDefault = false;
#endif

struct ConverterArguments {
  enum class Action { kConvert, kHelp, kVersion, kUsageError };
  Action action = Action::kConvert;
  bool crlf = kCrLfByDefault;
  std::optional<std::u16string> input;   // nullopt: standard input
  std::optional<std::u16string> output;  // nullopt: standard output
  std::u16string mistake;                // for kUsageError: the argument in error
};

// The meaning of `arguments` (the program's name left out). "-" names a standard stream;
// after "--" no argument is an option. --help and --version stand alone; at most one of --crlf
// and --lf, and at most two paths. kUsageError, naming the first argument in error, otherwise.
ConverterArguments ParseArguments(const std::vector<std::u16string>& arguments);
