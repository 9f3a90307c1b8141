// convert_with_vornel: converts a list of binary numbers with Vornel's automatic processing,
// as a calling program does it.
//
//   convert_with_vornel <numbers.txt> <full path of Vornel.exe>
//
// <numbers.txt> holds one binary number per line (ASCII or UTF-8, or UTF-16LE with its
// byte-order mark). On success the decimal numbers are printed to standard output, one per
// non-empty input line, in input order.
//
// Exit codes: 0 converted; 1 wrong arguments or the list could not be read or handed over;
// 2 automatic processing is not switched on; 3 an earlier input is still waiting in the
// hand-off folder; 4 Vornel could not be started or did not end in time; 5 Vornel refused the
// input (or wrote no result).
//
// Only one calling program at a time may use a user's hand-off folder: there is one input
// name and one result name.
//
// Windows API only, C++20, Unicode. With MSVC: cl /std:c++20 /EHsc convert_with_vornel.cpp

#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
// windows.h first: the shell headers rely on its types.
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#ifdef _MSC_VER
#pragma comment(lib, "shell32.lib")
#pragma comment(lib, "ole32.lib")
#pragma comment(lib, "uuid.lib")
#endif

namespace {

enum ExitCode : int {
  kConverted = 0,
  kUsageOrFileError = 1,
  kAutomaticProcessingOff = 2,
  kInputWaiting = 3,
  kVornelNotRun = 4,
  kRefused = 5,
};

// A batch run may first wait (up to five minutes) for other runs; give it more than that.
constexpr DWORD kRunTimeoutMs = 10 * 60 * 1000;

// Reports `message` (and the Windows error code, when there is one); returns `code`.
int Fail(int code, const wchar_t* message, DWORD windowsError = 0) {
  if (windowsError != 0) {
    std::fwprintf(stderr, L"convert_with_vornel: %ls (Windows error %lu)\n", message,
                  static_cast<unsigned long>(windowsError));
  } else {
    std::fwprintf(stderr, L"convert_with_vornel: %ls\n", message);
  }
  return code;
}

// The current user's Documents folder; empty when Windows cannot tell it.
std::wstring DocumentsFolder() {
  PWSTR path = nullptr;
  std::wstring documents;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DEFAULT, nullptr, &path))) {
    documents = path;
  }
  CoTaskMemFree(path);
  return documents;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The whole file as bytes; nullopt when it cannot be read. Others may go on using the file.
std::optional<std::string> ReadBytes(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  for (;;) {
    ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0;
    if (!ok || got == 0) break;
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

// The text of the list file: UTF-16LE after its mark FF FE, otherwise UTF-8 (with or without
// its mark EF BB BF; plain ASCII is UTF-8 too).
std::wstring TextOf(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
  }
  const std::size_t skip = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  const int size = static_cast<int>(bytes.size() - skip);
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data() + skip, size, text.data(), length);
  return text;
}

// Creates the input file in the hand-off folder: UTF-16LE with its byte-order mark, as Vornel
// reads it. CREATE_NEW never replaces an input that is already there, and no other program
// may open the file until it is complete and closed. Returns a Windows error code, 0 on success.
DWORD HandOver(const std::wstring& inputPath, const std::wstring& text) {
  const HANDLE file = CreateFileW(inputPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  const wchar_t mark = 0xFEFF;  // written as the bytes FF FE
  DWORD written = 0;
  const auto textBytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  bool ok =
      WriteFile(file, &mark, sizeof mark, &written, nullptr) != FALSE && written == sizeof mark;
  ok = ok && WriteFile(file, text.data(), textBytes, &written, nullptr) != FALSE &&
       written == textBytes;
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (!ok) DeleteFileW(inputPath.c_str());  // never leave a partial input behind
  return ok ? 0 : (error != 0 ? error : ERROR_WRITE_FAULT);
}

enum class RunOutcome { kEnded, kNotStarted, kStillRunning };

// Starts Vornel.exe by its full path, without arguments, and waits up to kRunTimeoutMs for
// its end. Its exit code tells nothing about the outcome, so it is not read.
RunOutcome RunVornel(const std::wstring& vornelPath) {
  std::wstring commandLine = L"\"" + vornelPath + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(vornelPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return RunOutcome::kNotStarted;
  }
  CloseHandle(process.hThread);
  // Vornel ends by itself; only when the user enabled its messages does it first wait for its
  // message box to be closed.
  const bool ended = WaitForSingleObject(process.hProcess, kRunTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process.hProcess);
  return ended ? RunOutcome::kEnded : RunOutcome::kStillRunning;
}

// Prints the result (ASCII digits, each number followed by CR LF) one number a line.
void PrintResult(const std::string& result) {
  std::size_t start = 0;
  while (start < result.size()) {
    std::size_t end = result.find("\r\n", start);
    if (end == std::string::npos) end = result.size();
    std::printf("%s\n", result.substr(start, end - start).c_str());
    start = end + 2;
  }
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 3) {
    std::fwprintf(stderr, L"usage: convert_with_vornel <numbers.txt> <path of Vornel.exe>\n");
    return kUsageOrFileError;
  }
  const std::wstring listPath = argv[1];
  // Vornel is started by its full path (its dialog shows it to copy).
  wchar_t fullPath[MAX_PATH];
  const DWORD fullLength = GetFullPathNameW(argv[2], MAX_PATH, fullPath, nullptr);
  if (fullLength == 0 || fullLength >= MAX_PATH) {
    return Fail(kUsageOrFileError, L"the path of Vornel.exe is not usable", GetLastError());
  }
  const std::wstring vornelPath = fullPath;

  // Vornel's folders below the user's Documents folder.
  const std::wstring documents = DocumentsFolder();
  if (documents.empty()) return Fail(kUsageOrFileError, L"no Documents folder");
  const std::wstring appData = documents + L"\\Brindlecot\\Tavernic";
  const std::wstring handOffFolder = appData + L"\\AutoFile";
  const std::wstring inputPath = handOffFolder + L"\\Quillet.tbin";
  const std::wstring resultPath = appData + L"\\Result\\Ostrum.tbin";

  // Without the hand-off folder a start would open Vornel's dialog and wait for the user.
  if (!IsFolder(handOffFolder)) {
    return Fail(kAutomaticProcessingOff,
                L"automatic processing is off: tick its check box in Vornel's dialog and Exit");
  }

  const std::optional<std::string> list = ReadBytes(listPath);
  if (!list) return Fail(kUsageOrFileError, L"cannot read the list file", GetLastError());

  // An input that is there already waits for its run or was refused: it is not ours.
  const DWORD handOverError = HandOver(inputPath, TextOf(*list));
  if (handOverError == ERROR_FILE_EXISTS) {
    return Fail(kInputWaiting, L"an earlier Quillet.tbin is still in the hand-off folder");
  }
  if (handOverError != 0) {
    return Fail(kUsageOrFileError, L"cannot write Quillet.tbin into the hand-off folder",
                handOverError);
  }

  switch (RunVornel(vornelPath)) {
    case RunOutcome::kEnded:
      break;
    case RunOutcome::kNotStarted: {
      const DWORD error = GetLastError();
      DeleteFileW(inputPath.c_str());  // nobody will take it
      return Fail(kVornelNotRun, L"Vornel.exe could not be started", error);
    }
    case RunOutcome::kStillRunning:
      // The run may still convert the input: leave both files to it.
      return Fail(kVornelNotRun, L"Vornel.exe did not end in time (a message box waiting?)");
  }

  // The outcome shows in the files: a converted input is gone, a refused one is still there.
  if (IsFile(inputPath)) {
    // Refused: an empty file, a character other than 0, 1 and line breaks, a line of more
    // than 31 characters, or a result that could not be written. Remove it, or every later
    // start refuses it again.
    DeleteFileW(inputPath.c_str());
    return Fail(kRefused,
                L"Vornel refused the input (only 0 and 1, at most 31 digits a line, not empty)");
  }
  // Read the result at once: the next run replaces it.
  const std::optional<std::string> result = ReadBytes(resultPath);
  if (!result) return Fail(kRefused, L"no result file Ostrum.tbin");
  PrintResult(*result);
  return kConverted;
}
