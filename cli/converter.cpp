#include "cli/converter.h"

#include <array>
#include <cstddef>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "pipeline/converter_run.h"

#ifndef VORNEL_VERSION
#error "VORNEL_VERSION must give the program's version"
#endif

namespace {

constexpr std::u16string_view kProgram = u"vornel-convert";
constexpr std::u16string_view kVersionLine = u"vornel-convert " VORNEL_VERSION;

std::u16string Number(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

// Speaks to the user in their language (cli/messages.h).
class Speaker {
 public:
  Speaker() : locale_(CurrentUserLocale()) {}

  // The text of `message` in the user's language.
  std::u16string_view Text(Message message) const { return TextOf(message, locale_.language); }

  // Writes `text` to `stream` as the user's terminal takes it; a failure goes unsaid.
  void Say(ConsoleStream stream, std::u16string_view text) const {
    WriteLine(stream, text, locale_.asciiOnly);
  }

  // Says why the run stops, naming `name` and, when known, the place in it; returns `code`.
  ExitCode Stop(ExitCode code, std::u16string_view name, Message message,
                const std::optional<TextPlace>& place = std::nullopt) const {
    std::u16string line = std::u16string(kProgram) + u": " + std::u16string(name);
    if (place) line += u":" + Number(place->line);
    if (place && place->column > 0) line += u":" + Number(place->column);
    line += u": ";
    line += Text(message);
    Say(ConsoleStream::kError, line);
    return code;
  }

 private:
  UserLocale locale_;
};

using Kind = ConversionOutcome::Kind;

// Each exit code and what it says, and the outcome of a conversion it stands for.
constexpr std::array kExitCodes = {
    ExitCodeRow{ExitCode::kConverted, std::nullopt, Kind::kConverted, false},
    ExitCodeRow{ExitCode::kUsageError, Message::kInvalidArgument, std::nullopt, false},
    ExitCodeRow{ExitCode::kInputUnreadable, Message::kInputUnreadable, Kind::kInputUnreadable,
                false},
    ExitCodeRow{ExitCode::kInputEmpty, Message::kInputEmpty, Kind::kInputEmpty, false},
    ExitCodeRow{ExitCode::kForeign, Message::kForeign, Kind::kForeign, false},
    ExitCodeRow{ExitCode::kTooLong, Message::kTooLong, Kind::kTooLong, false},
    ExitCodeRow{ExitCode::kOutputUnwritable, Message::kOutputUnwritable, Kind::kOutputUnwritable,
                true},
    ExitCodeRow{ExitCode::kOutOfMemory, Message::kOutOfMemory, std::nullopt, false},
};

// Each code on the row of its own number.
constexpr bool InOrder() {
  for (std::size_t k = 0; k < kExitCodes.size(); ++k) {
    if (static_cast<std::size_t>(kExitCodes[k].code) != k) return false;
  }
  return true;
}
static_assert(InOrder());

// Tells the user how `outcome` of `arguments` ended; returns its exit code.
ExitCode Report(const ConversionOutcome& outcome, const ConverterArguments& arguments,
                const Speaker& speaker) {
  for (const ExitCodeRow& row : kExitCodes) {
    if (row.outcome != outcome.kind) continue;
    if (!row.message) return row.code;
    const std::u16string name =
        row.namesOutput
            ? arguments.output.value_or(std::u16string(speaker.Text(Message::kStandardOutput)))
            : arguments.input.value_or(std::u16string(speaker.Text(Message::kStandardInput)));
    return speaker.Stop(row.code, name, *row.message, outcome.place);
  }
  return ExitCode::kConverted;  // not reached: every outcome has its row
}

}  // namespace

std::span<const ExitCodeRow> ExitCodes() { return kExitCodes; }

ExitCode RunConverter(const std::vector<std::u16string>& arguments) {
  const Speaker speaker;
  try {
    const ConverterArguments parsed = ParseArguments(arguments);
    switch (parsed.action) {
      case ConverterArguments::Action::kHelp:
        speaker.Say(ConsoleStream::kOutput, speaker.Text(Message::kHelp));
        return ExitCode::kConverted;
      case ConverterArguments::Action::kVersion:
        speaker.Say(ConsoleStream::kOutput, kVersionLine);
        return ExitCode::kConverted;
      case ConverterArguments::Action::kUsageError:
        speaker.Say(ConsoleStream::kError,
                    std::u16string(kProgram) + u": " +
                        std::u16string(speaker.Text(Message::kInvalidArgument)) + parsed.mistake +
                        std::u16string(speaker.Text(Message::kSeeHelp)));
        return ExitCode::kUsageError;
      case ConverterArguments::Action::kConvert:
        break;
    }
    return Report(RunConversion({parsed.input, parsed.output, parsed.crlf}), parsed, speaker);
  } catch (const std::bad_alloc&) {
    speaker.Say(ConsoleStream::kError, std::u16string(kProgram) + u": " +
                                           std::u16string(speaker.Text(Message::kOutOfMemory)));
    return ExitCode::kOutOfMemory;
  }
}
