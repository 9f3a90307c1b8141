// vornel-convert as a black box, as scripts use it: arguments, how the input's encoding is
// told, exit codes and messages, all or nothing, and pipes. The conversion rules themselves
// are the batch run's, which tests/fast_path_test.cpp holds against a reference.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/converter_process.h"
#include "tests/temp_folder.h"

#if defined(_WIN32)
#include <windows.h>

#include <cstring>

#include "tests/e2e/program_driver.h"
#endif

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
const std::string kEnd = "\r\n";  // the default line end of the result and of messages
#else
const std::string kEnd = "\n";
#endif

const std::string kForeign =
    "２進数が記述された「Quillet.tbin」ファイルに、0と1で構成された数値以外の文字が書かれていまし"
    "た。処理を中止します。";
const std::string kTooLong =
    "計算できる最大値の2147483647を超えました。2147483647以下の２進数値で実行して下さい。処理を中"
    "止します。";
const std::string kEmpty =
    "ファイルの中身に改行のみしか書かれていませんでした。２進数が書き込まれたファイルを指定して読込"
    "ま"
    "せて下さい。";
const std::string kUnreadable = "ファイルを読み込めませんでした。";
const std::string kUnwritable = "何らかの理由でファイル保存出来ませんでした。";

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
  const std::string invalid = "引数が正しくありません / invalid argument: ";
  const std::string seeHelp = "（vornel-convert --help をご覧下さい / see vornel-convert --help）";
  const PipeCase cases[] = {
      {"version", {"--version"}, "", 0, "vornel-convert 2.2.10.11" + kEnd, ""},
      {"an unknown option", {"-x"}, "1\n", 1, "", invalid + "-x" + seeHelp},
      {"--help with more", {"--help", "-"}, "1\n", 1, "", invalid + "--help" + seeHelp},
      {"two line ends", {"--lf", "--crlf"}, "1\n", 1, "", invalid + "--crlf" + seeHelp},
      {"three paths", {"-", "-", "x"}, "1\n", 1, "", invalid + "x" + seeHelp},
      {"--lf", {"--lf"}, "101\r\n11\n", 0, "5\n3\n", ""},
      {"--crlf", {"--crlf", "-", "-"}, "101\n11", 0, "5\r\n3\r\n", ""},
      {"the default line end", {}, "101\n\n11\r\n", 0, Lines({"5", "3"}), ""},
      {"no option after --", {"--", "-x"}, "", 2, "", "-x: " + kUnreadable},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);

  const ConverterRun help = RunConverterProcess({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* part : {"使い方 / Usage:", "vornel-convert [--crlf | --lf] [INPUT [OUTPUT]]",
                           "終了コード / Exit codes:", "7  メモリ不足 / out of memory"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
}

// UTF-16LE bytes of ASCII text.
std::string U16(const std::string& ascii) { return Utf16Bytes(ascii); }

TEST(ConverterTest, TheEncodingIsToldByTheMarkOrTheBytes) {
  const std::string hiragana = "B0";  // U+3042 in UTF-16LE: 0x42 0x30
  // 2100 lines of UTF-16LE "1\n" (8400 bytes) and then U+3042: the first non-zero byte at an
  // odd offset lies beyond the first 4 KiB.
  std::string late;
  for (int k = 0; k < 2100; ++k) late += U16("1\n");
  const std::string lateNonZero = late + hiragana;
  const PipeCase cases[] = {
      {"UTF-16LE with its mark", {}, "\xFF\xFE" + U16("101\r\n1"), 0, Lines({"5", "1"}), ""},
      {"UTF-8 with its mark",
       {},
       "\xEF\xBB\xBF"
       "101\n1",
       0,
       Lines({"5", "1"}),
       ""},
      {"ASCII", {}, "101\n1", 0, Lines({"5", "1"}), ""},
      {"UTF-16LE without a mark", {}, U16("101\n1\n"), 0, Lines({"5", "1"}), ""},
      // Zeros at every odd offset but an odd length: UTF-8, whose NUL is foreign.
      {"odd length", {}, U16("101\n") + "1", 4, "", "標準入力:1:2: " + kForeign},
      {"a non-zero odd byte within 4 KiB",
       {},
       U16("1\n") + hiragana,
       4,
       "",
       "標準入力:1:2: " + kForeign},
      {"a non-zero odd byte beyond 4 KiB", {}, lateNonZero, 4, "", "標準入力:2101:1: " + kForeign},
      {"UTF-8 beyond ASCII", {}, "11\n10あ", 4, "", "標準入力:2:3: " + kForeign},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
}

TEST(ConverterTest, RefusalsSayWhereAndWriteNothing) {
  const std::string tooLong(32, '1');
  const PipeCase cases[] = {
      {"nothing", {}, "", 3, "", "標準入力: " + kEmpty},
      {"only line breaks", {}, "\r\n\n\r\n", 3, "", "標準入力: " + kEmpty},
      {"a foreign character", {}, "1\n\n11\r\n1\r2\n", 4, "", "標準入力:4:3: " + kForeign},
      {"a line too long", {}, "1\n" + tooLong + "\n1\n", 5, "", "標準入力:2: " + kTooLong},
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
       "標準入力:4:1: " + kForeign},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
}

class ConverterFileTest : public ::testing::Test {
 protected:
  fs::path File(const std::string& name, const std::string& bytes) {
    WriteBytes(folder_.path() / name, bytes);
    return folder_.path() / name;
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
      {"a missing input", {missing}, "", 2, "", missing + ": " + kUnreadable},
      {"a folder as input", {folder}, "", 2, "", folder + ": " + kUnreadable},
      {"an output in a missing folder",
       {Path(input), nowhere},
       "",
       6,
       "",
       nowhere + ": " + kUnwritable},
      {"a folder as output", {Path(input), folder}, "", 6, "", folder + ": " + kUnwritable},
  };
  for (const PipeCase& c : cases) ExpectRun(RunConverterProcess(c.arguments, c.input), c);
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "in.txt"}));
  EXPECT_TRUE(fs::is_empty(folder_.path() / "folder"));
}

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
// Japanese.
TEST(ConverterTest, AConsoleShowsTheMessageAsCharacters) {
  EXPECT_EQ(RunConverterOnConsole({}, "1\n2\n"),
            FromUtf8("vornel-convert: 標準入力:2:1: " + kForeign));
}

TEST_F(ConverterFileTest, ALockedInputCannotBeRead) {
  const fs::path input = File("in.txt", "1\n");
  const HANDLE lock = CreateFileW(input.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const ConverterRun run = RunConverterProcess({Path(input)});
  CloseHandle(lock);
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.err, "vornel-convert: " + Path(input) + ": " + kUnreadable + kEnd);
}

#else

TEST_F(ConverterFileTest, ANameThatIsNotUtf8IsOpenedAndNamedAsItIs) {
  const fs::path input = File("\xFF.txt", "1\n2\n");
  const ConverterRun run = RunConverterProcess({Path(input)});
  EXPECT_EQ(run.code, 4);
  EXPECT_EQ(run.err, "vornel-convert: " + Path(input) + ":2:1: " + kForeign + kEnd);
}

#endif

}  // namespace
