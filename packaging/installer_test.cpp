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

TEST(InstallerTest, InstallsForTheUserAndUninstallsAllButTheDocumentsFolders) {
  // Holds the lock of the test programs that point Documents elsewhere while it lives.
  PrivateDocuments documents;
  ASSERT_TRUE(documents.Active()) << "could not point Documents at a private folder";
  const fs::path installFolder = KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Vornel";
  const fs::path program = installFolder / L"Vornel.exe";
  const fs::path shortcut = KnownFolder(FOLDERID_Programs) / L"Vornel.lnk";

  ASSERT_EQ(RunToEnd(L"\"" + installerPath + L"\" /S"), 0u) << "the silent install failed";
  ASSERT_TRUE(fs::is_regular_file(program)) << program;
  EXPECT_TRUE(fs::is_regular_file(installFolder / L"Readme.txt"));
  EXPECT_TRUE(fs::is_regular_file(shortcut)) << shortcut;
  EXPECT_TRUE(fs::is_directory(documents.Path() / L"Brindlecot"))
      << "the installer did not create the maker's folder below Documents";
  EXPECT_EQ(UninstallValue(L"DisplayVersion"), VORNEL_VERSION);
  EXPECT_EQ(UninstallValue(L"InstallLocation"), installFolder.wstring());
  const std::optional<std::wstring> uninstall = UninstallValue(L"QuietUninstallString");
  ASSERT_TRUE(uninstall.has_value()) << "no uninstaller registered under HKCU";

  {
    RunningProgram run(program.wstring());
    ASSERT_TRUE(run.Started()) << "the installed Vornel.exe did not start";
    const HWND dialog = run.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear";
    EXPECT_EQ(ControlText(dialog, IDC_EDIT_EXE_PATH), program.wstring());
    Click(dialog, IDC_BTN_EXIT);
    ASSERT_TRUE(run.WaitForExit()) << "the program did not end after Exit";
  }
  // The program made its working folders and wrote its settings there; a result of the user's
  // joins them.
  const fs::path settings = documents.AppData() / L"temp" / L"Pellow.tmp";
  const fs::path result = documents.AppData() / L"Result" / L"Ostrum.tbin";
  ASSERT_TRUE(fs::is_regular_file(settings));
  ASSERT_TRUE(WriteBytes(result, "1\r\n"));

  ASSERT_EQ(RunToEnd(*uninstall), 0u) << "the silent uninstall failed";
  // The uninstaller goes on in a copy of itself after the one started has ended.
  EXPECT_TRUE(WaitUntil([&] { return !fs::exists(installFolder); }, kSetupTimeout))
      << "the installation folder is still there";
  EXPECT_FALSE(fs::exists(shortcut));
  EXPECT_FALSE(UninstallKeyExists());
  EXPECT_EQ(ReadBytes(result), "1\r\n");
  EXPECT_TRUE(fs::is_regular_file(settings));
  EXPECT_TRUE(fs::is_directory(documents.Path() / L"Brindlecot" / L"Tavernic"));
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
