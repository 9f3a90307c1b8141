// The installer under wine: a silent per-user install, the installed program started and left
// with Exit, then a silent uninstall that removes the program, its shortcut and its HKCU key
// but leaves the working folders below Documents and what is in them.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <filesystem>
#include <optional>
#include <string>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"

#ifndef VORNEL_VERSION
#error "VORNEL_VERSION must name the version the installer carries"
#endif

namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Vornel Ver2";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vornel";
constexpr Milliseconds kSetupTimeout{120000};

// The installer to test, as a Windows path (the command line's argument).
std::wstring installerPath;

// A known folder of the current user; empty when the system does not name it.
fs::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
  CoTaskMemFree(path);
  return folder;
}

// Runs `commandLine` to its end; its exit code, or nullopt when it did not start or end in time.
std::optional<DWORD> RunToEnd(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  std::optional<DWORD> exitCode;
  DWORD code = 0;
  if (WaitForSingleObject(info.hProcess, static_cast<DWORD>(kSetupTimeout.count())) ==
          WAIT_OBJECT_0 &&
      GetExitCodeProcess(info.hProcess, &code)) {
    exitCode = code;
  }
  CloseHandle(info.hProcess);
  return exitCode;
}

// A string value of the program's uninstall key below HKCU; nullopt when it is not there.
std::optional<std::wstring> UninstallValue(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

bool UninstallKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(documents_.Active()) << "could not point Documents at a private folder";
    // Every test starts without an installation, whatever an earlier run left.
    RemoveInstallation();
    ASSERT_FALSE(fs::exists(installFolder_)) << installFolder_;
  }

  void TearDown() override { RemoveInstallation(); }

  void RemoveInstallation() const {
    std::error_code error;
    fs::remove_all(installFolder_, error);
    fs::remove(shortcut_, error);
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
  }

  // Runs the installer silently to its end; its exit code.
  static std::optional<DWORD> Install() { return RunToEnd(L"\"" + installerPath + L"\" /S"); }

  // The command line that runs the installed uninstaller to its very end, with `arguments`.
  // Started as registered, the uninstaller copies itself to a temporary folder, starts the copy
  // with "_?=" naming the installation folder and ends at once, before the copy has done its
  // work. This does the same, so that the test can wait for the work and see its exit code.
  std::wstring UninstallCommand(const std::wstring& arguments) const {
    const fs::path copy = documents_.Scratch() / L"Uninstall.exe";
    std::error_code error;
    fs::copy_file(uninstaller_, copy, fs::copy_options::overwrite_existing, error);
    // "_?=" comes last and without quotes.
    return L"\"" + copy.wstring() + L"\"" + arguments + L" _?=" + installFolder_.wstring();
  }

  std::optional<DWORD> UninstallSilently() const { return RunToEnd(UninstallCommand(L" /S")); }

  // Holds the lock of the test programs that point Documents elsewhere while it lives.
  PrivateDocuments documents_;
  const fs::path installFolder_ = KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Vornel";
  const fs::path program_ = installFolder_ / L"Vornel.exe";
  const fs::path readme_ = installFolder_ / L"Readme.txt";
  const fs::path uninstaller_ = installFolder_ / L"Uninstall.exe";
  const fs::path shortcut_ = KnownFolder(FOLDERID_Programs) / L"Vornel.lnk";
  const fs::path settings_ = documents_.AppData() / L"temp" / L"Pellow.tmp";
  const fs::path result_ = documents_.AppData() / L"Result" / L"Ostrum.tbin";
};

TEST_F(InstallerTest, InstallsForTheUserAndUninstallsAllButTheDocumentsFolders) {
  ASSERT_EQ(Install(), 0u) << "the silent install failed";
  ASSERT_TRUE(fs::is_regular_file(program_)) << program_;
  EXPECT_TRUE(fs::is_regular_file(readme_));
  EXPECT_TRUE(fs::is_regular_file(shortcut_)) << shortcut_;
  EXPECT_TRUE(fs::is_directory(documents_.Path() / L"Brindlecot"))
      << "the installer did not create the maker's folder below Documents";
  EXPECT_EQ(UninstallValue(L"DisplayVersion"), VORNEL_VERSION);
  EXPECT_EQ(UninstallValue(L"InstallLocation"), installFolder_.wstring());
  EXPECT_EQ(UninstallValue(L"QuietUninstallString"), L"\"" + uninstaller_.wstring() + L"\" /S");

  {
    RunningProgram run(program_.wstring());
    ASSERT_TRUE(run.Started()) << "the installed Vornel.exe did not start";
    const HWND dialog = run.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear";
    EXPECT_EQ(ControlText(dialog, IDC_EDIT_EXE_PATH), program_.wstring());
    Click(dialog, IDC_BTN_EXIT);
    ASSERT_TRUE(run.WaitForExit()) << "the program did not end after Exit";
  }
  // The program made its working folders and wrote its settings there; a result of the user's
  // joins them.
  ASSERT_TRUE(fs::is_regular_file(settings_));
  ASSERT_TRUE(WriteBytes(result_, "1\r\n"));

  // Returns once the uninstaller has done all its work.
  ASSERT_EQ(UninstallSilently(), 0u) << "the silent uninstall failed";
  EXPECT_FALSE(fs::exists(installFolder_)) << "the installation folder is still there";
  EXPECT_FALSE(fs::exists(shortcut_));
  EXPECT_FALSE(UninstallKeyExists());
  EXPECT_EQ(ReadBytes(result_), "1\r\n");
  EXPECT_TRUE(fs::is_regular_file(settings_));
  EXPECT_TRUE(fs::is_directory(documents_.AppData()));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fputws(L"usage: vornel_installer_tests <the installer as a Windows path>\n", stderr);
    return 2;
  }
  installerPath = argv[1];
  return RUN_ALL_TESTS();
}
