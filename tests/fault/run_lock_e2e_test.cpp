// Batch runs take turns through a lock file in the working folders, whoever holds it and
// wherever (under wine): another process that holds the file open makes a start wait and, once
// the wait is over, refuse with its message, keeping the input; a holder that is killed lets
// the waiting start go on.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "tests/e2e/program_driver.h"
#include "tests/e2e_batch/calling_program.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/text_bytes.h"

namespace {

namespace fs = std::filesystem;

// Another process that holds `lockFile` open without sharing until it is killed (at the end
// of the test at the latest).
class LockHolder {
 public:
  explicit LockHolder(const fs::path& lockFile) {
    const std::wstring program = BuiltPath(VORNEL_LOCK_HOLDER);
    std::wstring commandLine = L"\"" + program + L"\" \"" + lockFile.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
      return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    // The holder opens the file as it creates it: once it exists, it is held.
    WaitUntil([&] { return fs::exists(lockFile) || !Running(); });
    holds_ = fs::exists(lockFile) && Running();
  }
  ~LockHolder() {
    if (process_ == nullptr) return;
    Kill();
    CloseHandle(process_);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool Holds() const { return holds_; }
  // Ends the holder at once, as a crash or the task manager would; whether it ended.
  bool Kill() {
    TerminateProcess(process_, 9);
    return WaitForSingleObject(process_, static_cast<DWORD>(kWaitTimeout.count())) == WAIT_OBJECT_0;
  }

 private:
  bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

  HANDLE process_ = nullptr;
  bool holds_ = false;
};

TEST(RunLockE2eTest, AStartOutwaitedByAnotherProcessHoldingTheLockSaysSoAndKeepsTheInput) {
  DialogRig rig;
  fs::create_directories(rig.HandOff());
  fs::create_directories(rig.program.result);
  rig.WriteSettings("1\r\n1");  // messages on
  const std::string input = Utf16WithMark("11\r\n");
  ASSERT_TRUE(WriteBytes(rig.Input(), input));
  LockHolder holder(rig.program.temp / "AutoFile.lock");
  ASSERT_TRUE(holder.Holds());

  constexpr std::chrono::milliseconds kWait{1000};
  rig.dialog.SetBatchLockWait(kWait);
  const auto start = std::chrono::steady_clock::now();
  rig.Start();
  EXPECT_GE(std::chrono::steady_clock::now() - start, kWait) << "the start did not wait";
  EXPECT_EQ(rig.window.endResult, -1);
  ASSERT_EQ(rig.window.boxes.size(), 1u);
  EXPECT_EQ(rig.window.boxes[0].text, u"別の自動処理が実行中のため、処理を中止します。");
  EXPECT_EQ(ReadBytes(rig.Input()), input);
  EXPECT_FALSE(fs::exists(rig.Output()));
}

TEST(RunLockE2eTest, AStartWaitsForAnotherProcessHoldingTheLockAndGoesOnWhenItIsKilled) {
  HandOffDocuments documents;
  ASSERT_TRUE(documents.Ready()) << "could not set up a private Documents folder";
  const fs::path temp = documents.AppData() / L"temp";
  fs::create_directories(temp);
  const std::string input = Utf16WithMark("1101\r\n");
  ASSERT_TRUE(WriteBytes(documents.Input(), input));
  LockHolder holder(temp / L"AutoFile.lock");
  ASSERT_TRUE(holder.Holds());

  VornelRun run;
  ASSERT_TRUE(run.Started()) << "Vornel.exe did not start";
  // Without the lock a start converts this input within a second or two.
  EXPECT_FALSE(run.WaitForEndWatchingWindows(Milliseconds(5000))) << "the start did not wait";
  EXPECT_EQ(ReadShared(documents.Input()), input);
  EXPECT_FALSE(fs::exists(documents.Output()));

  ASSERT_TRUE(holder.Kill());
  ASSERT_TRUE(run.WaitForEndWatchingWindows()) << "the start did not go on after the holder died";
  EXPECT_TRUE(run.WindowsSeen().empty()) << "a window appeared";
  EXPECT_EQ(ReadBytes(documents.Output()), "13\r\n");
  EXPECT_FALSE(fs::exists(documents.Input()));
  // The lock file goes with its last holder.
  EXPECT_FALSE(fs::exists(temp / L"AutoFile.lock"));
}

}  // namespace
