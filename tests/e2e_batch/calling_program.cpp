#include "tests/e2e_batch/calling_program.h"

#include <algorithm>
#include <system_error>
#include <utility>

// The sample calling program itself, for its file reading, which calling programs copy; its
// entry point is renamed, so that this program's stays gtest's.
#define wmain ConvertWithVornelMain
#include "samples/convert_with_vornel.cpp"  // NOLINT(bugprone-suspicious-include)
#undef wmain

namespace {

namespace fs = std::filesystem;

constexpr DWORD kPollMs = 10;
constexpr int kMessageBoxTextId = 0xFFFF;

struct WindowSearch {
  DWORD process = 0;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == search.process && IsWindowVisible(window)) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD id) {
  WindowSearch search;
  search.process = id;
  EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HandOffDocuments::HandOffDocuments() {
  documents_.emplace();
  if (!documents_->Active()) return;
  std::error_code error;
  fs::create_directories(HandOffFolder(), error);
  fs::create_directories(ResultFolder(), error);
  ready_ = fs::is_directory(HandOffFolder()) && fs::is_directory(ResultFolder());
}

bool HandOffDocuments::WriteSettings(const std::string& bytes) const {
  std::error_code error;
  fs::create_directories(SettingsFile().parent_path(), error);
  return WriteBytes(SettingsFile(), bytes);
}

std::string Utf8WithMark(const std::string& ascii) { return "\xEF\xBB\xBF" + ascii; }

std::string Utf8Of(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

std::optional<std::string> ReadShared(const fs::path& path) { return ReadBytes(path.wstring()); }

std::vector<std::wstring> VisibleWindowClassesOf(DWORD id) {
  std::vector<std::wstring> classes;
  for (const HWND window : VisibleWindowsOf(id)) classes.push_back(WindowClass(window));
  return classes;
}

std::optional<MessageBoxSeen> MessageBoxOf(DWORD id) {
  for (const HWND window : VisibleWindowsOf(id)) {
    if (WindowClass(window) != L"#32770") continue;
    const HWND text = GetDlgItem(window, kMessageBoxTextId);
    if (text == nullptr) continue;
    // Every box of the program says something: an empty read (a box whose thread did not
    // answer in time, as happens with many starts at once) is read again on the next look.
    std::wstring said = WindowText(text);
    if (said.empty()) continue;
    return MessageBoxSeen{window, WindowText(window), std::move(said)};
  }
  return std::nullopt;
}

void Answer(const MessageBoxSeen& box) {
  HWND ok = GetDlgItem(box.window, IDOK);
  if (ok == nullptr) ok = GetDlgItem(box.window, IDCANCEL);
  if (ok != nullptr) PostMessageW(ok, BM_CLICK, 0, 0);
}

VornelRun::VornelRun() {
  const std::wstring path = ProgramPath();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Under a loaded wine a start can fail for a moment (many processes starting at once);
  // a calling program would try again, and so does this one, a few times.
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::wstring commandLine = L"\"" + path + L"\"";
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info)) {
      CloseHandle(info.hThread);
      process_ = info.hProcess;
      id_ = info.dwProcessId;
      return;
    }
    startError_ = GetLastError();
    Sleep(200);
  }
}

VornelRun::~VornelRun() {
  if (process_ == nullptr) return;
  if (!Ended()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, static_cast<DWORD>(kWaitTimeout.count()));
  }
  CloseHandle(process_);
}

bool VornelRun::Ended() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> VornelRun::ExitCode() const {
  DWORD code = 0;
  if (!Ended() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void VornelRun::NoteWindows() {
  for (const std::wstring& name : VisibleWindowClassesOf(id_)) {
    if (std::find(windowsSeen_.begin(), windowsSeen_.end(), name) == windowsSeen_.end()) {
      windowsSeen_.push_back(name);
    }
  }
}

bool VornelRun::WaitForEndWatchingWindows(Milliseconds timeout) {
  if (process_ == nullptr) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    NoteWindows();
    if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
  }
}

std::optional<MessageBoxSeen> VornelRun::WaitForMessageBox(Milliseconds timeout) {
  if (process_ == nullptr) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    NoteWindows();
    if (auto box = MessageBoxOf(id_)) return box;
    if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return std::nullopt;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
  }
}
