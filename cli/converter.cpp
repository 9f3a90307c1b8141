#include "cli/converter.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/console.h"
#include "convert/binary.h"
#include "convert/text_buffer.h"
#include "pipeline/file_messages.h"
#include "pipeline/text_conversion.h"
#include "storage/file_access.h"
#include "storage/open_file.h"

#ifndef VORNEL_VERSION
#error "VORNEL_VERSION must give the program's version"
#endif

namespace {

constexpr std::u16string_view kProgram = u"vornel-convert";
constexpr std::u16string_view kStandardInputName = u"標準入力";
constexpr std::u16string_view kStandardOutputName = u"標準出力";
constexpr std::u16string_view kVersionLine = u"vornel-convert " VORNEL_VERSION;

constexpr std::u16string_view kHelp =
    u"使い方 / Usage:\n"
    u"  vornel-convert [--crlf | --lf] [INPUT [OUTPUT]]\n"
    u"  vornel-convert --help | --version\n"
    u"\n"
    u"１行に一つずつ書かれた２進数（0 と 1）を、１０進数に変換します。\n"
    u"Converts binary numbers (0 and 1), one a line, into decimal numbers.\n"
    u"\n"
    u"  INPUT, OUTPUT  ファイルのパス。「-」または省略で標準入力・標準出力。\n"
    u"                 File paths; \"-\" or none means standard input or output.\n"
    u"  --crlf, --lf   出力の改行（既定: Windows では CR LF、それ以外では LF）。\n"
    u"                 Line ends of the output (default: CR LF on Windows, LF elsewhere).\n"
    u"\n"
    u"入力は UTF-16LE か UTF-8 で、BOM の有無は問いません。空行は飛ばします。１行は 31 文字まで\n"
    u"（先頭の 0 も数えます）、最大値は 2147483647 です。変換できないときは何も書きません。\n"
    u"Input: UTF-16LE or UTF-8, with or without a byte-order mark. Blank lines are skipped.\n"
    u"At most 31 characters a line, leading zeros included; the largest value is 2147483647.\n"
    u"Nothing is written unless all of the input converts.\n"
    u"\n"
    u"終了コード / Exit codes:\n"
    u"  0  変換しました / converted\n"
    u"  1  引数の誤り / usage error\n"
    u"  2  入力を読めません / input unreadable\n"
    u"  3  入力が空か改行のみ / input empty or only line breaks\n"
    u"  4  0、1、改行以外の文字 / a character other than 0, 1 and line breaks\n"
    u"  5  31 文字を超える行 / a line over 31 characters\n"
    u"  6  出力を書けません / output not writable\n"
    u"  7  メモリ不足 / out of memory";

constexpr std::u16string_view kUsageError = u"引数が正しくありません / invalid argument: ";
constexpr std::u16string_view kSeeHelp =
    u"（vornel-convert --help をご覧下さい / see vornel-convert --help）";

// `message` on one line: its line breaks go.
std::u16string OneLine(std::u16string_view message) {
  std::u16string line;
  for (const char16_t c : message) {
    if (c != u'\r' && c != u'\n') line.push_back(c);
  }
  return line;
}

std::u16string Number(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

// Says why the run stops, naming `name` and, when known, the place in it; returns `code`.
ExitCode Stop(ExitCode code, std::u16string_view name, std::u16string_view message,
              const std::optional<TextPlace>& place = std::nullopt) {
  std::u16string line = std::u16string(kProgram) + u": ";
  if (!name.empty()) {
    line += name;
    if (place) line += u":" + Number(place->line);
    if (place && place->column > 0) line += u":" + Number(place->column);
    line += u": ";
  }
  line += OneLine(message);
  WriteLine(ConsoleStream::kError, line);
  return code;
}

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

ExitCode Convert(const ConverterArguments& arguments) {
  const std::u16string inputName = arguments.input.value_or(std::u16string(kStandardInputName));
  const std::u16string outputName = arguments.output.value_or(std::u16string(kStandardOutputName));
  std::optional<OpenFile> input = OpenInput(arguments.input);
  if (!input) return Stop(ExitCode::kInputUnreadable, inputName, msg::kFileUnreadable);
  Result result(arguments.output);
  if (!result.Ready()) return Stop(ExitCode::kOutputUnwritable, outputName, msg::kSaveFailed);

  LfLines lf;
  const auto converted = ConvertTextInput(*input, [&](std::string_view bytes) {
    return result.Write(arguments.crlf ? bytes : lf.Of(bytes));
  });
  if (!converted) return Stop(ExitCode::kInputUnreadable, inputName, msg::kFileUnreadable);
  if (converted->foreign) {
    return Stop(ExitCode::kForeign, inputName, msg::kForeignCharacters,
                FindRefusal(*input, Refusal::kForeign));
  }
  if (converted->tooLong) {
    return Stop(ExitCode::kTooLong, inputName, kLimitMessage,
                FindRefusal(*input, Refusal::kTooLong));
  }
  if (converted->numbers == 0) return Stop(ExitCode::kInputEmpty, inputName, msg::kOnlyLineBreaks);
  input.reset();  // closed first, so that a result may take the input's own place
  if (converted->resultFailed || !result.Deliver()) {
    return Stop(ExitCode::kOutputUnwritable, outputName, msg::kSaveFailed);
  }
  return ExitCode::kConverted;
}

}  // namespace

ExitCode RunConverter(const std::vector<std::u16string>& arguments) {
  try {
    const ConverterArguments parsed = ParseArguments(arguments);
    switch (parsed.action) {
      case ConverterArguments::Action::kHelp:
        WriteLine(ConsoleStream::kOutput, kHelp);
        return ExitCode::kConverted;
      case ConverterArguments::Action::kVersion:
        WriteLine(ConsoleStream::kOutput, kVersionLine);
        return ExitCode::kConverted;
      case ConverterArguments::Action::kUsageError:
        return Stop(ExitCode::kUsageError, {},
                    std::u16string(kUsageError) + parsed.mistake + std::u16string(kSeeHelp));
      case ConverterArguments::Action::kConvert:
        break;
    }
    return Convert(parsed);
  } catch (const std::bad_alloc&) {
    return Stop(ExitCode::kOutOfMemory, {}, msg::kOutOfMemory);
  }
}
