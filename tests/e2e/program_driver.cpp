#include "tests/e2e/program_driver.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "tests/support/file_bytes.h"
#include "tests/support/text_bytes.h"

#ifndef VORNEL_PROGRAM_PATH
#error "VORNEL_PROGRAM_PATH must name the Vornel.exe under test"
#endif

namespace {

constexpr Milliseconds kPollInterval{20};
constexpr UINT kSendTimeoutMs = 10000;
constexpr int kMessageBoxTextId = 0xFFFF;

bool IsDialogWindow(HWND window) { return WindowClass(window) == L"#32770"; }

struct DialogSearch {
  DWORD process = 0;
  const std::wstring* caption = nullptr;
  HWND owner = nullptr;
  const std::function<bool(HWND)>* accept = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK FindProgramDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search.process || !IsWindowVisible(window) || !IsDialogWindow(window)) {
    return TRUE;
  }
  if (WindowText(window) != *search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

BOOL CALLBACK FindOwned(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  if (GetWindow(window, GW_OWNER) != search.owner || !IsWindowVisible(window) ||
      !IsDialogWindow(window) || !(*search.accept)(window)) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

struct DescendantSearch {
  int id = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindById(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DescendantSearch*>(parameter);
  if (GetDlgCtrlID(window) != search.id) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

std::wstring WindowClass(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::size_t WindowTextLength(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return 0;
  }
  return length;
}

std::wstring WindowText(HWND window) {
  const std::size_t length = WindowTextLength(window);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::wstring FromUtf8(const std::string& text) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

bool WaitUntil(const std::function<bool()>& condition, Milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollInterval);
  }
}

std::wstring ProgramPath() { return BuiltPath(VORNEL_PROGRAM_PATH); }

std::wstring BuiltPath(const std::string& built) {
  if (built.starts_with('/')) {
    // Built on Linux: ask wine for the Windows name of the Unix path.
    // cppcheck-suppress cstyleCast ; a function pointer type, not a cast
    using ToDosName = WCHAR*(CDECL*)(const char*);
    const auto toDos = reinterpret_cast<ToDosName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos != nullptr) {
      if (WCHAR* dos = toDos(built.c_str())) {
        std::wstring path(dos);
        HeapFree(GetProcessHeap(), 0, dos);
        return path;
      }
    }
  }
  std::wstring path = FromUtf8(built);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

RunningProgram::RunningProgram(const std::wstring& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + path + L"\"";
  if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

RunningProgram::~RunningProgram() {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, static_cast<DWORD>(kWaitTimeout.count()));
  }
  CloseHandle(process_);
}

bool RunningProgram::WaitForExit(Milliseconds timeout) {
  return process_ != nullptr &&
         WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool RunningProgram::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::string RunningProgram::Fate() const {
  if (process_ == nullptr) return "never started";
  if (Running()) return "still running";
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return "ended, exit code unknown";
  char text[40];
  std::snprintf(text, sizeof text, "ended with exit code 0x%lX", static_cast<unsigned long>(code));
  return text;
}

HWND RunningProgram::WaitForDialog(const std::wstring& caption, Milliseconds timeout) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        DialogSearch search;
        search.process = id_;
        search.caption = &caption;
        EnumWindows(FindProgramDialog, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr || !Running();
      },
      timeout);
  return found;
}

std::string Answering(HWND window) {
  if (!IsWindow(window)) return "the window is gone";
  DWORD_PTR reply = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &reply) != 0
             ? "the window answers"
             : "the window does not answer within 5 s";
}

bool HasVisibleDialog(DWORD id, const std::wstring& caption) {
  DialogSearch search;
  search.process = id;
  search.caption = &caption;
  EnumWindows(FindProgramDialog, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

std::optional<OwnedDialog> WaitForOwnedDialog(HWND owner, const std::function<bool(HWND)>& accept,
                                              Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        DialogSearch search;
        search.owner = owner;
        search.accept = &accept;
        EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr;
      },
      timeout);
  if (found == nullptr) return std::nullopt;
  OwnedDialog dialog;
  dialog.window = found;
  dialog.caption = WindowText(found);
  if (const HWND text = GetDlgItem(found, kMessageBoxTextId)) dialog.text = WindowText(text);
  return dialog;
}

std::optional<OwnedDialog> WaitForMessageBox(HWND owner, Milliseconds timeout) {
  return WaitForOwnedDialog(
      owner, [](HWND window) { return GetDlgItem(window, kMessageBoxTextId) != nullptr; }, timeout);
}

bool PressOk(HWND dialog, Milliseconds timeout) {
  const HWND ok = GetDlgItem(dialog, IDOK);
  if (ok == nullptr) return false;
  PostMessageW(ok, BM_CLICK, 0, 0);
  return WaitUntil([&] { return IsWindow(dialog) == FALSE || IsWindowVisible(dialog) == FALSE; },
                   timeout);
}

HWND FindDescendant(HWND parent, int id) {
  DescendantSearch search;
  search.id = id;
  EnumChildWindows(parent, FindById, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::size_t ControlTextLength(HWND dialog, int id) {
  return WindowTextLength(GetDlgItem(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::wstring& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

bool ReadIntoDialog(HWND dialog, const std::filesystem::path& file, const std::wstring& content) {
  if (!WriteBytes(file, Utf16WithMark(content))) return false;
  SetControlText(dialog, IDC_BROWSE_FILE, file.wstring());
  Click(dialog, IDC_BTN_READ_FILE);
  return WaitUntil([&] { return ControlTextLength(dialog, IDC_EDIT_FILE_TEXT) == content.size(); });
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Type(HWND dialog, int id, const std::wstring& characters) {
  const HWND control = GetDlgItem(dialog, id);
  for (const wchar_t c : characters) PostMessageW(control, WM_CHAR, c, 1);
}

void PressKey(HWND dialog, int id, WPARAM virtualKey) {
  const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
  PostMessageW(GetDlgItem(dialog, id), WM_KEYDOWN, virtualKey,
               1 | (static_cast<LPARAM>(scanCode) << 16));
}

namespace {

// A mouse event at screen point `at`, in the absolute coordinates SendInput takes.
INPUT MouseAt(POINT at, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

}  // namespace

void ClickInto(HWND dialog, int id, bool cancelled) {
  RECT box;
  GetWindowRect(GetDlgItem(dialog, id), &box);
  const POINT centre{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  POINT release = centre;
  if (cancelled) {
    release = {1, 1};
    ClientToScreen(dialog, &release);
  }
  INPUT inputs[] = {MouseAt(centre, 0), MouseAt(centre, MOUSEEVENTF_LEFTDOWN), MouseAt(release, 0),
                    MouseAt(release, MOUSEEVENTF_LEFTUP)};
  SendInput(std::size(inputs), inputs, sizeof(INPUT));
}

void PressRealKey(WORD virtualKey) {
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

HWND FocusOfThread(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool ControlVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }

bool ControlEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

int ControlCheck(HWND dialog, int id) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                      &state);
  return static_cast<int>(state);
}
