#pragma once
// Drives the real Vornel.exe from outside, as a user would: starts it, finds its windows,
// reads and changes its controls by id, and answers its message boxes. Every wait has a
// timeout; nothing sleeps for a fixed time.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

using Milliseconds = std::chrono::milliseconds;
// Long enough for a slow start under wine, short enough to fail a hung test in time.
inline constexpr Milliseconds kWaitTimeout{30000};

// Polls `condition` until it holds or `timeout` has passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition, Milliseconds timeout = kWaitTimeout);

// `text` (UTF-8) as UTF-16.
std::wstring FromUtf8(const std::string& text);

// Vornel.exe as this build made it, as a Windows path.
std::wstring ProgramPath();
// A program of this build at `built` (its path as the build gave it), as a Windows path.
std::wstring BuiltPath(const std::string& built);

// One run of the program; a run still going at destruction is terminated.
class RunningProgram {
 public:
  // Starts `path`; check Started() for the outcome.
  explicit RunningProgram(const std::wstring& path);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // Whether the process ended within `timeout`.
  bool WaitForExit(Milliseconds timeout = kWaitTimeout);
  bool Running() const;
  // For a failure message: "still running", or how the process ended.
  std::string Fate() const;
  // The visible top-level dialog window of the program with `caption`; nullptr when it did not
  // appear within `timeout`.
  HWND WaitForDialog(const std::wstring& caption, Milliseconds timeout = kWaitTimeout) const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The class name of `window`; empty when it has none.
std::wstring WindowClass(HWND window);
// The text of `window` and its length, read with a timed SendMessage so that a hung program
// fails the test; empty (0) when the window does not answer in time.
std::wstring WindowText(HWND window);
std::size_t WindowTextLength(HWND window);

// For a failure message: whether `window`'s thread answers a message within 5 s.
std::string Answering(HWND window);

// Whether a visible dialog window with `caption` belongs to process `id` right now.
bool HasVisibleDialog(DWORD id, const std::wstring& caption);

// A dialog window owned by `owner` (a message box, a file dialog or the version dialog).
struct OwnedDialog {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;  // of a message box: its static text (id 0xFFFF); empty otherwise
};

// The first visible dialog window owned by `owner` for which `accept` holds; nullopt when
// none appeared within `timeout`.
std::optional<OwnedDialog> WaitForOwnedDialog(
    HWND owner, const std::function<bool(HWND)>& accept = [](HWND) { return true; },
    Milliseconds timeout = kWaitTimeout);

// The next message box owned by `owner` (a dialog with the static text 0xFFFF).
std::optional<OwnedDialog> WaitForMessageBox(HWND owner, Milliseconds timeout = kWaitTimeout);

// Presses the OK button of a message box (or of any dialog) and waits until it is gone;
// whether it closed in time.
bool PressOk(HWND dialog, Milliseconds timeout = kWaitTimeout);

// The child with `id` anywhere below `parent`; nullptr when there is none.
HWND FindDescendant(HWND parent, int id);

// Writes `content` as a UTF-16LE file at `file` and reads it with the dialog's Read file;
// whether the file was written and its whole text appeared in the file text box in time.
bool ReadIntoDialog(HWND dialog, const std::filesystem::path& file, const std::wstring& content);

// Control access by id. Reads use a timed SendMessage, so a hung program fails the test.
std::wstring ControlText(HWND dialog, int id);
std::size_t ControlTextLength(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::wstring& text);
// Posts a click: the click's handler may open a modal box, which must not block the driver.
void Click(HWND dialog, int id);
// Posts one WM_CHAR per character, as typing does once the keys are translated.
void Type(HWND dialog, int id, const std::wstring& characters);
// Posts a key press (WM_KEYDOWN) to the control.
void PressKey(HWND dialog, int id, WPARAM virtualKey);
// Real input, queued by the system for the foreground window as a user's would be. Moves the
// mouse to the centre of control `id`, presses the left button there and releases it there, or
// with `cancelled` at the top left corner of the dialog: the control takes the focus, and a
// button released away from itself is not clicked.
void ClickInto(HWND dialog, int id, bool cancelled = false);
// Real input: presses and releases the key `virtualKey`.
void PressRealKey(WORD virtualKey);
// The window with the keyboard focus in the thread of `window`; nullptr when none.
HWND FocusOfThread(HWND window);
bool ControlVisible(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
int ControlCheck(HWND dialog, int id);
