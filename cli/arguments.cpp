#include "cli/arguments.h"

namespace {

ConverterArguments UsageError(const std::u16string& argument) {
  ConverterArguments parsed;
  parsed.action = ConverterArguments::Action::kUsageError;
  parsed.mistake = argument;
  return parsed;
}

}  // namespace

ConverterArguments ParseArguments(const std::vector<std::u16string>& arguments) {
  ConverterArguments parsed;
  if (arguments.size() == 1 && arguments[0] == u"--help") {
    parsed.action = ConverterArguments::Action::kHelp;
    return parsed;
  }
  if (arguments.size() == 1 && arguments[0] == u"--version") {
    parsed.action = ConverterArguments::Action::kVersion;
    return parsed;
  }
  bool lineEndChosen = false;
  bool pathsOnly = false;
  std::vector<const std::u16string*> paths;
  for (const std::u16string& argument : arguments) {
    if (!pathsOnly && argument == u"--") {
      pathsOnly = true;
    } else if (!pathsOnly && (argument == u"--crlf" || argument == u"--lf")) {
      if (lineEndChosen) return UsageError(argument);
      lineEndChosen = true;
      parsed.crlf = argument == u"--crlf";
    } else if ((!pathsOnly && argument.size() > 1 && argument[0] == u'-') || paths.size() == 2) {
      // An option we do not have (--help and --version among others), or a third path.
      return UsageError(argument);
    } else {
      paths.push_back(&argument);
    }
  }
  const auto pathOf = [&](std::size_t k) -> std::optional<std::u16string> {
    if (k >= paths.size() || *paths[k] == u"-") return std::nullopt;
    return *paths[k];
  };
  parsed.input = pathOf(0);
  parsed.output = pathOf(1);
  return parsed;
}
