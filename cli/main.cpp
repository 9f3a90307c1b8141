// vornel-convert's entry point: the arguments as UTF-16, then the run.

#include <string>
#include <vector>

#include "cli/converter.h"

#if defined(_WIN32)

int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> arguments;
  for (int k = 1; k < argc; ++k) {
    const std::wstring_view argument(argv[k]);
    arguments.emplace_back(argument.begin(), argument.end());
  }
  return static_cast<int>(RunConverter(arguments));
}

#else

#include "storage/platform.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int k = 1; k < argc; ++k) arguments.push_back(platform::PathOfNativeName(argv[k]));
  return static_cast<int>(RunConverter(arguments));
}

#endif
