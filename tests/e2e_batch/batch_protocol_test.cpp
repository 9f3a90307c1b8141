// The automatic-processing protocol as a calling program sees it: the real Vornel.exe under
// wine, started by its full path on an input file in the hand-off folder of a private
// Documents folder. The outcome is read from the files alone, as a calling program must.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e_batch/calling_program.h"
#include "tests/support/hand_off_checks.h"
#include "tests/support/text_bytes.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kCompleted = L"処理を完了しました。";
const std::wstring kMissing =
    L"２進数が記述された「Quillet.tbin」ファイルが有りません。\r\n処理を中止します。";
const std::wstring kEmpty =
    L"２進数が記述された「Quillet.tbin」ファイルの中身が空です。\r\n処理を中止します。";
const std::wstring kForeign =
    L"２進数が記述された「Quillet.tbin」ファイルに、数値以外の文字が書かれていました。\r\n"
    L"処理を中止します。";
const std::wstring kUnreadable =
    L"２進数が記述された「Quillet.tbin」ファイルを読み込めませんでした。\r\n処理を中止します。";
const std::wstring kUnwritable =
    L"処理結果の「Ostrum.tbin」ファイルを書き込めませんでした。\r\n処理を中止します。";
const std::wstring kTooLong =
    L"計算できる最大値の2147483647を超えました。2147483647以下の２進数値で実行して下さい。\r\n"
    L"処理を中止します。";

// A result left by an earlier run, longer than every new one: a new result written over it
// in place instead of replacing it would leave its tail.
const std::string kEarlierResult = "an earlier result, longer than the new ones\r\n";

std::string ThirtyTwoZeros() { return std::string(32, '0'); }

// A file held open by another program for as long as the object lives.
class HeldFile {
 public:
  HeldFile(const fs::path& path, DWORD access, DWORD sharing)
      : handle_(CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

class BatchProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(documents_.Ready()) << "could not set up a private Documents folder";
  }

  const fs::path& Input() const { return input_; }
  const fs::path& Output() const { return output_; }

  void WriteInput(const std::string& bytes) { ASSERT_TRUE(WriteBytes(input_, bytes)); }
  void WriteEarlierResult() { ASSERT_TRUE(WriteBytes(output_, kEarlierResult)); }

  // Starts the program and waits for it to end by itself, as a calling program does.
  void RunUnattended() {
    VornelRun run;
    ASSERT_TRUE(run.Started()) << "Vornel.exe did not start";
    ASSERT_TRUE(run.WaitForEndWatchingWindows()) << "the batch run did not end by itself";
    EXPECT_EQ(run.ExitCode(), 0u);
    windowsSeen_ = run.WindowsSeen();
  }

  // Starts the program with the message gate open and expects exactly one message box with
  // `text`. `whileShown` checks the files while the box waits; then the test answers it and
  // the program must end.
  static void RunAnsweringOneMessage(
      const std::wstring& text, const std::function<void()>& whileShown = [] {}) {
    VornelRun run;
    ASSERT_TRUE(run.Started()) << "Vornel.exe did not start";
    const std::optional<MessageBoxSeen> box = run.WaitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message box appeared";
    EXPECT_EQ(box->caption, L"Vornel");
    EXPECT_EQ(box->text, text);
    // The box is the only window on screen: the dialog never shows in a batch run.
    EXPECT_EQ(VisibleWindowClassesOf(run.Id()), std::vector<std::wstring>{L"#32770"});
    whileShown();
    Answer(*box);
    ASSERT_TRUE(run.WaitForEndWatchingWindows()) << "the program did not end after the box";
    EXPECT_EQ(run.ExitCode(), 0u);
  }

  void ExpectUntouched(const std::string& inputBytes) {
    ExpectHandOffUntouched(ProgramFolders(documents_.Path()), inputBytes, kEarlierResult);
  }

  void ExpectConverted(const std::string& result) {
    ExpectHandOffConverted(ProgramFolders(documents_.Path()), result);
  }

  HandOffDocuments documents_;
  const fs::path input_ = documents_.Input();
  const fs::path output_ = documents_.Output();
  std::vector<std::wstring> windowsSeen_;
};

struct ConvertedCase {
  const char* name;
  std::string inputBytes;
  std::string result;
};

TEST_F(BatchProtocolTest, ConvertsTheInputReplacesTheResultAndDeletesTheInput) {
  const std::string lastValue = "2147483647\r\n";
  const ConvertedCase cases[] = {
      {"blank lines dropped", Utf16WithMark("\r\n1\r\n\r\n\r\n110\r\n\r\n"), "1\r\n6\r\n"},
      {"final line with a line break", Utf16WithMark("101\r\n11\r\n"), "5\r\n3\r\n"},
      {"final line without a line break", Utf16WithMark("101\r\n11"), "5\r\n3\r\n"},
      {"UTF-16LE without its mark", Utf16Bytes("101\r\n11"), "5\r\n3\r\n"},
      {"UTF-8, LF line ends", Utf8WithMark("1\n\n10\n"), "1\r\n2\r\n"},
      {"UTF-8, final line without a line break", Utf8WithMark("1\r\n10"), "1\r\n2\r\n"},
      {"thirty-one digits",
       Utf16WithMark(std::string(31, '1') + "\r\n" + std::string(28, '0') + "101"),
       lastValue + "5\r\n"},
      {"only blank lines: an empty result", Utf16WithMark("\r\n\r\n"), ""},
  };
  for (const ConvertedCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteEarlierResult();
    WriteInput(c.inputBytes);
    ASSERT_NO_FATAL_FAILURE(RunUnattended());
    EXPECT_TRUE(windowsSeen_.empty()) << "a window appeared";
    ExpectConverted(c.result);
  }
}

struct RefusedCase {
  const char* name;
  std::string inputBytes;
};

TEST_F(BatchProtocolTest, RefusesUnusableInputsWithoutShowingAnything) {
  ASSERT_TRUE(documents_.WriteSettings("1\r\n0"));  // messages switched off
  const RefusedCase cases[] = {
      {"a line of 32 characters", Utf16WithMark("1\r\n" + ThirtyTwoZeros() + "\r\n1\r\n")},
      {"a line of 32 characters, UTF-8", Utf8WithMark(ThirtyTwoZeros() + "1")},
      {"a space", Utf16WithMark("10 1\r\n")},
      {"a full-width digit", std::string("\xFF\xFE\x31\x00\x11\xFF", 6)},
      {"a sign", Utf8WithMark("1\r\n-1\r\n")},
      {"UTF-8 without its mark", "1\r\n10\r\n"},
      {"zero bytes", ""},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteEarlierResult();
    WriteInput(c.inputBytes);
    ASSERT_NO_FATAL_FAILURE(RunUnattended());
    EXPECT_TRUE(windowsSeen_.empty()) << "a window appeared";
    ExpectUntouched(c.inputBytes);
  }
}

TEST_F(BatchProtocolTest, AClosedGateShowsNoWindowWhateverTheOutcome) {
  // No settings file, "1" CR LF "0" and "0" CR LF "1": the gate is closed in each.
  const char* const settings[] = {nullptr, "1\r\n0", "0\r\n1"};
  for (const char* setting : settings) {
    SCOPED_TRACE(setting == nullptr ? "no settings file" : setting);
    std::error_code error;
    fs::remove(documents_.SettingsFile(), error);
    if (setting != nullptr) {
      ASSERT_TRUE(documents_.WriteSettings(setting));
    }
    for (const std::string& input : {Utf16WithMark("11\r\n"), Utf16WithMark("12\r\n")}) {
      WriteEarlierResult();
      WriteInput(input);
      ASSERT_NO_FATAL_FAILURE(RunUnattended());
      EXPECT_TRUE(windowsSeen_.empty()) << "a window appeared";
    }
  }
}

TEST_F(BatchProtocolTest, AReadOnlyInputIsConvertedAndDeleted) {
  WriteInput(Utf16WithMark("11\r\n"));
  ASSERT_TRUE(SetFileAttributesW(Input().c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_NO_FATAL_FAILURE(RunUnattended());
  ExpectConverted("3\r\n");
}

TEST_F(BatchProtocolTest, AFolderNamedLikeTheInputCountsAsMissing) {
  fs::create_directories(Input() / L"inner");
  WriteEarlierResult();
  ASSERT_NO_FATAL_FAILURE(RunUnattended());
  EXPECT_TRUE(fs::is_directory(Input() / L"inner"));
  EXPECT_EQ(ReadBytes(Output()), kEarlierResult);
}

TEST_F(BatchProtocolTest, AnInputStillOpenForWritingIsLeftForTheNextStart) {
  const std::string input = Utf16WithMark("101\r\n");
  WriteInput(input);
  WriteEarlierResult();
  {
    // Its producer is still writing it: what is there may be only a part.
    HeldFile producer(Input(), GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(producer.Held());
    ASSERT_NO_FATAL_FAILURE(RunUnattended());
    EXPECT_TRUE(windowsSeen_.empty()) << "a window appeared";
  }
  ExpectUntouched(input);
  ASSERT_NO_FATAL_FAILURE(RunUnattended());
  ExpectConverted("5\r\n");
}

struct HeldResultCase {
  const char* name;
  DWORD sharing;   // what the reader of the earlier result lets others do meanwhile
  bool converted;  // whether the run writes the result into the open file
};

TEST_F(BatchProtocolTest, AResultHeldOpenByAReaderIsWrittenInPlaceOnlyWhenItSharesWriting) {
  const HeldResultCase cases[] = {
      {"a reader sharing reading and writing, not deletion", FILE_SHARE_READ | FILE_SHARE_WRITE,
       true},
      {"a reader sharing nothing", 0, false},
  };
  for (const HeldResultCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = Utf16WithMark("101\r\n");
    WriteInput(input);
    WriteEarlierResult();
    {
      HeldFile reader(Output(), GENERIC_READ, c.sharing);
      ASSERT_TRUE(reader.Held());
      ASSERT_NO_FATAL_FAILURE(RunUnattended());
      EXPECT_TRUE(windowsSeen_.empty()) << "a window appeared";
    }
    if (!c.converted) {
      ExpectUntouched(input);
      ASSERT_NO_FATAL_FAILURE(RunUnattended());  // the next start converts it
    }
    ExpectConverted("5\r\n");
  }
}

TEST_F(BatchProtocolTest, AnOpenGateShowsTheCompletionAfterTheFilesAreDone) {
  ASSERT_TRUE(documents_.WriteSettings("1\r\n1"));
  WriteEarlierResult();
  WriteInput(Utf16WithMark("110\r\n\r\n1"));
  ASSERT_NO_FATAL_FAILURE(RunAnsweringOneMessage(kCompleted, [&] {
    // While the box waits for the user, the calling program may already use the result.
    EXPECT_FALSE(fs::exists(Input()));
    EXPECT_EQ(ReadBytes(Output()), "6\r\n1\r\n");
  }));
  ExpectConverted("6\r\n1\r\n");
}

struct GatedRefusal {
  const char* name;
  std::string inputBytes;  // written unless `noInput`
  std::wstring message;
  bool noInput = false;
};

TEST_F(BatchProtocolTest, AnOpenGateShowsWhyTheInputWasRefused) {
  ASSERT_TRUE(documents_.WriteSettings("1\r\n1"));
  const GatedRefusal cases[] = {
      {"no input", "", kMissing, true},
      {"zero bytes", "", kEmpty},
      {"a foreign character", Utf16WithMark("1\r\n1a\r\n"), kForeign},
      {"a line of 32 characters", Utf16WithMark(ThirtyTwoZeros()), kTooLong},
  };
  for (const GatedRefusal& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    fs::remove(Input(), error);
    if (!c.noInput) WriteInput(c.inputBytes);
    WriteEarlierResult();
    ASSERT_NO_FATAL_FAILURE(RunAnsweringOneMessage(c.message));
    if (c.noInput) {
      EXPECT_FALSE(fs::exists(Input()));
      EXPECT_EQ(ReadBytes(Output()), kEarlierResult);
    } else {
      ExpectUntouched(c.inputBytes);
    }
  }
}

TEST_F(BatchProtocolTest, AnOpenGateNamesTheFileThatCouldNotBeUsed) {
  ASSERT_TRUE(documents_.WriteSettings("1\r\n1"));
  const std::string input = Utf16WithMark("1\r\n");
  WriteInput(input);
  WriteEarlierResult();
  {
    HeldFile producer(Input(), GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_TRUE(producer.Held());
    ASSERT_NO_FATAL_FAILURE(RunAnsweringOneMessage(kUnreadable));
  }
  ExpectUntouched(input);
  {
    HeldFile reader(Output(), GENERIC_READ, 0);
    ASSERT_TRUE(reader.Held());
    ASSERT_NO_FATAL_FAILURE(RunAnsweringOneMessage(kUnwritable));
  }
  ExpectUntouched(input);
}

}  // namespace
