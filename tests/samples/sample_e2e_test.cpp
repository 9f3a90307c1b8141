// The sample calling program convert_with_vornel, run as its readers would run it: a list file
// and the full path of the real Vornel.exe, in the private Documents folder of the batch
// end-to-end tests. What it prints, its exit code and the files it leaves are checked.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e_batch/calling_program.h"
#include "tests/support/text_bytes.h"

#ifndef VORNEL_SAMPLE_PATH
#error "VORNEL_SAMPLE_PATH must name the sample calling program under test"
#endif

namespace {

namespace fs = std::filesystem;

constexpr DWORD kSampleTimeoutMs = 120000;
// The sample's exit codes.
constexpr DWORD kConverted = 0;
constexpr DWORD kAutomaticProcessingOff = 2;
constexpr DWORD kInputWaiting = 3;
constexpr DWORD kRefused = 5;

const std::string kEarlierResult = "an earlier result\r\n";

// The Windows name of a file of this build (built on Linux: wine knows it).
std::wstring WindowsPathOf(const std::string& built) {
  // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
  using ToDosName = WCHAR*(CDECL*)(const char*);
  const auto toDos = reinterpret_cast<ToDosName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos != nullptr && !built.empty() && built.front() == '/') {
    if (WCHAR* dos = toDos(built.c_str())) {
      std::wstring path(dos);
      HeapFree(GetProcessHeap(), 0, dos);
      return path;
    }
  }
  return fs::path(built).make_preferred().wstring();
}

// A file that the started sample inherits as its standard output or error. Its handle may
// outlive the sample: under wine, a Vornel.exe that opens the first window of the session
// starts the desktop process, which inherits Vornel's standard error, the sample's, and keeps
// it open. So every run of the sample gets files of its own.
HANDLE InheritableFile(const fs::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

struct SampleRun {
  DWORD exitCode = 0;
  std::string output;  // standard output, CR removed
  std::string errors;  // standard error
};

class SampleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(documents_.Ready()) << "could not set up a private Documents folder";
    ASSERT_TRUE(WriteBytes(documents_.Output(), kEarlierResult));
  }

  fs::path Documents() const { return documents_.AppData().parent_path().parent_path(); }

  // Runs the sample on a list file holding `listBytes` and waits for its end.
  SampleRun RunSample(const std::string& listBytes) {
    const fs::path list = Documents() / L"numbers.txt";
    const std::wstring number = std::to_wstring(++runs_);
    const fs::path output = Documents() / (L"sample-output-" + number + L".txt");
    const fs::path errors = Documents() / (L"sample-errors-" + number + L".txt");
    EXPECT_TRUE(WriteBytes(list, listBytes));
    const std::wstring sample = WindowsPathOf(VORNEL_SAMPLE_PATH);
    std::wstring commandLine =
        L"\"" + sample + L"\" \"" + list.wstring() + L"\" \"" + ProgramPath() + L"\"";

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = InheritableFile(output);
    startup.hStdError = InheritableFile(errors);
    EXPECT_NE(startup.hStdOutput, INVALID_HANDLE_VALUE) << "cannot create " << output;
    EXPECT_NE(startup.hStdError, INVALID_HANDLE_VALUE) << "cannot create " << errors;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(sample.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process) != 0;
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    SampleRun run;
    EXPECT_TRUE(started) << "the sample did not start: error " << GetLastError();
    if (!started) return run;
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, kSampleTimeoutMs) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the sample did not end";
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, kSampleTimeoutMs);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    run.output = WithoutCarriageReturns(ReadBytes(output));
    run.errors = ReadBytes(errors);
    return run;
  }

  // Nothing is left in the hand-off folder.
  void ExpectHandOffFolderEmpty() {
    EXPECT_TRUE(fs::is_directory(documents_.HandOffFolder()));
    EXPECT_TRUE(fs::is_empty(documents_.HandOffFolder())) << "something was left for Vornel";
  }

  HandOffDocuments documents_;
  int runs_ = 0;  // of the sample, in this test
};

struct ListCase {
  const char* name;
  std::string listBytes;
  DWORD exitCode;
  std::string printed;  // standard output, one number a line
  std::string result;   // Ostrum.tbin afterwards
};

TEST_F(SampleTest, ConvertsAListOrReportsItsRefusal) {
  const ListCase cases[] = {
      {"UTF-8 list, a blank line, the largest value, leading zeros",
       "101\r\n0\r\n\r\n1111111111111111111111111111111\r\n0001", kConverted,
       "5\n0\n2147483647\n1\n", "5\r\n0\r\n2147483647\r\n1\r\n"},
      {"UTF-16LE list with LF line ends", Utf16WithMark("1010\n11\n"), kConverted, "10\n3\n",
       "10\r\n3\r\n"},
      {"a 2 refuses the whole list", "101\r\n102\r\n1\r\n", kRefused, "", kEarlierResult},
      {"a line of 32 digits refuses the whole list", "1\r\n" + std::string(32, '0') + "\r\n",
       kRefused, "", kEarlierResult},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteBytes(documents_.Output(), kEarlierResult));
    const SampleRun run = RunSample(c.listBytes);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
    EXPECT_EQ(run.output, c.printed);
    EXPECT_EQ(ReadBytes(documents_.Output()), c.result);
    ExpectHandOffFolderEmpty();
    EXPECT_EQ(run.errors.empty(), c.exitCode == kConverted) << run.errors;
  }
}

TEST_F(SampleTest, WithoutTheHandOffFolderVornelIsNotStarted) {
  ASSERT_TRUE(fs::remove(documents_.HandOffFolder()));
  // Started, Vornel would open its dialog and the sample would wait for it in vain.
  const SampleRun run = RunSample("101\r\n");
  EXPECT_EQ(run.exitCode, kAutomaticProcessingOff) << run.errors;
  EXPECT_EQ(run.output, "");
  EXPECT_FALSE(fs::exists(documents_.HandOffFolder()));
  EXPECT_EQ(ReadBytes(documents_.Output()), kEarlierResult);
}

TEST_F(SampleTest, AnInputWaitingInTheHandOffFolderIsLeftAlone) {
  const std::string waiting = Utf16WithMark("11\r\n");
  ASSERT_TRUE(WriteBytes(documents_.Input(), waiting));
  const SampleRun run = RunSample("101\r\n");
  EXPECT_EQ(run.exitCode, kInputWaiting) << run.errors;
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(ReadBytes(documents_.Input()), waiting);
  EXPECT_EQ(ReadBytes(documents_.Output()), kEarlierResult);
}

}  // namespace
