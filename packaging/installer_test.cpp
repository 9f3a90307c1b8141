// The installer under wine: a silent per-user install, the installed program started and left
// with Exit, then a silent uninstall that removes the program, its shortcut and its HKCU key
// but leaves the working folders below Documents and what is in them. Installing over an
// installed version, older or the same, upgrades it in place. While the installed Vornel runs,
// neither the installer nor the uninstaller changes anything: they ask the user to close it,
// and a silent run fails.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/private_documents.h"
#include "tests/e2e/program_driver.h"

#ifndef VORNEL_VERSION
#error "VORNEL_VERSION must name the version the installer carries"
#endif

namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Vornel Ver2";
constexpr wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vornel";
constexpr Milliseconds kSetupTimeout{120000};
// The exit code of an installer or uninstaller that stopped because Vornel runs.
constexpr DWORD kExitProgramRunning = 2;
constexpr int kMessageBoxTextId = 0xFFFF;
const std::wstring kRunningJapanese =
    L"Vornel が実行中です。Vornel を終了してから、もう一度お試し下さい。";
const std::wstring kRunningEnglish = L"Vornel is running. Please close Vornel and try again.";

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

// One run of the installer or of the uninstaller; a run still going at destruction is
// terminated.
class SetupRun {
 public:
  explicit SetupRun(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
      id_ = info.dwProcessId;
    }
  }
  ~SetupRun() {
    if (process_ == nullptr) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, static_cast<DWORD>(kSetupTimeout.count()));
    }
    CloseHandle(process_);
  }
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;

  DWORD Id() const { return id_; }
  // The exit code once the process has ended; nullopt when it did not start or end in time.
  std::optional<DWORD> WaitForEnd() const {
    DWORD code = 0;
    if (process_ == nullptr ||
        WaitForSingleObject(process_, static_cast<DWORD>(kSetupTimeout.count())) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_, &code)) {
      return std::nullopt;
    }
    return code;
  }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::optional<DWORD> RunToEnd(const std::wstring& commandLine) {
  return SetupRun(commandLine).WaitForEnd();
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

bool SetUninstallValue(const wchar_t* name, const std::wstring& value) {
  return RegSetKeyValueW(HKEY_CURRENT_USER, kUninstallKey, name, REG_SZ, value.c_str(),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool UninstallKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// The names of the uninstall entries below HKCU whose DisplayName is "Vornel".
std::vector<std::wstring> VornelEntries() {
  std::vector<std::wstring> entries;
  HKEY root = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) {
    return entries;
  }
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    wchar_t shown[256] = {};
    DWORD size = sizeof shown;
    if (RegGetValueW(root, name, L"DisplayName", RRF_RT_REG_SZ, nullptr, shown, &size) ==
            ERROR_SUCCESS &&
        std::wstring(shown) == L"Vornel") {
      entries.emplace_back(name);
    }
  }
  RegCloseKey(root);
  return entries;
}

// Every value of the program's uninstall key by name: a string as it is, a number in decimal.
using RegistryValues = std::map<std::wstring, std::wstring>;

RegistryValues UninstallValues() {
  RegistryValues values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    DWORD type = 0;
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);  // room for an ending NUL
    if (RegEnumValueW(key, index, name, &length, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &size) != ERROR_SUCCESS) {
      break;
    }
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    values[name] = type == REG_DWORD ? std::to_wstring(number) : std::wstring(data);
  }
  RegCloseKey(key);
  return values;
}

// Every entry below `folder` by its relative path: a folder as "folder", a file as its size
// and a hash of its bytes.
using FolderTree = std::map<std::wstring, std::string>;

FolderTree TreeOf(const fs::path& folder) {
  FolderTree tree;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    const std::wstring name = entry.path().lexically_relative(folder).wstring();
    if (entry.is_directory()) {
      tree[name] = "folder";
    } else {
      const std::string bytes = ReadBytes(entry.path());
      tree[name] = std::to_string(bytes.size()) + " bytes, " +
                   std::to_string(std::hash<std::string>{}(bytes));
    }
  }
  return tree;
}

// The message box of process `id`: the first visible dialog window of the process with a
// message box's static text.
std::optional<OwnedDialog> WaitForMessageBoxOf(DWORD id) {
  return WaitForOwnedDialog(nullptr, [id](HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == id && GetDlgItem(window, kMessageBoxTextId) != nullptr;
  });
}

// The text the installer shows while Vornel runs, in the language it picks: the system's
// language where it is English or Japanese, Japanese elsewhere.
const std::wstring& ExpectedRunningText() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH ? kRunningEnglish
                                                                   : kRunningJapanese;
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

  // Runs the installer silently to its end; its exit code. `arguments` follow /S.
  static std::optional<DWORD> Install(const std::wstring& arguments = L"") {
    return RunToEnd(L"\"" + installerPath + L"\" /S" + arguments);
  }

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

  // What an installer or uninstaller run could change.
  struct Installation {
    FolderTree folder;
    RegistryValues entry;
    bool shortcut = false;
    FolderTree documents;
  };

  Installation Current() const {
    return {TreeOf(installFolder_), UninstallValues(), fs::exists(shortcut_),
            TreeOf(documents_.Path())};
  }

  static void ExpectUnchanged(const Installation& now, const Installation& before) {
    EXPECT_EQ(now.folder, before.folder) << "the installation folder changed";
    EXPECT_EQ(now.entry, before.entry) << "the uninstall entry changed";
    EXPECT_EQ(now.shortcut, before.shortcut) << "the shortcut changed";
    EXPECT_EQ(now.documents, before.documents) << "Documents changed";
  }

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
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear: Vornel.exe " << run.Fate();
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
  EXPECT_FALSE(fs::exists(installFolder_))
      << "left: " << ::testing::PrintToString(TreeOf(installFolder_));
  EXPECT_FALSE(fs::exists(shortcut_));
  EXPECT_FALSE(UninstallKeyExists());
  EXPECT_EQ(ReadBytes(result_), "1\r\n");
  EXPECT_TRUE(fs::is_regular_file(settings_));
  EXPECT_TRUE(fs::is_directory(documents_.AppData()));
}

TEST_F(InstallerTest, InstallingOverAnOlderOrTheSameVersionUpgradesInPlace) {
  ASSERT_EQ(Install(), 0u) << "the first install failed";
  // The user's settings with automatic processing on, a result and an input waiting.
  fs::create_directories(documents_.AppData() / L"temp");
  fs::create_directories(documents_.AppData() / L"Result");
  fs::create_directories(documents_.AppData() / L"AutoFile");
  ASSERT_TRUE(WriteBytes(settings_, "1\r\n1"));
  ASSERT_TRUE(WriteBytes(result_, "5\r\n"));
  ASSERT_TRUE(WriteBytes(documents_.AppData() / L"AutoFile" / L"Quillet.tbin",
                         std::string{'\xFF', '\xFE', '1', '\0'}));
  const FolderTree documentsBefore = TreeOf(documents_.Path());
  // The installer carries the program this build made.
  const std::string built = ReadBytes(ProgramPath());
  ASSERT_FALSE(built.empty());
  const fs::path elsewhere = documents_.Scratch() / L"Elsewhere";

  struct Round {
    const char* name;
    std::wstring installedVersion;
    std::wstring arguments;
  };
  const Round rounds[] = {
      {"over an older version", L"1.0.0.0", L""},
      // /D names another folder: an upgrade still goes where the program is.
      {"over the same version, /D naming another folder", VORNEL_VERSION,
       L" /D=" + elsewhere.wstring()},
  };
  for (const Round& round : rounds) {
    SCOPED_TRACE(round.name);
    // The version installed before, as it left its entry and its files.
    ASSERT_TRUE(SetUninstallValue(L"DisplayVersion", round.installedVersion));
    ASSERT_TRUE(SetUninstallValue(L"Comments", L"a value only the earlier version wrote"));
    ASSERT_TRUE(WriteBytes(program_, "the earlier Vornel.exe"));
    ASSERT_TRUE(WriteBytes(readme_, "the earlier read-me"));

    ASSERT_EQ(Install(round.arguments), 0u) << "the upgrade failed";
    EXPECT_EQ(VornelEntries(), std::vector<std::wstring>{L"Vornel"});
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), VORNEL_VERSION);
    EXPECT_EQ(UninstallValue(L"InstallLocation"), installFolder_.wstring());
    EXPECT_EQ(UninstallValue(L"Comments"), std::nullopt);
    EXPECT_TRUE(ReadBytes(program_) == built) << "Vornel.exe was not replaced";
    const std::string readme = ReadBytes(readme_);
    EXPECT_TRUE(!readme.empty() && readme != "the earlier read-me")
        << "Readme.txt was not replaced";
    EXPECT_TRUE(fs::is_regular_file(shortcut_));
    EXPECT_FALSE(fs::exists(elsewhere)) << "the upgrade went elsewhere";
    EXPECT_EQ(TreeOf(documents_.Path()), documentsBefore) << "Documents changed";
  }

  // One uninstall removes the upgraded installation.
  ASSERT_EQ(UninstallSilently(), 0u) << "the silent uninstall failed";
  EXPECT_FALSE(fs::exists(installFolder_))
      << "left: " << ::testing::PrintToString(TreeOf(installFolder_));
  EXPECT_TRUE(VornelEntries().empty());
  EXPECT_EQ(TreeOf(documents_.Path()), documentsBefore) << "Documents changed";
}

TEST_F(InstallerTest, WhileVornelRunsNeitherInstallerNorUninstallerChangesAnything) {
  ASSERT_EQ(Install(), 0u) << "the first install failed";
  // As if an older version were installed: an installer that went on would change its entry.
  ASSERT_TRUE(SetUninstallValue(L"DisplayVersion", L"1.0.0.0"));
  {
    RunningProgram run(program_.wstring());
    ASSERT_TRUE(run.Started()) << "the installed Vornel.exe did not start";
    const HWND dialog = run.WaitForDialog(kCaption);
    ASSERT_NE(dialog, nullptr) << "the dialog did not appear: Vornel.exe " << run.Fate();
    const Installation before = Current();

    struct Case {
      const char* name;
      std::wstring commandLine;
      bool silent;
    };
    const Case cases[] = {
        {"silent install", L"\"" + installerPath + L"\" /S", true},
        {"install", L"\"" + installerPath + L"\"", false},
        {"silent uninstall", UninstallCommand(L" /S"), true},
        {"uninstall", UninstallCommand(L""), false},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      SetupRun setup(c.commandLine);
      if (!c.silent) {
        // It says so and asks the user to close Vornel and try again; the user cancels.
        const std::optional<OwnedDialog> box = WaitForMessageBoxOf(setup.Id());
        ASSERT_TRUE(box.has_value()) << "no message box appeared";
        EXPECT_EQ(box->text, ExpectedRunningText());
        EXPECT_NE(GetDlgItem(box->window, IDRETRY), nullptr) << "no Retry button";
        ASSERT_NE(GetDlgItem(box->window, IDCANCEL), nullptr) << "no Cancel button";
        PostMessageW(GetDlgItem(box->window, IDCANCEL), BM_CLICK, 0, 0);
      }
      EXPECT_EQ(setup.WaitForEnd(), kExitProgramRunning);
      ExpectUnchanged(Current(), before);
    }
    Click(dialog, IDC_BTN_EXIT);
    ASSERT_TRUE(run.WaitForExit()) << "the program did not end after Exit";
  }

  // Once Vornel has ended, both go on.
  ASSERT_EQ(Install(), 0u) << "the install failed after Vornel ended";
  EXPECT_EQ(UninstallValue(L"DisplayVersion"), VORNEL_VERSION);
  ASSERT_EQ(UninstallSilently(), 0u) << "the uninstall failed after Vornel ended";
  EXPECT_FALSE(fs::exists(installFolder_))
      << "left: " << ::testing::PrintToString(TreeOf(installFolder_));
  EXPECT_FALSE(UninstallKeyExists());
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
