#include "cli/converter.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/messages.h"
#include "convert/text_buffer.h"
#include "pipeline/text_conversion.h"
#include "storage/file_access.h"
#include "storage/open_file.h"

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

// The result of a run: a file written beside and put in place at the end, or standard output,
// which gets it from a temporary file once all of it has been converted.
class Result {
 public:
  explicit Result(const std::optional<std::u16string>& path)
      : spool_(path ? std::optional<OpenFile>() : OpenFile::Temporary()) {
    if (path) replacement_.emplace(*path);
  }

  // Whether anything can be written at all.
  bool Ready() { return replacement_ ? replacement_->Write({}) : spool_.has_value(); }
  // Appends `bytes`; false on failure.
  bool Write(std::string_view bytes) {
    return replacement_ ? replacement_->Write(bytes) : spool_ && spool_->Write(bytes);
  }
  // Puts the whole result in place; false on failure.
  bool Deliver() {
    return replacement_ ? replacement_->Commit() : spool_ && spool_->CopyToStandardOutput();
  }

 private:
  std::optional<FileReplacement> replacement_;
  std::optional<OpenFile> spool_;
};

// The input, held open: the file named, or a temporary copy of standard input.
std::optional<OpenFile> OpenInput(const std::optional<std::u16string>& path) {
  if (path) return OpenFile::ForReading(*path);
  std::optional<OpenFile> copy = OpenFile::Temporary();
  if (!copy || !copy->AppendStandardInput()) return std::nullopt;
  return copy;
}

// Hands on the result's bytes with LF alone at each line end: without their CRs.
class LfLines {
 public:
  std::string_view Of(std::string_view crlf) {
    char* const start = lines_.Room(crlf.size());
    char* put = start;
    for (const char c : crlf) {
      *put = c;
      put += c == '\r' ? 0 : 1;  // without a branch: a CR is overwritten by what follows it
    }
    return {start, static_cast<std::size_t>(put - start)};
  }

 private:
  TextBuffer<char> lines_;
};

ExitCode Convert(const ConverterArguments& arguments, const Speaker& speaker) {
  const std::u16string inputName =
      arguments.input.value_or(std::u16string(speaker.Text(Message::kStandardInput)));
  const std::u16string outputName =
      arguments.output.value_or(std::u16string(speaker.Text(Message::kStandardOutput)));
  std::optional<OpenFile> input = OpenInput(arguments.input);
  if (!input) return speaker.Stop(ExitCode::kInputUnreadable, inputName, Message::kInputUnreadable);
  Result result(arguments.output);
  if (!result.Ready()) {
    return speaker.Stop(ExitCode::kOutputUnwritable, outputName, Message::kOutputUnwritable);
  }

  LfLines lf;
  const auto converted = ConvertTextInput(*input, [&](std::string_view bytes) {
    return result.Write(arguments.crlf ? bytes : lf.Of(bytes));
  });
  if (!converted) {
    return speaker.Stop(ExitCode::kInputUnreadable, inputName, Message::kInputUnreadable);
  }
  if (converted->foreign) {
    return speaker.Stop(ExitCode::kForeign, inputName, Message::kForeign,
                        FindRefusal(*input, Refusal::kForeign));
  }
  if (converted->tooLong) {
    return speaker.Stop(ExitCode::kTooLong, inputName, Message::kTooLong,
                        FindRefusal(*input, Refusal::kTooLong));
  }
  if (converted->numbers == 0) {
    return speaker.Stop(ExitCode::kInputEmpty, inputName, Message::kInputEmpty);
  }
  input.reset();  // closed first, so that a result may take the input's own place
  if (converted->resultFailed || !result.Deliver()) {
    return speaker.Stop(ExitCode::kOutputUnwritable, outputName, Message::kOutputUnwritable);
  }
  return ExitCode::kConverted;
}

}  // namespace

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
    return Convert(parsed, speaker);
  } catch (const std::bad_alloc&) {
    speaker.Say(ConsoleStream::kError, std::u16string(kProgram) + u": " +
                                           std::u16string(speaker.Text(Message::kOutOfMemory)));
    return ExitCode::kOutOfMemory;
  }
}
