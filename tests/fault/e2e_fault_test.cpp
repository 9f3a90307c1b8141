// The real Vornel.exe under faults, as a calling program and a user meet it (under wine):
// a batch run ended by TerminateProcess at several moments, and Documents folders whose
// paths hold Japanese characters or run longer than 260 characters.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the shell headers rely on its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"
#include "tests/e2e_batch/calling_program.h"
#include "tests/support/kill_moments.h"
#include "tests/support/text_bytes.h"

namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Vornel Ver2";
const std::string kLargestLine = std::string(31, '1') + "\r\n";
const std::string kLargestValue = "2147483647\r\n";
const std::string kEarlier = "an earlier result\r\n";

// The form of a path that the C++ library and the file API take at any length.
fs::path Long(const fs::path& path) { return fs::path(L"\\\\?\\" + path.wstring()); }

// --- killed in the middle of a batch run -------------------------------------------------

TEST(FaultE2eTest, ATerminatedBatchRunNeverShowsAPartialResultAndTheNextStartFinishes) {
  HandOffDocuments documents;
  ASSERT_TRUE(documents.Ready()) << "could not set up a private Documents folder";
  constexpr std::size_t kLines = 4'000'000;  // 250 MB of input, 48 MB of result
  const std::string input = kUtf16Mark + Repeat(Utf16Bytes(kLargestLine), kLines);
  const std::string result = Repeat(kLargestValue, kLines);
  int terminatedBeforeTheEnd = 0;
  for (const KillCase& c : kKillCases) {
    SCOPED_TRACE(c.name);
    if (!fs::exists(documents.Input())) {
      ASSERT_TRUE(WriteBytes(documents.Input(), input));
    }
    ASSERT_TRUE(WriteBytes(documents.Output(), kEarlier));
    {
      VornelRun run;
      ASSERT_TRUE(run.Started()) << "Vornel.exe did not start";
      const auto deadline = std::chrono::steady_clock::now() + kWaitTimeout;
      for (;;) {
        // The result file is always the earlier one or the complete new one.
        const std::uintmax_t shown = FileSize(documents.Output());
        ASSERT_TRUE(shown == kEarlier.size() || shown == result.size()) << shown << " bytes";
        const bool now =
            MomentCame(c.when, UnfinishedResultsIn(documents.ResultFolder()), shown, result.size());
        // A run that ends before the moment has come is not terminated.
        if (now || run.Ended()) break;
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the moment never came";
        Sleep(1);
      }
      if (!run.Ended()) {
        ASSERT_TRUE(TerminateProcess(run.Process(), 9));
        ++terminatedBeforeTheEnd;
      }
      ASSERT_TRUE(run.WaitForEndWatchingWindows());
    }
    const std::optional<std::string> shown = ReadShared(documents.Output());
    ASSERT_TRUE(shown.has_value());
    EXPECT_TRUE(*shown == kEarlier || *shown == result) << shown->size() << " bytes";
    if (fs::exists(documents.Input())) {
      EXPECT_EQ(ReadShared(documents.Input()), input);
      // The next start finishes the job.
      VornelRun next;
      ASSERT_TRUE(next.Started());
      ASSERT_TRUE(next.WaitForEndWatchingWindows()) << "the next start did not end by itself";
      EXPECT_FALSE(fs::exists(documents.Input()));
    }
    EXPECT_TRUE(ReadShared(documents.Output()) == result) << "the result is not complete";
    EXPECT_EQ(NamesIn(documents.ResultFolder()), std::vector<std::string>{"Ostrum.tbin"});
  }
  EXPECT_GE(terminatedBeforeTheEnd, 4);
  std::printf("terminated at %zu moments, %d of them before the run ended\n", std::size(kKillCases),
              terminatedBeforeTheEnd);
}

// --- unusual Documents folders -------------------------------------------------------------

// The Documents folder as programs look it up right now; empty when the lookup fails.
std::wstring DocumentsLookedUp() {
  PWSTR path = nullptr;
  std::wstring found;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DONT_VERIFY, nullptr, &path))) {
    found = path;
  }
  CoTaskMemFree(path);
  return found;
}

// Points the user's Documents folder at `below` inside a private
// folder while it lives, with the maker's folder "Brindlecot" in it. With `length`, the last
// folder's name is padded so that the Documents path has that many characters.
class DocumentsAt {
 public:
  // base_ holds the lock, keeps the user's value and removes the folders at any length.
  DocumentsAt(const fs::path& below, std::size_t length) {
    if (!base_.Active()) return;
    std::wstring path = (base_.Scratch() / below).wstring();
    if (path.size() < length) path += std::wstring(length - path.size(), L'_');
    path_ = path;
    std::error_code error;
    fs::create_directories(Long(path_ / L"Brindlecot"), error);
    // Only when programs will find exactly this folder: never the user's own.
    ready_ = !error && SetDocumentsValue(path_.wstring()) && DocumentsLookedUp() == path;
  }
  DocumentsAt(const DocumentsAt&) = delete;
  DocumentsAt& operator=(const DocumentsAt&) = delete;

  bool Ready() const { return ready_; }
  const fs::path& Path() const { return path_; }

 private:
  PrivateDocuments base_;
  fs::path path_;
  bool ready_ = false;
};

// The longest Documents folder that can be set up here: wine's known-folder lookup gives at
// most 259 characters and falls back to the default folder for a longer value. The
// program's own paths below it run past 300 characters.
constexpr std::size_t kLongestDocuments = 259;

fs::path Repeated(const std::wstring& component, int times) {
  fs::path path;
  for (int k = 0; k < times; ++k)
    path /= component + std::wstring(1, static_cast<wchar_t>(L'a' + k));
  return path;
}

struct DocumentsCase {
  const char* name;
  fs::path below;
  std::size_t length = 0;  // of the Documents path; 0: as it comes
};

class DocumentsE2eTest : public ::testing::TestWithParam<DocumentsCase> {};

void PrintTo(const DocumentsCase& c, std::ostream* out) { *out << c.name; }

TEST_P(DocumentsE2eTest, TheProgramWorksThere) {
  DocumentsAt documents(GetParam().below, GetParam().length);
  ASSERT_TRUE(documents.Ready()) << "could not point Documents at the folder";
  if (GetParam().length != 0) {
    ASSERT_EQ(documents.Path().wstring().size(), GetParam().length);
  }
  const fs::path appData = documents.Path() / L"Brindlecot" / L"Tavernic";
  const fs::path handOff = appData / L"AutoFile";
  const fs::path settings = appData / L"temp" / L"Pellow.tmp";
  const fs::path output = appData / L"Result" / L"Ostrum.tbin";
  {
    SCOPED_TRACE("first start: the folders, switching automatic processing on, Exit");
    RunningProgram program(ProgramPath());
    ASSERT_TRUE(program.Started());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear: Vornel.exe " << program.Fate();
    EXPECT_TRUE(fs::is_directory(Long(appData / L"Result")));
    EXPECT_TRUE(fs::is_directory(Long(appData / L"temp")));
    Click(dialog, IDC_CHK_AUTO);
    const std::optional<OwnedDialog> box = WaitForMessageBox(dialog);
    ASSERT_TRUE(box.has_value()) << "no message box appeared";
    EXPECT_EQ(box->text, L"自動処理設定用ディレクトリーを作成しました。");
    ASSERT_TRUE(PressOk(box->window));
    ASSERT_TRUE(WaitUntil([&] { return ControlVisible(dialog, IDC_CHK_MESSAGES); }));
    Click(dialog, IDC_BTN_EXIT);
    ASSERT_TRUE(program.WaitForExit()) << "the program did not end after Exit";
    EXPECT_TRUE(fs::is_directory(Long(handOff)));
    EXPECT_EQ(ReadBytes(Long(settings)), "1\r\n0");
  }
  {
    SCOPED_TRACE("second start: a batch run");
    ASSERT_TRUE(WriteBytes(Long(handOff / L"Quillet.tbin"), Utf16WithMark("1101\r\n\r\n10\r\n")));
    VornelRun run;
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.WaitForEndWatchingWindows()) << "the batch run did not end by itself";
    EXPECT_TRUE(run.WindowsSeen().empty()) << "a window appeared";
    EXPECT_EQ(ReadBytes(Long(output)), "13\r\n2\r\n");
    EXPECT_FALSE(fs::exists(Long(handOff / L"Quillet.tbin")));
  }
  {
    SCOPED_TRACE("third start, the hand-off folder removed: Exit saves the settings");
    ASSERT_TRUE(fs::remove(Long(handOff)));
    RunningProgram program(ProgramPath());
    ASSERT_TRUE(program.Started());
    const HWND dialog = program.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear: Vornel.exe " << program.Fate();
    EXPECT_EQ(ControlCheck(dialog, IDC_CHK_AUTO), BST_UNCHECKED);
    Click(dialog, IDC_BTN_EXIT);
    ASSERT_TRUE(program.WaitForExit()) << "the program did not end after Exit";
    EXPECT_EQ(ReadBytes(Long(settings)), "0\r\n0");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fault, DocumentsE2eTest,
    ::testing::Values(DocumentsCase{"Japanese", fs::path(L"ユーザー 山田") / L"ドキュメント"},
                      DocumentsCase{"Long",
                                    Repeated(L"a-folder-name-of-forty-six-characters-in-all-", 4),
                                    kLongestDocuments},
                      DocumentsCase{"LongJapanese",
                                    Repeated(L"とても長い名前のフォルダーです番号", 10),
                                    kLongestDocuments}),
    [](const ::testing::TestParamInfo<DocumentsCase>& info) { return info.param.name; });

}  // namespace
