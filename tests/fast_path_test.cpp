// The fast paths of the file conversions against plain references: the block-wise routines
// against their one-at-a-time twins, and everything against a reference written below that
// shares no code with the program (one character at a time, std::to_string for the digits).
// The inputs are random, and the texts sweep every line length from 0 to 33 across every
// position within the 64-character blocks the fast routines work in.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "convert/binary.h"
#include "convert/decimal_batch.h"
#include "convert/decimal_lines_text.h"
#include "convert/decimal_text.h"
#include "convert/number_lines.h"
#include "convert/piecewise_conversion.h"
#include "convert/shared_conversion.h"
#include "convert/split.h"
#include "pipeline/batch_pipeline.h"
#include "storage/file_access.h"
#include "storage/piece_reading.h"
#include "storage/platform.h"
#include "storage/text_decoding.h"
#include "tests/support/reference_decoding.h"
#include "tests/support/reference_split.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"
#include "tuning/tuning.h"

namespace {

// ---- The reference ----

enum class Outcome { kForeign, kTooLong, kConverted };

struct Converted {
  Outcome outcome = Outcome::kConverted;
  std::string bytes;  // when converted
  std::int64_t numbers = 0;
};

bool Accepted(char32_t c) { return c == '0' || c == '1' || c == '\r' || c == '\n'; }

// The outcome of a file conversion of `chars` (already decoded, one code unit each).
Converted ReferenceConversion(const std::u32string& chars) {
  Converted result;
  for (char32_t c : chars) {
    if (!Accepted(c)) {
      result.outcome = Outcome::kForeign;
      return result;
    }
  }
  std::vector<std::string> lines(1);
  for (char32_t c : chars) {
    if (c == '\n') {
      lines.emplace_back();
    } else if (c != '\r') {
      lines.back().push_back(static_cast<char>(c));
    }
  }
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (line.size() > 31) {
      result = Converted{Outcome::kTooLong, "", 0};
      return result;
    }
    std::uint64_t value = 0;
    for (char digit : line) value = value * 2 + (digit == '1' ? 1 : 0);
    result.bytes += std::to_string(value) + "\r\n";
    ++result.numbers;
  }
  return result;
}

std::u32string Chars(std::u16string_view text) { return std::u32string(text.begin(), text.end()); }

// The characters of a file as the batch run sees them: after the UTF-8 mark every byte is
// one (non-ASCII bytes are foreign whatever they decode to); otherwise, after an optional
// UTF-16LE mark, every two bytes, low byte first, and an odd byte at the end is foreign.
std::u32string ReferenceFileChars(std::string_view bytes) {
  std::u32string chars;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    for (unsigned char b : bytes.substr(3)) chars.push_back(b == 0 || b >= 0x80 ? U'?' : b);
    return chars;
  }
  if (bytes.starts_with("\xFF\xFE")) bytes.remove_prefix(2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    chars.push_back(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1])
                                                               << 8);
  }
  if (bytes.size() % 2 != 0) chars.push_back(U'?');
  return chars;
}

// ---- Random inputs ----

class Inputs {
 public:
  explicit Inputs(unsigned seed) : random_(seed) {}

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::u16string Digits(int count) {
    std::u16string digits;
    for (int k = 0; k < count; ++k) digits += Below(2) ? u'1' : u'0';
    return digits;
  }

  // A line end of every kind the files have: CR LF, LF, or a lone CR inside the line.
  std::u16string LineEnd() {
    switch (Below(6)) {
      case 0:
        return u"\n";
      case 1:
        return u"\r\r\n";
      default:
        return u"\r\n";
    }
  }

  // Random lines of up to `longest` digits (some blank, some with a CR inside unless not
  // `loneReturns`) of exactly `length` characters, ending with LF when `length` is not 0.
  std::u16string Filler(int length, int longest = 12, bool loneReturns = true) {
    std::u16string text;
    while (static_cast<int>(text.size()) < length) {
      std::u16string line = Digits(Below(longest + 1));
      if (!loneReturns) {
        text += line + (Below(2) == 0 ? u"\n" : u"\r\n");
        continue;
      }
      if (!line.empty() && Below(8) == 0) line.insert(Below(static_cast<int>(line.size())), u"\r");
      text += line + LineEnd();
    }
    text.resize(static_cast<std::size_t>(length));
    if (length > 0) text.back() = u'\n';
    return text;
  }

  // File bytes: a mark or none, then UTF-16LE units drawn mostly from digits and line ends,
  // with now and then a NUL, a surrogate (paired or not), another character or an odd byte.
  std::string FileBytes(int units) {
    std::string bytes;
    const int mark = Below(5);
    if (mark == 0) return Utf8File(units);
    if (mark <= 2) bytes = "\xFF\xFE";
    static const char16_t kRare[] = {0, 0xD83D, 0xDE00, u'2', u' ', 0xFEFF, 0xFFFD, 0x3031};
    for (int k = 0; k < units; ++k) {
      char16_t unit = kCommon[Below(6)];
      if (Below(200) == 0) unit = kRare[Below(8)];
      if (Below(400) == 0) {  // a whole surrogate pair
        bytes.append("\x3D\xD8\x00\xDE", 4);
        continue;
      }
      bytes.push_back(static_cast<char>(unit & 0xFF));
      bytes.push_back(static_cast<char>(unit >> 8));
    }
    if (Below(20) == 0) bytes.push_back('1');
    return bytes;
  }

 private:
  std::string Utf8File(int chars) {
    std::string bytes = "\xEF\xBB\xBF";
    for (int k = 0; k < chars; ++k) {
      bytes.push_back(static_cast<char>(kCommon[Below(6)]));
      if (Below(300) == 0) bytes += Below(2) ? "\xE3\x81\x82" : "\xFF";
    }
    return bytes;
  }

  static constexpr char16_t kCommon[] = {u'0', u'1', u'1', u'0', u'\r', u'\n'};
  std::mt19937 random_;
};

// What a conversion's outcome and the characters it appended come to.
Converted ConvertedOf(const NumberLinesOutcome& outcome, std::string_view appended) {
  Converted result;
  result.outcome = outcome.foreign   ? Outcome::kForeign
                   : outcome.tooLong ? Outcome::kTooLong
                                     : Outcome::kConverted;
  if (result.outcome == Outcome::kConverted) {
    result.bytes = std::string(appended);
    result.numbers = outcome.numbers;
  }
  return result;
}

// A converted text's LFs are all counted, for the place of a refusal in a later piece.
void ExpectLineFeedsCounted(const NumberLinesOutcome& outcome, std::u16string_view text) {
  if (outcome.foreign || outcome.tooLong) return;
  EXPECT_EQ(outcome.lineFeeds, std::count(text.begin(), text.end(), u'\n'));
}

void ExpectSame(const Converted& actual, const Converted& expected, const std::string& what);

// The conversion of `text`, checked against that of the same characters as bytes (one beyond
// U+00FF as a byte beyond ASCII, foreign as it is), which must not need widening to agree.
Converted FastConversion(std::u16string_view text) {
  TextBuffer<char> out;
  const NumberLinesOutcome outcome = ConvertNumberLines(text, out);
  ExpectLineFeedsCounted(outcome, text);
  Converted converted = ConvertedOf(outcome, out.View());
  TextBuffer<char> plainOut;
  const NumberLinesOutcome plain = ConvertNumberLinesPlainly(text, plainOut);
  ExpectSame(ConvertedOf(plain, plainOut.View()), converted, "without AVX-512");
  std::string bytes;
  for (const char16_t c : text) bytes.push_back(c < 0x100 ? static_cast<char>(c) : '\x80');
  TextBuffer<char> bytesOut;
  const NumberLinesOutcome bytesOutcome = ConvertNumberLines(std::string_view(bytes), bytesOut);
  ExpectSame(ConvertedOf(bytesOutcome, bytesOut.View()), converted, "as bytes");
  EXPECT_EQ(bytesOutcome.lineFeeds, outcome.lineFeeds);
  // With LF alone: the same lines without their CRs.
  Converted withoutCrs = converted;
  std::erase(withoutCrs.bytes, '\r');
  TextBuffer<char> lfOut;
  const NumberLinesOutcome lfOutcome = ConvertNumberLines(text, lfOut, LineEnd::kLf);
  ExpectSame(ConvertedOf(lfOutcome, lfOut.View()), withoutCrs, "with LF alone");
  return converted;
}

void ExpectSame(const Converted& actual, const Converted& expected, const std::string& what) {
  EXPECT_EQ(static_cast<int>(actual.outcome), static_cast<int>(expected.outcome)) << what;
  EXPECT_EQ(actual.bytes, expected.bytes) << what;
  EXPECT_EQ(actual.numbers, expected.numbers) << what;
}

// ---- The tests ----

TEST(FastPath, EveryLineLengthAtEveryPositionConvertsAsTheReferenceDoes) {
  Inputs inputs(7);
  for (int length = 0; length <= 33; ++length) {
    for (int at = 0; at < 64 + 40; ++at) {
      // Before the line: random lines that end exactly where it begins, at every other place
      // short ones without a lone CR, many to a block. After it: more lines, long enough for
      // the block-wise pass to reach it.
      std::u16string line = inputs.Digits(length);
      if (length > 1 && at % 7 == 0) line.insert(1, u"\r");  // a CR inside the line
      const std::u16string before = inputs.Filler(at, at % 2 == 0 ? 12 : 3, at % 2 == 0);
      const std::u16string text = before + line + inputs.LineEnd() + inputs.Filler(90);
      const Converted expected = ReferenceConversion(Chars(text));
      const std::string what = "length " + std::to_string(length) + " at " + std::to_string(at);
      ExpectSame(FastConversion(text), expected, what);
      // The same text as the last line, without a line end.
      const std::u16string last = before + line;
      ExpectSame(FastConversion(last), ReferenceConversion(Chars(last)), what + " last");
    }
  }
}

TEST(FastPath, RandomTextsConvertAsTheReferenceDoes) {
  Inputs inputs(11);
  int converted = 0;
  for (int round = 0; round < 400; ++round) {
    // Lines too long now and then, or of a few digits and many to a block of the scan; every
    // third text without lone CRs.
    const int longest[] = {34, 31, 4, 31};
    std::u16string text = inputs.Filler(inputs.Below(700), longest[round % 4], round % 3 != 0);
    // Now and then a foreign character somewhere.
    if (round % 5 == 0 && !text.empty()) {
      // Also characters whose low byte is '1' or LF, which a scan of bytes must not take for
      // them.
      const char16_t foreign[] = {u'2', u' ', u'\t', 0, 0xFF11, u'a', 0x3031, 0x010A, 0x8031};
      text[static_cast<std::size_t>(inputs.Below(static_cast<int>(text.size())))] =
          foreign[inputs.Below(static_cast<int>(std::size(foreign)))];
    }
    const Converted expected = ReferenceConversion(Chars(text));
    if (expected.outcome == Outcome::kConverted) ++converted;
    ExpectSame(FastConversion(text), expected, "round " + std::to_string(round));
    EXPECT_EQ(HasNonBinaryChars(text), HasNonBinaryCharsPlain(text));
  }
  EXPECT_GT(converted, 100);  // the rounds reach the conversion, not only the refusals
}

// The conversion of `text` shared between two threads, appended to what `out` holds; `asBytes`:
// of its characters (all below U+0100) handed on as bytes. Work given to run alongside must
// have ended, if the helper ran it, when the conversion returns; `alongsideRuns` counts its runs.
// The caller's own work runs once, on its thread.
Converted SharedConversionOf(SharedConversion& shared, std::u16string_view text, bool asBytes,
                             TextBuffer<char>& out, int& alongsideRuns) {
  const std::size_t before = out.Size();
  std::string bytes;
  for (const char16_t c : text) bytes.push_back(static_cast<char>(c));
  std::atomic<int> started{0};
  std::atomic<int> ended{0};
  const std::function<void()> alongside = [&] {
    started.fetch_add(1);
    // Long enough for a caller that did not wait to look (a sleep may last far longer).
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(50);
    while (std::chrono::steady_clock::now() < until) {
    }
    ended.fetch_add(1);
  };
  std::vector<std::thread::id> meanwhileRuns;
  const std::function<void()> meanwhile = [&] {
    meanwhileRuns.push_back(std::this_thread::get_id());
  };
  const NumberLinesOutcome outcome =
      asBytes ? shared.Convert(std::string_view(bytes), out, alongside, meanwhile)
              : shared.Convert(text, out, alongside, meanwhile);
  EXPECT_EQ(meanwhileRuns, std::vector<std::thread::id>{std::this_thread::get_id()});
  EXPECT_LE(started.load(), 1);
  EXPECT_EQ(ended.load(), started.load());
  alongsideRuns += started.load();
  ExpectLineFeedsCounted(outcome, text);
  return ConvertedOf(outcome, out.View().substr(before));
}

TEST(FastPath, TextsSharedByTwoThreadsConvertAsTheReferenceDoes) {
  Inputs inputs(23);
  // Chunks of a single line, of a few lines and of many; one helper for all the texts of each.
  SharedConversion single(/*shareFrom=*/1, /*chunkChars=*/1);
  SharedConversion few(/*shareFrom=*/1, /*chunkChars=*/40);
  SharedConversion many(/*shareFrom=*/100, /*chunkChars=*/150);
  TextBuffer<char> out;
  out.Commit(std::copy_n("kept", 4, out.Room(4)));  // what comes before stays
  const std::u16string overlong = std::u16string(32, u'1') + u"\r\n";
  int converted = 0;
  int alongsideRuns = 0;
  for (int round = 0; round < 600; ++round) {
    std::u16string text = inputs.Filler(inputs.Below(400));
    // A line that is too long, a foreign character or both, anywhere, or a long line last.
    const auto somewhere = [&] {
      return static_cast<std::size_t>(inputs.Below(static_cast<int>(text.size()) + 1));
    };
    const auto lineStart = [&] {
      const std::size_t at = text.rfind(u'\n', somewhere());
      return at == std::u16string::npos ? 0 : at + 1;
    };
    switch (round % 6) {
      case 1:
        text.insert(lineStart(), overlong);
        break;
      case 2:
        text.insert(somewhere(), round % 12 == 2 ? u"2" : u"\u00e9");
        break;
      case 3:
        text.insert(lineStart(), overlong);
        text.insert(somewhere(), u"\t");
        break;
      case 4:
        text += std::u16string(2000, u'0');  // a long last line, no line end
        break;
      default:
        break;
    }
    const Converted expected = ReferenceConversion(Chars(text));
    if (expected.outcome == Outcome::kConverted) ++converted;
    for (SharedConversion* shared : {&single, &few, &many}) {
      for (const bool asBytes : {false, true}) {
        const std::string what = "round " + std::to_string(round) + (asBytes ? ", bytes" : "");
        ExpectSame(SharedConversionOf(*shared, text, asBytes, out, alongsideRuns), expected, what);
        ASSERT_TRUE(out.View().starts_with("kept")) << what;
      }
    }
  }
  EXPECT_GT(converted, 150);  // the rounds reach the conversion, not only the refusals
  // The helper, looking for work after each text, takes some of it: on a busy machine perhaps
  // only once it is given the time.
  if (std::thread::hardware_concurrency() >= 2) {
    const std::u16string text = inputs.Filler(1 << 20);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (alongsideRuns == 0 && std::chrono::steady_clock::now() < until) {
      SharedConversionOf(single, text, false, out, alongsideRuns);
    }
    EXPECT_GT(alongsideRuns, 0);
  }
}

TEST(FastPath, WhatTheCallersOwnWorkThrowsComesOnceTheHelperIsDone) {
  SharedConversion shared(/*shareFrom=*/1, /*chunkChars=*/1);
  const std::u16string text = Inputs(29).Filler(1 << 16);
  TextBuffer<char> out;
  EXPECT_THROW(shared.Convert(text, out, {}, [] { throw std::bad_alloc(); }), std::bad_alloc);
  // Left as it was: the next text converts as the reference does.
  out.Clear();
  int alongsideRuns = 0;
  ExpectSame(SharedConversionOf(shared, u"1\r\n10\r\n", false, out, alongsideRuns),
             ReferenceConversion(Chars(u"1\r\n10\r\n")), "after the throw");
}

TEST(FastPath, TheCharacterTestFindsAForeignCharacterAtEveryPosition) {
  // Two blocks of 64 and the plain loop after them.
  for (int length = 0; length <= 140; ++length) {
    const std::u16string clean(static_cast<std::size_t>(length), u'1');
    EXPECT_EQ(HasNonBinaryChars(clean), 0);
    for (int at = 0; at < length; ++at) {
      for (char16_t foreign : {u'2', u'/', char16_t{0x0131}, char16_t{0x3031}, char16_t{0}}) {
        std::u16string text = clean;
        text[static_cast<std::size_t>(at)] = foreign;
        EXPECT_EQ(HasNonBinaryChars(text), 1) << "length " << length << " at " << at;
      }
    }
  }
}

TEST(FastPath, DecimalTextOfEveryDigitCountAndItsEdges) {
  std::vector<std::uint32_t> values = {0, 1, 9, 10, 99, 100, 2147483647u, 4294967295u};
  for (std::uint32_t power = 10; power <= 1000000000u; power *= 10) {
    values.insert(values.end(), {power - 1, power, power + 1});
    if (power == 1000000000u) break;
  }
  std::mt19937 random(3);
  for (int k = 0; k < 20000; ++k)
    values.push_back(static_cast<std::uint32_t>(random()) >> (k % 32));
  for (std::uint32_t value : values) {
    char bytes[kDecimalScratch];
    char16_t wide[kDecimalScratch];
    const std::string expected = std::to_string(value);
    EXPECT_EQ(std::string(bytes, WriteDecimal(bytes, value)), expected);
    EXPECT_EQ(A(std::u16string(wide, WriteDecimal(wide, value))), expected);
  }
  // Sixteen at a time, with either line end, writing nothing beyond the scratch it may leave.
  for (const auto& [lineEnd, ending] :
       {std::pair{LineEnd::kCrLf, "\r\n"}, std::pair{LineEnd::kLf, "\n"}}) {
    for (std::size_t at = 0; at + decimal_batch::kNumbers <= values.size();
         at += decimal_batch::kNumbers) {
      std::string expected;
      for (std::size_t k = at; k < at + decimal_batch::kNumbers; ++k) {
        expected += std::to_string(values[k]) + ending;
      }
      std::string out(decimal_batch::kNumbers * 12 + 2 * decimal_batch::kScratch, '#');
      const char* const end = decimal_batch::PutBatch(out.data(), values.data() + at, lineEnd);
      ASSERT_EQ(std::string_view(out.data(), end), expected) << "from value " << at;
      EXPECT_EQ(out.find_first_not_of('#', end - out.data() + decimal_batch::kScratch),
                std::string::npos);
    }
  }
}

// The results' index steps as the progress display needs: after every `stepEvery` values and
// after the last, with the number indexed so far, and stops at the step that says so.
TEST(FastPath, DecimalLinesAreIndexedInStepsThatMayStopThem) {
  auto values = std::make_shared<NumberValues>();
  for (std::uint32_t k = 0; k < 5000; ++k) values->AddValue(k);
  const struct {
    std::int64_t stepEvery;
    std::int64_t stopAt;  // the step that stops the indexing; -1: none
  } cases[] = {{1, -1}, {1024, -1}, {5000, -1}, {99999, -1}, {7, 7}, {7, 3997}};
  for (const auto& c : cases) {
    std::vector<std::int64_t> steps;
    const auto text = DecimalLinesText::Index(values, c.stepEvery, [&](std::int64_t done) {
      steps.push_back(done);
      return done == c.stopAt;
    });
    std::vector<std::int64_t> expected;
    for (std::int64_t done = 0; done < values->Size() && done != c.stopAt;) {
      expected.push_back(done = std::min(done + c.stepEvery, values->Size()));
    }
    EXPECT_EQ(steps, expected) << c.stepEvery;
    EXPECT_EQ(text != nullptr, c.stopAt < 0) << c.stepEvery;
  }
}

// ---- The dialog's split into values ----

// What a split into values must give: the entries (lines split at LF, every CR dropped, the
// empty ones left out, after the trailing line breaks are gone), the value of each that fits
// (only '1' adds its weight), the first one longer than 31 characters.
struct ValueSplit {
  std::int64_t count = 0;
  std::vector<std::int64_t> values;  // of each entry; -1 where none is promised
  std::int64_t firstOverlong = -1;
};

ValueSplit ReferenceValueSplit(std::u16string_view text) {
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.remove_suffix(1);
  ValueSplit split;
  std::u16string entry;
  auto close = [&] {
    if (entry.empty()) return;
    std::uint64_t value = 0;
    for (char16_t c : entry) value = value * 2 + (c == u'1' ? 1 : 0);
    if (entry.size() > 31 && split.firstOverlong < 0) split.firstOverlong = split.count;
    split.values.push_back(entry.size() > 31 ? -1 : static_cast<std::int64_t>(value));
    ++split.count;
    entry.clear();
  };
  for (char16_t c : text) {
    if (c == u'\n') {
      close();
    } else if (c != u'\r') {
      entry.push_back(c);
    }
  }
  close();
  return split;
}

struct SteppedSplit {
  bool finished = false;
  ValueSplit split;
  std::int64_t listLineCount = 0;
  std::vector<std::int64_t> steps;
  std::u16string trimmed;
};

// The dialog's split of `text`, stepping every `stride` positions (0: no step) and cancelling
// at the first step at or after `cancelAt`; on two threads from `twoThreadsFrom` characters.
SteppedSplit SplitValues(std::u16string text, std::int64_t stride, bool plain,
                         std::int64_t cancelAt = -1,
                         std::size_t twoThreadsFrom = tuning::kSplitOnTwoThreadsFrom) {
  SteppedSplit result;
  NumberValues list;
  SplitStep step;
  if (stride > 0) {
    step = [&](std::int64_t position) {
      result.steps.push_back(position);
      return cancelAt >= 0 && position >= cancelAt;
    };
  }
  result.finished =
      plain ? SplitIntoValuesPlain(text, list, result.listLineCount, step, stride > 0 ? stride : 1)
            : SplitIntoNumberList(text, list, result.listLineCount, step, stride > 0 ? stride : 1,
                                  twoThreadsFrom);
  result.split.count = list.Size();
  result.split.firstOverlong = list.FirstOverlong();
  for (std::int64_t k = 0; k < list.Size(); ++k) result.split.values.push_back(list[k]);
  result.trimmed = std::move(text);
  return result;
}

void ExpectSame(const ValueSplit& actual, const ValueSplit& expected, const std::string& what) {
  EXPECT_EQ(actual.count, expected.count) << what;
  EXPECT_EQ(actual.firstOverlong, expected.firstOverlong) << what;
  ASSERT_EQ(actual.values.size(), expected.values.size()) << what;
  for (std::size_t k = 0; k < expected.values.size(); ++k) {
    if (expected.values[k] >= 0) {
      EXPECT_EQ(actual.values[k], expected.values[k]) << what << ", entry " << k;
    }
  }
}

TEST(FastPath, TheValueSplitOfEveryLineLengthAtEveryPositionIsTheReferences) {
  Inputs inputs(13);
  for (int length = 0; length <= 33; ++length) {
    for (int at = 0; at < 64 + 40; ++at) {
      std::u16string line = inputs.Digits(length);
      if (length > 1 && at % 7 == 0) line.insert(1, u"\r");  // a CR inside the line
      // The split takes any character: all but '1' count as a zero digit.
      if (length > 2 && at % 5 == 0) line[2] = at % 10 == 0 ? u'2' : char16_t{0x3031};
      const std::u16string text = inputs.Filler(at) + line + inputs.LineEnd() + inputs.Filler(90);
      const std::u16string last = inputs.Filler(at) + line;
      for (const std::u16string& t : {text, last}) {
        const ValueSplit expected = ReferenceValueSplit(t);
        const std::string what = "length " + std::to_string(length) + " at " + std::to_string(at);
        for (std::int64_t stride : {0, 64, 1024}) {
          const SteppedSplit fast = SplitValues(t, stride, false);
          EXPECT_TRUE(fast.finished);
          ExpectSame(fast.split, expected, what + " stride " + std::to_string(stride));
          EXPECT_EQ(fast.listLineCount, expected.count) << what;
        }
        ExpectSame(SplitValues(t, 0, true).split, expected, what + " (plain)");
      }
    }
  }
}

TEST(FastPath, TheValueSplitStepsAndCancelsAsItsPlainTwin) {
  Inputs inputs(17);
  for (int round = 0; round < 300; ++round) {
    const std::u16string text =
        inputs.Filler(inputs.Below(3000), round % 3 == 0 ? 40 : 31) + inputs.Digits(round % 40);
    const std::int64_t strides[] = {1, 7, 64, 100, 128, 1024};
    const std::int64_t stride = strides[round % 6];
    // Cancelled at a random position, or never.
    const std::int64_t cancelAt = round % 4 == 0 ? -1 : inputs.Below(3100);
    const SteppedSplit fast = SplitValues(text, stride, false, cancelAt);
    const SteppedSplit plain = SplitValues(text, stride, true, cancelAt);
    const std::string what = "round " + std::to_string(round);
    EXPECT_EQ(fast.finished, plain.finished) << what;
    EXPECT_EQ(fast.steps, plain.steps) << what;
    EXPECT_EQ(fast.listLineCount, plain.listLineCount) << what;
    EXPECT_EQ(fast.trimmed, plain.trimmed) << what;
    ExpectSame(fast.split, plain.split, what);
    if (fast.finished) {
      ExpectSame(fast.split, ReferenceValueSplit(text), what + " (reference)");
    } else {
      EXPECT_EQ(fast.split.count, 0) << what;
    }
  }
}

// Texts long enough to be split on two threads, against the reference: the first overlong
// entry in either part or in none, and cancelled in the first part or at the last step.
TEST(FastPath, TheSplitOnTwoThreadsIsTheReferences) {
  Inputs inputs(29);
  constexpr std::size_t kTwoThreadsFrom = std::size_t{1} << 17;
  const int half = static_cast<int>(kTwoThreadsFrom / 2) + 1000;
  const struct {
    const char* what;
    bool overlongFirst;
    bool overlongSecond;
    bool cancelEarly;
    bool cancelLast;
  } cases[] = {{"whole", false, false, false, false},
               {"overlong in the first part", true, false, false, false},
               {"overlong in both parts", true, true, false, false},
               {"overlong in the second part", false, true, false, false},
               {"cancelled early", false, false, true, false},
               {"cancelled at the last step", false, false, false, true}};
  for (const auto& c : cases) {
    std::u16string first = inputs.Filler(half + inputs.Below(1000), 31);
    std::u16string second = inputs.Filler(half + inputs.Below(1000), 31);
    if (c.overlongFirst) first.insert(0, inputs.Digits(40) + u"\r\n");
    if (c.overlongSecond) second += inputs.Digits(32) + u"\n" + inputs.Filler(100, 40);
    const std::u16string text = first + second + u"\r\n";
    std::u16string_view trimmed = text;
    TrimTrailingLineBreaks(trimmed);
    const auto last = static_cast<std::int64_t>(trimmed.size()) - 1;
    const std::int64_t cancelAt = c.cancelEarly ? 1000 : c.cancelLast ? last : -1;
    const SteppedSplit split = SplitValues(text, 1024, false, cancelAt, kTwoThreadsFrom);
    EXPECT_EQ(split.finished, !c.cancelEarly && !c.cancelLast) << c.what;
    EXPECT_TRUE(std::is_sorted(split.steps.begin(), split.steps.end())) << c.what;
    if (split.finished) {
      const ValueSplit expected = ReferenceValueSplit(text);
      ExpectSame(split.split, expected, c.what);
      EXPECT_EQ(split.listLineCount, expected.count) << c.what;
      EXPECT_EQ(split.steps.back(), last) << c.what;
    } else {
      EXPECT_EQ(split.split.count, 0) << c.what;
    }
  }
}

// Decodes `bytes` with the decoder fed `piece` bytes at a time, as a file is read.
std::u16string DecodeInPieces(std::string_view bytes, std::size_t piece) {
  std::u16string text;
  UnicodeTextDecoder decoder(text);
  std::string held;
  std::size_t at = 0;
  for (;;) {
    const std::size_t more = std::min(piece - held.size(), bytes.size() - at);
    held.append(bytes.substr(at, more));
    at += more;
    const bool last = at == bytes.size();
    const std::size_t taken = decoder.Decode(held, last);
    if (last) return text;
    held.erase(0, taken);
  }
}

TEST(FastPath, DecodingInPiecesAgreesWithTheReference) {
  Inputs inputs(5);
  for (int round = 0; round < 300; ++round) {
    const std::string bytes = inputs.FileBytes(inputs.Below(300));
    const std::u16string whole = DecodeUnicodeText(bytes);
    if (!bytes.starts_with("\xEF\xBB\xBF")) {
      EXPECT_EQ(A(whole), A(ReferenceDecodeUtf16Le(bytes)));
    }
    for (std::size_t piece : {4, 5, 7, 16, 33}) {
      EXPECT_EQ(DecodeInPieces(bytes, piece), whole) << "piece " << piece;
    }
  }
}

// ---- Reading a file in pieces ----

using PieceReader = bool (*)(platform::NativeFile&, std::optional<std::uint64_t>, std::size_t,
                             const PieceTaker&);
enum class Taker { kAll, kFewBack, kMuchBack, kStops };
// Who reads the next piece: the reader after the taker, the taker before it looks at the piece,
// or ReadingAhead's thread.
enum class NextRead { kByTheReader, kByTheTaker, kAhead };

// Reads the file at `path`, which holds `file`, with `read` and a taker of the given kind,
// checking every call against the file: the bytes handed back, then the next ones, an even
// offset of the file at an even address, and `last` with the file's end. The reader's outcome.
bool ReadCheckingPieces(PieceReader read, const std::filesystem::path& path, std::string_view file,
                        std::size_t pieceBytes, Taker taker, NextRead nextRead) {
  auto opened = platform::NativeFile::Open(path.u16string(), platform::OpenMode::kRead);
  EXPECT_TRUE(opened);
  if (!opened) return false;
  std::mt19937 takes(static_cast<unsigned>(file.size() + pieceBytes));
  std::size_t offset = 0;  // of the bytes handed back
  std::size_t back = 0;    // how many
  int calls = 0;
  const PieceTaker check = [&](std::string_view piece, bool last,
                               const PieceRead& readNext) -> std::optional<std::size_t> {
    if (nextRead == NextRead::kByTheTaker) readNext();
    const std::size_t fresh = std::min(pieceBytes, file.size() - offset - back);
    EXPECT_EQ(piece, file.substr(offset, back + fresh));
    EXPECT_EQ(last, offset + piece.size() == file.size() && fresh < pieceBytes);
    EXPECT_EQ((reinterpret_cast<std::uintptr_t>(piece.data()) - offset) % 2, 0u);
    if (taker == Taker::kStops && ++calls == 3) return std::nullopt;
    std::size_t handedBack = 0;
    if (taker == Taker::kFewBack) handedBack = takes() % 8;
    if (taker == Taker::kMuchBack) handedBack = piece.size() - takes() % 8;
    const std::size_t taken = piece.size() - std::min(handedBack, piece.size());
    offset += taken;
    back = piece.size() - taken;
    return taken;
  };
  return read(*opened, file.size(), pieceBytes,
              nextRead == NextRead::kAhead ? ReadingAhead(check) : check);
}

// Both readers on files of several sizes, with takers that hand back nothing, a few bytes (odd
// counts too), nearly all (soon more than fits before the next piece), or stop; the next piece
// read by the reader, by the taker, or by ReadingAhead's thread.
TEST(FastPath, ReadingAheadHandsOnThePiecesPlainReadingDoes) {
  TempFolder folder;
  const std::filesystem::path path = folder.path() / "in.bin";
  std::mt19937 random(11);
  std::string bytes(3 * tuning::kHandedBackBytes + 1001, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  for (const std::size_t fileBytes :
       {std::size_t{0}, std::size_t{3}, std::size_t{4096}, std::size_t{4099}, bytes.size()}) {
    const std::string_view file = std::string_view(bytes).substr(0, fileBytes);
    WriteBytes(path, file);
    for (const std::size_t pieceBytes : {std::size_t{4}, std::size_t{1023}, std::size_t{4096}}) {
      for (const Taker taker : {Taker::kAll, Taker::kFewBack, Taker::kMuchBack, Taker::kStops}) {
        SCOPED_TRACE(testing::Message() << fileBytes << " bytes, pieces of " << pieceBytes
                                        << ", taker " << static_cast<int>(taker));
        EXPECT_TRUE(ReadCheckingPieces(&ReadPiecesPlainly, path, file, pieceBytes, taker,
                                       NextRead::kByTheReader));
        for (const NextRead next :
             {NextRead::kByTheReader, NextRead::kByTheTaker, NextRead::kAhead}) {
          EXPECT_TRUE(ReadCheckingPieces(&ReadPiecesAhead, path, file, pieceBytes, taker, next));
        }
      }
    }
  }
}

class BatchInputTest : public ::testing::Test {
 protected:
  // The batch conversion of `bytes` as a file, read `piece` bytes at a time.
  std::optional<Converted> Convert(const std::string& bytes, std::size_t piece) {
    WriteBytes(folder_.path() / "Quillet.tbin", bytes);
    std::string written;
    const auto input = ConvertBatchInput((folder_.path() / "Quillet.tbin").u16string(),
                                         [&](std::string_view part) {
                                           written += part;
                                           return true;
                                         },
                                         piece);
    if (!input) return std::nullopt;
    Converted result;
    result.outcome = input->foreign   ? Outcome::kForeign
                     : input->tooLong ? Outcome::kTooLong
                                      : Outcome::kConverted;
    if (result.outcome == Outcome::kConverted) {
      result.bytes = written;
      result.numbers = input->numbers;
    }
    return result;
  }

  TempFolder folder_;
};

TEST_F(BatchInputTest, RandomFilesConvertAsTheReferenceDoesInPiecesOfAnySize) {
  Inputs inputs(13);
  for (int round = 0; round < 150; ++round) {
    const std::string bytes = inputs.FileBytes(inputs.Below(900));
    const Converted expected = ReferenceConversion(ReferenceFileChars(bytes));
    for (std::size_t piece : {4, 5, 6, 7, 9, 64, 130, 4096}) {
      const auto actual = Convert(bytes, piece);
      ASSERT_TRUE(actual);
      ExpectSame(*actual, expected,
                 "round " + std::to_string(round) + ", piece " + std::to_string(piece));
    }
  }
}

TEST_F(BatchInputTest, LongLinesAcrossPiecesAreHeldAndJudgedWhole) {
  const std::string returns(9000, '\r');
  struct Case {
    const char* name;
    std::string ascii;
  };
  const Case cases[] = {
      {"CRs spread through a valid line", "1" + returns + "0" + returns + "1\r\n10\r\n"},
      {"a line of many CRs and 31 digits", returns + std::string(31, '1') + "\n1"},
      {"a line of many CRs and 32 digits", std::string(16, '1') + returns + std::string(16, '0')},
      {"a foreign character after a long line", std::string(5000, '1') + "\n2"},
      {"a long line that is the last", "1\n" + std::string(5000, '0')},
      {"only line ends", std::string(20000, '\n')},
  };
  for (const Case& c : cases) {
    const std::string bytes = Utf16Bytes(c.ascii);
    const Converted expected = ReferenceConversion(ReferenceFileChars(bytes));
    for (std::size_t piece : {std::size_t{6}, std::size_t{1000}, tuning::kReadPieceBytes}) {
      const auto actual = Convert(bytes, piece);
      ASSERT_TRUE(actual);
      ExpectSame(*actual, expected, std::string(c.name) + ", piece " + std::to_string(piece));
    }
  }
}

TEST_F(BatchInputTest, FilesOfManyPiecesReadWhole) {
  // Several of the pieces the reading takes at a time, with a surrogate pair (decoding) and a
  // line (converting) across the end of the fourth piece of Read file.
  Inputs inputs(17);
  const std::string block = Utf16Bytes(A(inputs.Filler(8192, 20)));
  const std::size_t span = 4 * tuning::kReadPieceBytes;
  std::string bytes = "\xFF\xFE";
  while (bytes.size() < span) bytes += block;
  bytes.resize(span - 6);
  bytes[bytes.size() - 2] = '\n';  // ends with a whole line
  const std::string tail = Utf16Bytes("1011\r\n0110\r\n1\r\n");
  const std::string pair("\x3D\xD8\x00\xDE", 4);
  const std::string decodable = bytes + Utf16Bytes("1") + pair + tail + tail;
  WriteBytes(folder_.path() / "long.txt", decodable);
  const auto text = ReadUnicodeTextFile((folder_.path() / "long.txt").u16string());
  ASSERT_TRUE(text);
  EXPECT_TRUE(*text == DecodeUnicodeText(decodable));

  // Against the whole text's conversion (the reference is too slow for this size).
  const std::string convertible = bytes + tail + tail;
  Converted expected = FastConversion(DecodeUnicodeText(convertible));
  ASSERT_EQ(static_cast<int>(expected.outcome), static_cast<int>(Outcome::kConverted));
  for (std::size_t piece : {std::size_t{4099}, tuning::kBatchPieceBytes}) {
    const auto actual = Convert(convertible, piece);
    ASSERT_TRUE(actual);
    ExpectSame(*actual, expected, "piece " + std::to_string(piece));
  }
}

TEST_F(BatchInputTest, ATextWhoseMemoryTwoThreadsTouchFirstReadsTheSame) {
  Inputs inputs(19);
  const std::string block = Utf16Bytes(A(inputs.Filler(8192, 20)));
  std::string bytes = "\xFF\xFE";
  while (bytes.size() < tuning::kTouchOnTwoThreadsFrom + 3) bytes += block;
  const std::u16string path = (folder_.path() / "long.txt").u16string();
  WriteBytes(path, bytes);
  const auto plain = ReadUnicodeTextFile(path);
  const auto touched = ReadUnicodeTextFile<FirstTouchedU16String>(path);
  ASSERT_TRUE(plain && touched);
  EXPECT_TRUE(std::u16string_view(*touched) == std::u16string_view(*plain));
}

TEST_F(BatchInputTest, AFileThatCannotBeReadGivesNothing) {
  EXPECT_FALSE(ConvertBatchInput((folder_.path() / "missing.tbin").u16string(),
                                 [](std::string_view) { return true; }));
}

#ifndef _WIN32
TEST_F(BatchInputTest, AFileCutShortWhileItIsReadIsUnreadable) {
  // Another program cuts the input short while it is read (Windows refuses that): the input is
  // unreadable, not converted in part.
  const std::filesystem::path path = folder_.path() / "Quillet.tbin";
  std::string lines;
  while (lines.size() < 4 * tuning::kBatchPieceBytes / 2) lines += "1\r\n";
  WriteBytes(path, Utf16Bytes(lines));
  bool cut = false;
  const auto input = ConvertBatchInput(path.u16string(), [&](std::string_view) {
    if (!cut) std::filesystem::resize_file(path, 4096);  // after the first piece
    cut = true;
    return true;
  });
  EXPECT_TRUE(cut);
  EXPECT_FALSE(input);
}
#endif

TEST_F(BatchInputTest, AFailedWriteIsReportedAndTheCheckGoesOn) {
  WriteBytes(folder_.path() / "in.tbin", Utf16Bytes("1\r\n10\r\n2"));
  const auto input = ConvertBatchInput((folder_.path() / "in.tbin").u16string(),
                                       [](std::string_view) { return false; });
  ASSERT_TRUE(input);
  EXPECT_TRUE(input->resultFailed);
  EXPECT_TRUE(input->foreign);
}

}  // namespace
