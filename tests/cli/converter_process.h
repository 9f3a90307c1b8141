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

// Runs the converter with `arguments` (UTF-8) and `input` on its standard input, which is
// closed after it; waits for its end.
ConverterRun RunConverterProcess(const std::vector<std::string>& arguments,
                                 const std::string& input = {});

#if defined(_WIN32)
// Runs the converter as RunConverterProcess does, but with its standard error on a console
// screen buffer of this process (set to code page 437, which shows no Japanese from UTF-8
// bytes); returns the buffer's first rows as the console shows them, without the spaces after the
// text, or "<no console>" when none could be made.
std::wstring RunConverterOnConsole(const std::vector<std::string>& arguments,
                                   const std::string& input);
#endif
