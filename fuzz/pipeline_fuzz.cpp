// The file conversion on arbitrary input, as the batch run and the dialog run it, from a file
// holding the input's bytes: the batch run's ConvertBatchInput (read, decode, test, split, limit
// and convert piece by piece, with large pieces and with pieces of a few bytes), and the dialog's
// ReadUnicodeTextFile, HasNonBinaryChars, SplitIntoNumberList (held against a split into texts)
// and AppendDecimalOf. For both, the outcome (foreign characters, a line longer than 31 characters,
// or converted) and the result's bytes must equal those of a plain reference written below, which
// shares no code with the program.
//
// The first input byte chooses how the rest becomes the file's bytes: taken as they are, or mapped
// to the characters 0, 1, CR and LF and written as UTF-16LE without a mark, with the UTF-16LE mark,
// or with the UTF-8 mark (so that most inputs reach the conversion). It also chooses where the
// dialog's cancellable split is cancelled. Every line of the decoded text is further converted on
// its own, as the single-number conversion does, and checked against the reference value.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/binary.h"
#include "convert/number_values.h"
#include "convert/split.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/scratch_file.h"
#include "pipeline/batch_pipeline.h"
#include "storage/file_access.h"
#include "storage/text_decoding.h"
#include "tests/support/reference_split.h"
#include "tuning/tuning.h"

namespace {

enum class Outcome { kForeign, kTooLong, kConverted };

struct Result {
  Outcome outcome = Outcome::kConverted;
  std::string bytes;  // the result file, when converted
};

// ---- The reference: plain loops over the file's bytes. ----

bool IsBinaryOrBreak(std::uint32_t c) { return c == '0' || c == '1' || c == '\r' || c == '\n'; }

// The characters of a file that holds only 0, 1, CR and LF; nullopt for any other file. After the
// UTF-8 mark every byte is one character; otherwise (after an optional UTF-16LE mark) every two
// bytes are one, low byte first, and an odd byte at the end is foreign.
std::optional<std::string> ReferenceCharacters(std::string_view bytes) {
  std::string chars;
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB &&
      static_cast<unsigned char>(bytes[2]) == 0xBF) {
    for (std::size_t i = 3; i < bytes.size(); ++i) {
      if (!IsBinaryOrBreak(static_cast<unsigned char>(bytes[i]))) return std::nullopt;
      chars.push_back(bytes[i]);
    }
    return chars;
  }
  std::size_t start = 0;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    start = 2;
  }
  if ((bytes.size() - start) % 2 != 0) return std::nullopt;
  for (std::size_t i = start; i < bytes.size(); i += 2) {
    const std::uint32_t unit =
        static_cast<unsigned char>(bytes[i]) + 256u * static_cast<unsigned char>(bytes[i + 1]);
    if (!IsBinaryOrBreak(unit)) return std::nullopt;
    chars.push_back(static_cast<char>(unit));
  }
  return chars;
}

// The non-empty lines: split at LF, every CR left out.
std::vector<std::string> ReferenceLines(const std::string& chars) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : chars) {
    if (c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Decimal text of the binary digits in `line`: only '1' counts, every other character is a zero
// digit; "-1" when the value exceeds 2147483647.
template <class Chars>
std::string ReferenceDecimal(const Chars& line) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '1') continue;
    const std::size_t exponent = line.size() - 1 - i;
    if (exponent >= 31) return "-1";
    value += std::uint64_t{1} << exponent;
  }
  if (value > 2147483647) return "-1";
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

Result ReferenceConversion(std::string_view fileBytes) {
  const std::optional<std::string> chars = ReferenceCharacters(fileBytes);
  if (!chars) return {Outcome::kForeign, {}};
  const std::vector<std::string> lines = ReferenceLines(*chars);
  for (const std::string& line : lines) {
    if (line.size() > 31) return {Outcome::kTooLong, {}};
  }
  Result result;
  for (const std::string& line : lines) result.bytes += ReferenceDecimal(line) + "\r\n";
  return result;
}

// ---- The program's functions. ----

// The batch run: the file read, tested, split, limited and converted piece by piece, the text
// decoded `pieceBytes` at a time.
Result BatchConversion(const std::u16string& path, std::size_t pieceBytes) {
  std::string written;
  const std::optional<ConvertedInput> input = ConvertBatchInput(
      path,
      [&](std::string_view bytes) {
        written += bytes;
        return true;
      },
      pieceBytes);
  FUZZ_CHECK(input.has_value());
  FUZZ_CHECK(!input->resultFailed);
  if (input->foreign) return {Outcome::kForeign, {}};
  if (input->tooLong) return {Outcome::kTooLong, {}};
  std::int64_t lines = 0;
  for (std::size_t at = written.find("\r\n"); at != std::string::npos;
       at = written.find("\r\n", at + 2)) {
    ++lines;
  }
  FUZZ_CHECK(input->numbers == lines);
  return {Outcome::kConverted, written};
}

// The dialog's file conversion: the text read whole, tested, split into the number list (as texts
// and as values), limited, then each entry's decimal text as UTF-16. `trimmedText` receives the
// text as the split leaves it.
Result DialogConversion(const std::u16string& loadedText, std::u16string& trimmedText) {
  if (HasNonBinaryChars(loadedText)) return {Outcome::kForeign, {}};
  trimmedText = loadedText;
  LineList numberList;
  std::int64_t listLineCount = 0;
  FUZZ_CHECK(SplitIntoTexts(trimmedText, numberList, listLineCount));
  FUZZ_CHECK(listLineCount == numberList.Size());
  // The dialog keeps the entries as values, split a block at a time between its steps: the
  // same entries, the same first entry over the limit, each value the entry's.
  std::u16string valueText = loadedText;
  NumberValues values;
  std::int64_t valueCount = 0;
  FUZZ_CHECK(SplitIntoNumberList(
      valueText, values, valueCount, [](std::int64_t) { return false; }, 1024));
  FUZZ_CHECK(valueText == trimmedText && valueCount == listLineCount);
  FUZZ_CHECK(values.FirstOverlong() == FindOverlongEntry(numberList, listLineCount));
  if (FindOverlongEntry(numberList, listLineCount) >= 0) return {Outcome::kTooLong, {}};
  for (std::int64_t k = 0; k < listLineCount; ++k) {
    FUZZ_CHECK(values[k] == BinaryValue(numberList[k]));
  }
  std::u16string results;
  for (std::int64_t k = 0; k < listLineCount; ++k) {
    AppendDecimalOf(results, numberList[k]);
    results += u"\r\n";
  }
  Result result;
  for (char16_t c : results) {
    FUZZ_CHECK(c < 0x80);
    result.bytes.push_back(static_cast<char>(c));
  }
  return result;
}

// The dialog's split with its progress step, run after every `stride`-th position and after
// the last: a step that never cancels sees exactly those positions and changes nothing in the
// entries; one that cancels at its first position at or after `cancelAt` leaves the list
// empty.
void CheckCancellableSplit(const std::u16string& decoded, std::int64_t stride,
                           std::int64_t cancelAt) {
  std::u16string plainText = decoded;
  LineList plain;
  std::int64_t plainCount = 0;
  SplitIntoTexts(plainText, plain, plainCount);
  const auto length = static_cast<std::int64_t>(plainText.size());
  std::vector<std::int64_t> expectedSteps;
  for (std::int64_t end = stride; end - stride < length; end += stride) {
    expectedSteps.push_back((end < length ? end : length) - 1);
  }

  std::u16string steppedText = decoded;
  LineList stepped;
  std::int64_t steppedCount = 0;
  std::vector<std::int64_t> steps;
  const bool done = SplitIntoTexts(
      steppedText, stepped, steppedCount,
      [&](std::int64_t i) {
        steps.push_back(i);
        return false;
      },
      stride);
  FUZZ_CHECK(done && steppedText == plainText && steppedCount == plainCount);
  for (std::int64_t k = 0; k < plainCount; ++k) FUZZ_CHECK(stepped[k] == plain[k]);
  FUZZ_CHECK(steps == expectedSteps);

  std::u16string cancelledText = decoded;
  LineList cancelled;
  std::int64_t cancelledCount = 0;
  const bool finished = SplitIntoTexts(
      cancelledText, cancelled, cancelledCount, [&](std::int64_t i) { return i >= cancelAt; },
      stride);
  FUZZ_CHECK(finished == (cancelAt >= length));
  if (!finished) FUZZ_CHECK(cancelled.Empty());
}

// The file's bytes for one input (see the top of this file).
std::string FileBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  std::string rest = fuzz::Bytes(data + 1, size - 1);
  const unsigned mode = data[0] % 4;
  if (mode == 0) return rest;
  // '0', '1', CR and LF map to themselves.
  static constexpr char kChars[8] = {'0', '1', '\n', '1', '0', '\r', '1', '0'};
  std::string bytes = mode == 2 ? "\xFF\xFE" : mode == 3 ? "\xEF\xBB\xBF" : "";
  for (char b : rest) {
    bytes.push_back(kChars[static_cast<unsigned char>(b) % 8]);
    if (mode != 3) bytes.push_back('\0');
  }
  return bytes;
}

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("vornel-fuzz-pipeline");
  const std::string fileBytes = FileBytes(data, size);
  file.Write(fileBytes);
  const Result reference = ReferenceConversion(fileBytes);

  // The batch run, in pieces as large as it reads them and in pieces of 4 to 35 bytes.
  for (const std::size_t pieceBytes : {tuning::kBatchPieceBytes, std::size_t{4} + size % 32}) {
    const Result batch = BatchConversion(file.Path(), pieceBytes);
    FUZZ_CHECK(batch.outcome == reference.outcome);
    FUZZ_CHECK(batch.bytes == reference.bytes);
  }

  const std::optional<std::u16string> loadedText = ReadUnicodeTextFile(file.Path());
  FUZZ_CHECK(loadedText.has_value());
  const std::u16string& decoded = *loadedText;
  FUZZ_CHECK(decoded == DecodeUnicodeText(fileBytes));
  std::u16string trimmedText;
  const Result dialog = DialogConversion(decoded, trimmedText);
  FUZZ_CHECK(dialog.outcome == reference.outcome);
  FUZZ_CHECK(dialog.bytes == reference.bytes);
  if (dialog.outcome != Outcome::kForeign) {
    // The split leaves the text without its trailing line breaks.
    FUZZ_CHECK(!trimmedText.ends_with(u'\r') && !trimmedText.ends_with(u'\n'));
    FUZZ_CHECK(decoded.starts_with(trimmedText));
    for (std::size_t i = trimmedText.size(); i < decoded.size(); ++i) {
      FUZZ_CHECK(decoded[i] == u'\r' || decoded[i] == u'\n');
    }
    // Steps after every position, at the dialog's throttled pace, and at a pace of 2 to 14.
    const std::int64_t cancelAt = size == 0 ? 0 : (data[0] >> 2) * 4;
    for (const std::int64_t stride : {std::int64_t{1}, std::int64_t{1024},
                                      std::int64_t{2} + static_cast<std::int64_t>(size % 13)}) {
      CheckCancellableSplit(decoded, stride, cancelAt);
    }
  }

  // Each line on its own, as typed into the single-number field: any characters, any length.
  std::size_t begin = 0;
  while (begin < decoded.size()) {
    std::size_t end = decoded.find(u'\n', begin);
    if (end == std::u16string::npos) end = decoded.size();
    const std::u16string_view line = std::u16string_view(decoded).substr(begin, end - begin);
    FUZZ_CHECK(Narrow(BinaryToDecimal(line)) == ReferenceDecimal(line));
    begin = end + 1;
  }
  return 0;
}
