#pragma once
// Runs the vornel-convert this build made as a child process, as a script would: arguments,
// bytes on its standard input, and what it writes to standard output and standard error.

#include <string>
#include <vector>

struct ConverterRun {
  int code = -1;    // the exit code; -1 when it could not be started or did not end itself
  std::string out;  // standard output
  std::string err;  // standard error
};

// The locale a run gets on POSIX, as NAME=value: LANG, LANGUAGE and the LC_ variables of this
// process are left out of the run's environment and these put in. (Windows takes the user's UI
// language, which the environment does not set.)
using Locale = std::vector<std::string>;
inline const Locale kEnglishUtf8 = {"LANG=en_US.UTF-8"};

// Runs the converter with `arguments` (UTF-8), `input` on its standard input, which is closed
// after it, and `locale`; waits for its end.
ConverterRun RunConverterProcess(const std::vector<std::string>& arguments,
                                 const std::string& input = {},
                                 const Locale& locale = kEnglishUtf8);

#if defined(_WIN32)
// Runs the converter as RunConverterProcess does, but with its standard error on a console
// screen buffer of this process (set to code page 437, which shows no Japanese from UTF-8
// bytes); returns the buffer's first rows as the console shows them, without the spaces after the
// text, or "<no console>" when none could be made.
std::wstring RunConverterOnConsole(const std::vector<std::string>& arguments,
                                   const std::string& input);
#endif
