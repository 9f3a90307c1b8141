// vornel-convert as a black box, as scripts use it: arguments, how the input's encoding is
// told, exit codes and messages, all or nothing, and pipes. The conversion rules themselves
// are the batch run's, which tests/fast_path_test.cpp holds against a reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/converter_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text_bytes.h"

#if defined(_WIN32)
#include <windows.h>

#include <cstring>

#include "tests/e2e/program_driver.h"
#else
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
const std::string kEnd = "\r\n";  // the default line end of the result and of messages
#else
const std::string kEnd = "\n";
#endif

// A text of the converter's, in English and in Japanese.
struct Said {
  std::string english;
  std::string japanese;
};
const Said kStandardInput{"standard input", "標準入力"};
const Said kUnreadable{"cannot be read", "読み込めません。"};
const Said kEmpty{"empty or only line breaks", "空か、改行しか書かれていません。"};
const Said kForeign{"a character other than 0, 1 and line breaks",
                    "0、1、改行以外の文字があります。"};
const Said kTooLong{"a line of more than 31 characters (the largest value is 2147483647)",
                    "31 文字を超える行です（最大値は 2147483647 です）。"};
const Said kUnwritable{"cannot be written", "書き込めません。"};

// The language of a run with the default locale: English (en_US.UTF-8), or on Windows the
// user's UI language.
bool JapaneseByDefault() {
#if defined(_WIN32)
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
#else
  return false;
#endif
}

std::string In(const Said& said, bool japanese = JapaneseByDefault()) {
  return japanese ? said.japanese : said.english;
}

// The converter's line on standard error about `what`.
std::string ErrorLine(const std::string& what, const std::string& text) {
  return "vornel-convert: " + what + ": " + text + kEnd;
}

bool Ascii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The message for an argument in error.
std::string Invalid(const std::string& argument, bool japanese = JapaneseByDefault()) {
  return japanese ? "引数が正しくありません: " + argument + "（vornel-convert --help をご覧下さい）"
                  : "invalid argument: " + argument + " (see vornel-convert --help)";
}

std::string Path(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// Lines of decimal numbers with the default line end.
std::string Lines(const std::vector<std::string>& numbers) {
  std::string text;
  for (const std::string& number : numbers) text += number + kEnd;
  return text;
}

struct PipeCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string input;
  int code;
  std::string out;
  std::string err;  // the one line on standard error; empty when there must be none
};

void ExpectRun(const ConverterRun& run, const PipeCase& c) {
  EXPECT_EQ(run.code, c.code) << c.name;
  EXPECT_EQ(run.out, c.out) << c.name;
  EXPECT_EQ(run.err, c.err.empty() ? "" : "vornel-convert: " + c.err + kEnd) << c.name;
}

TEST(ConverterTest, ArgumentsAndTheirMistakes) {
  const PipeCase cases[] = {
      {"version", {"--version"}, "", 0, "vornel-convert 2.2.10.11" + kEnd, ""},
      {"an unknown option", {"-x"}, "1\n", 1, "", Invalid("-x")},
      {"--help with more", {"--help", "-"}, "1\n", 1, "", Invalid("--help")},
      {"two line ends", {"--lf", "--crlf"}, "1\n", 1, "", Invalid("--crlf")},
      {"three paths", {"-", "-", "x"}, "1\n", 1, "", Invalid("x")},
      {"--lf", {"--lf"}, "101\r\n11\n", 0, "5\n3\n", ""},
      {"--crlf", {"--crlf", "-", "-"}, "101\n11", 0, "5\r\n3\r\n", ""},
      {"--lf on a text two threads share",
       {"--lf"},
       Repeat("101\r\n", 20000),
       0,
       Repeat("5\n", 20000),
       ""},
      {"the default line end", {}, "101\n\n11\r\n", 0, Lines({"5", "3"}), ""},
      {"no option after --", {"--", "-x"}, "", 2, "", "-x: " + In(kUnreadable)},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
}

TEST(ConverterTest, TheEncodingIsToldByTheMarkOrTheBytes) {
  const std::string hiragana = "B0";  // U+3042 in UTF-16LE: 0x42 0x30
  // 2100 lines of UTF-16LE "1\n" (8400 bytes) and then U+3042: the first non-zero byte at an
  // odd offset lies beyond the first 4 KiB.
  std::string late;
  for (int k = 0; k < 2100; ++k) late += Utf16Bytes("1\n");
  const std::string lateNonZero = late + hiragana;
  const PipeCase cases[] = {
      {"UTF-16LE with its mark", {}, Utf16WithMark("101\r\n1"), 0, Lines({"5", "1"}), ""},
      {"UTF-8 with its mark",
       {},
       "\xEF\xBB\xBF"
       "101\n1",
       0,
       Lines({"5", "1"}),
       ""},
      {"ASCII", {}, "101\n1", 0, Lines({"5", "1"}), ""},
      {"UTF-16LE without a mark", {}, Utf16Bytes("101\n1\n"), 0, Lines({"5", "1"}), ""},
      // Zeros at every odd offset but an odd length: UTF-8, whose NUL is foreign.
      {"odd length",
       {},
       Utf16Bytes("101\n") + "1",
       4,
       "",
       In(kStandardInput) + ":1:2: " + In(kForeign)},
      {"a non-zero odd byte within 4 KiB",
       {},
       Utf16Bytes("1\n") + hiragana,
       4,
       "",
       In(kStandardInput) + ":1:2: " + In(kForeign)},
      {"a non-zero odd byte beyond 4 KiB",
       {},
       lateNonZero,
       4,
       "",
       In(kStandardInput) + ":2101:1: " + In(kForeign)},
      {"UTF-8 beyond ASCII", {}, "11\n10あ", 4, "", In(kStandardInput) + ":2:3: " + In(kForeign)},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
}

TEST(ConverterTest, RefusalsSayWhereAndWriteNothing) {
  const std::string tooLong(32, '1');
  const PipeCase cases[] = {
      {"nothing", {}, "", 3, "", In(kStandardInput) + ": " + In(kEmpty)},
      {"only line breaks", {}, "\r\n\n\r\n", 3, "", In(kStandardInput) + ": " + In(kEmpty)},
      {"a foreign character",
       {},
       "1\n\n11\r\n1\r2\n",
       4,
       "",
       In(kStandardInput) + ":4:3: " + In(kForeign)},
      {"a line too long",
       {},
       "1\n" + tooLong + "\n1\n",
       5,
       "",
       In(kStandardInput) + ":2: " + In(kTooLong)},
      {"31 digits and CRs",
       {},
       "1\r" + std::string(30, '0') + "\r\n",
       0,
       Lines({"1073741824"}),
       ""},
      {"a foreign character after a line too long",
       {},
       "1\n" + tooLong + "\n1\n2",
       4,
       "",
       In(kStandardInput) + ":4:1: " + In(kForeign)},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
}

class ConverterFileTest : public ::testing::Test {
 protected:
  // The file `name` (UTF-8) in the folder, holding `bytes`.
  fs::path File(const std::string& name, const std::string& bytes) {
    fs::path path = folder_.path() / std::u8string(name.begin(), name.end());
    WriteBytes(path, bytes);
    return path;
  }
  // The names in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) {
      names.push_back(Path(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder folder_;
};

// Each refusal names the input (or the output) as the user gave it, in the user's language; in
// the C locale in ASCII, a name's other bytes escaped. Windows speaks the user's UI language,
// which the environment does not set: there each refusal runs once.
TEST_F(ConverterFileTest, EachRefusalNamesItsFileInTheUsersLanguage) {
  struct LocaleCase {
    Locale locale;
    bool japanese;
    bool ascii;
  };
#if defined(_WIN32)
  const LocaleCase locales[] = {{{}, JapaneseByDefault(), false}};
#else
  const LocaleCase locales[] = {
      {{"LC_ALL=C"}, false, true},
      {{"LANG=en_US.UTF-8"}, false, false},
      {{"LANG=ja_JP.UTF-8"}, true, false},
      {{"LC_ALL=", "LC_MESSAGES=ja_JP.UTF-8", "LANG=en_US.UTF-8"}, true, false},  // first set
  };
#endif
  const std::string folder =
      Path(folder_.path()) + static_cast<char>(fs::path::preferred_separator);
  File("数.txt", "1\n12\n");
  File("空.txt", "\r\n\n");
  File("長.txt", std::string(32, '1'));
  File("一.txt", "1\n");
  // The named file as the message shows it in ASCII (POSIX) and in UTF-8.
  const auto named = [&](const std::string& utf8, const std::string& escaped, bool ascii) {
    return folder + (ascii ? escaped : utf8);
  };
  struct Case {
    const char* name;
    std::vector<std::string> arguments;  // nothing on standard input
    int code;
    std::string file;     // the file named, UTF-8; empty for standard input
    std::string escaped;  // the same, escaped
    std::string place;
    Said said;
  };
  const Case cases[] = {
      {"a missing input", {folder + "無.txt"}, 2, "無.txt", R"(\xe7\x84\xa1.txt)", "", kUnreadable},
      {"an empty input", {folder + "空.txt"}, 3, "空.txt", R"(\xe7\xa9\xba.txt)", "", kEmpty},
      {"empty standard input", {}, 3, "", "", "", kEmpty},
      {"foreign", {folder + "数.txt"}, 4, "数.txt", R"(\xe6\x95\xb0.txt)", ":2:2", kForeign},
      {"a line too long", {folder + "長.txt"}, 5, "長.txt", R"(\xe9\x95\xb7.txt)", ":1", kTooLong},
      {"an output in a missing folder",
       {folder + "一.txt", folder + "無/出.txt"},
       6,
       "無/出.txt",
       R"(\xe7\x84\xa1/\xe5\x87\xba.txt)",
       "",
       kUnwritable},
  };
  for (const LocaleCase& l : locales) {
    const std::string where = l.locale.empty() ? "" : l.locale.front();
    for (const Case& c : cases) {
      const ConverterRun run = RunConverterProcess(c.arguments, {}, l.locale);
      const std::string name =
          c.file.empty() ? In(kStandardInput, l.japanese) : named(c.file, c.escaped, l.ascii);
      EXPECT_EQ(run.code, c.code) << c.name << ", " << where;
      EXPECT_EQ(run.err, ErrorLine(name + c.place, In(c.said, l.japanese)))
          << c.name << ", " << where;
      EXPECT_TRUE(!l.ascii || Ascii(run.err)) << c.name;
    }
    const ConverterRun usage = RunConverterProcess({"-数"}, "", l.locale);
    EXPECT_EQ(usage.err,
              "vornel-convert: " + Invalid(l.ascii ? R"(-\xe6\x95\xb0)" : "-数", l.japanese) + kEnd)
        << where;
    const ConverterRun help = RunConverterProcess({"--help"}, "", l.locale);
    EXPECT_TRUE(help.out.starts_with(l.japanese ? "使い方:" : "Usage:")) << where;
    EXPECT_NE(help.out.find(l.japanese ? "7  メモリ不足" : "7  out of memory"), std::string::npos)
        << where;
    EXPECT_TRUE(!l.ascii || (Ascii(usage.err) && Ascii(help.out))) << usage.err << help.out;
  }
}

TEST_F(ConverterFileTest, AnExistingOutputStaysAsItWasUnlessAllOfTheInputConverts) {
  struct Case {
    const char* name;
    std::string input;
    int code;
    std::string output;  // what the output holds afterwards
  };
  const Case cases[] = {
      {"converted", "1\n10\n", 0, Lines({"1", "2"})},
      {"empty", "\n", 3, "earlier"},
      {"foreign", "1\n1 \n", 4, "earlier"},
      {"too long", std::string(40, '0'), 5, "earlier"},
  };
  for (const Case& c : cases) {
    const fs::path input = File("in.txt", c.input);
    const fs::path output = File("out.txt", "earlier");
    const ConverterRun run = RunConverterProcess({Path(input), Path(output)});
    EXPECT_EQ(run.code, c.code) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_EQ(ReadBytes(output), c.output) << c.name;
    EXPECT_EQ(Names(), (std::vector<std::string>{"in.txt", "out.txt"})) << c.name;
  }
}

TEST_F(ConverterFileTest, InputsThatCannotBeReadAndOutputsThatCannotBeWritten) {
  const fs::path input = File("in.txt", "1\n");
  fs::create_directory(folder_.path() / "folder");
  const std::string folder = Path(folder_.path() / "folder");
  const std::string missing = Path(folder_.path() / "missing.txt");
  const std::string nowhere = Path(folder_.path() / "missing" / "out.txt");
  const PipeCase cases[] = {
      {"a missing input", {missing}, "", 2, "", missing + ": " + In(kUnreadable)},
      {"a folder as input", {folder}, "", 2, "", folder + ": " + In(kUnreadable)},
      {"an output in a missing folder",
       {Path(input), nowhere},
       "",
       6,
       "",
       nowhere + ": " + In(kUnwritable)},
      {"a folder as output", {Path(input), folder}, "", 6, "", folder + ": " + In(kUnwritable)},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "in.txt"}));
  EXPECT_TRUE(fs::is_empty(folder_.path() / "folder"));
}

#if !defined(_WIN32)
// A closed standard input is no input: no file the converter opens may stand in for it.
TEST_F(ConverterFileTest, AClosedStandardInputCannotBeRead) {
  for (const std::string& output : {std::string("-"), Path(folder_.path() / "out.txt")}) {
    const std::string command =
        std::string("'") + VORNEL_CONVERTER_PATH + "' - '" + output + "' <&- 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << output;
  }
  EXPECT_TRUE(Names().empty());
}
#endif

TEST_F(ConverterFileTest, FilesAndPipesMeetInEveryWay) {
  // More than the pipes and the pieces hold at once.
  std::string input;
  std::string expected;
  for (int k = 0; k < 300000; ++k) {
    input += k % 2 ? "1111111111111111111111111111111\n" : "10\r\n";
    expected += (k % 2 ? "2147483647" : "2") + kEnd;
  }
  const fs::path in = File("in.txt", input);
  const fs::path out = folder_.path() / "out.txt";

  EXPECT_EQ(RunConverterProcess({}, input).out, expected) << "a pipe to a pipe";
  EXPECT_EQ(RunConverterProcess({Path(in)}).out, expected) << "a file to a pipe";
  EXPECT_EQ(RunConverterProcess({"-", Path(out)}, input).code, 0);
  EXPECT_EQ(ReadBytes(out), expected) << "a pipe to a file";
  EXPECT_EQ(RunConverterProcess({Path(in), Path(in)}).code, 0);
  EXPECT_EQ(ReadBytes(in), expected) << "a file into its own place";
}

#if defined(_WIN32)

// The .exe this build made runs under wine from the build folder, with no DLLs of the compiler
// beside it: the tests above also show that it is self-contained.
TEST(ConverterTest, TheExeIsAConsoleProgramWithItsVersion) {
  const std::wstring program = ProgramPath();
  const std::string image = ReadBytes(fs::path(program));
  ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
  IMAGE_DOS_HEADER dos{};
  std::memcpy(&dos, image.data(), sizeof dos);
  IMAGE_NT_HEADERS64 nt{};
  ASSERT_GE(image.size(), dos.e_lfanew + sizeof nt);
  std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
  EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_CUI);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version information";
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));
  for (const auto& [name, expected] : {std::pair{L"FileVersion", L"2.2.10.11"},
                                       std::pair{L"OriginalFilename", L"vornel-convert.exe"}}) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), &value, &length)) << key;
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), expected);
  }
}

// A console gets its message as characters: as UTF-8 bytes, code page 437 would show no
// Japanese, here in the input's name.
TEST_F(ConverterFileTest, AConsoleShowsTheMessageAsCharacters) {
  const fs::path input = File("数字.txt", "1\n2\n");
  EXPECT_EQ(RunConverterOnConsole({Path(input)}, ""),
            FromUtf8("vornel-convert: " + Path(input) + ":2:1: " + In(kForeign)));
}

TEST_F(ConverterFileTest, ALockedInputCannotBeRead) {
  const fs::path input = File("in.txt", "1\n");
  const HANDLE lock = CreateFileW(input.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const ConverterRun run = RunConverterProcess({Path(input)});
  CloseHandle(lock);
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, "vornel-convert: " + Path(input) + ": " + In(kUnreadable) + kEnd);
}

#else

TEST_F(ConverterFileTest, ANameThatIsNotUtf8IsOpenedAndNamedAsItIs) {
  const fs::path input = File("\xFF.txt", "1\n2\n");
  const ConverterRun run = RunConverterProcess({Path(input)});
  EXPECT_EQ(run.code, 4);
  EXPECT_EQ(run.err, "vornel-convert: " + Path(input) + ":2:1: " + In(kForeign) + kEnd);
}

#endif

}  // namespace
