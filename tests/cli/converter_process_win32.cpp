#include <windows.h>

#include <thread>

#include "tests/cli/converter_process.h"
#include "tests/e2e/program_driver.h"

namespace {

// `argument` quoted for a command line as the C runtime splits it.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// A pipe of which only the child's end is inherited: the read end when the child reads.
Pipe MakePipe(bool childReads) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
  Pipe pipe;
  if (!CreatePipe(&pipe.read, &pipe.write, &attributes, 0)) return {};
  SetHandleInformation(childReads ? pipe.write : pipe.read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

void Feed(HANDLE pipe, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1 << 16));
    if (!WriteFile(pipe, bytes.data() + at, chunk, &written, nullptr) || written == 0) break;
    at += written;
  }
  CloseHandle(pipe);
}

void Drain(HANDLE pipe, std::string& into) {
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) into.append(buffer, got);
  CloseHandle(pipe);
}

// Runs the converter with `errorHandle` as its standard error when one is given, else a pipe
// drained into run.err.
ConverterRun Run(const std::vector<std::string>& arguments, const std::string& input,
                 HANDLE errorHandle) {
  ConverterRun run;
  const std::wstring program = ProgramPath();
  std::wstring commandLine = Quoted(program);
  for (const std::string& argument : arguments) commandLine += L" " + Quoted(FromUtf8(argument));
  const Pipe in = MakePipe(true);
  const Pipe out = MakePipe(false);
  const Pipe err = errorHandle != nullptr ? Pipe{} : MakePipe(false);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.read;
  startup.hStdOutput = out.write;
  startup.hStdError = errorHandle != nullptr ? errorHandle : err.write;
  PROCESS_INFORMATION info{};
  const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &info) != 0;
  for (const HANDLE handle : {in.read, out.write, err.write}) {
    if (handle != nullptr) CloseHandle(handle);
  }
  std::thread feeder(Feed, in.write, std::cref(input));
  std::thread errors;
  if (err.read != nullptr) errors = std::thread(Drain, err.read, std::ref(run.err));
  Drain(out.read, run.out);
  if (errors.joinable()) errors.join();
  feeder.join();
  if (started) {
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(info.hProcess, &code)) {
      run.code = static_cast<int>(code);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  return run;
}

}  // namespace

ConverterRun RunConverterProcess(const std::vector<std::string>& arguments,
                                 const std::string& input, const Locale& /*locale*/) {
  return Run(arguments, input, nullptr);
}

std::wstring RunConverterOnConsole(const std::vector<std::string>& arguments,
                                   const std::string& input) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const auto newScreen = [&] {
    return CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                     CONSOLE_TEXTMODE_BUFFER, nullptr);
  };
  HANDLE screen = newScreen();
  if (screen == INVALID_HANDLE_VALUE) {
    FreeConsole();  // a console without a window (wine's on a terminal) may take no new buffer
    if (!AllocConsole()) return L"<no console>";
    screen = newScreen();
  }
  if (screen == INVALID_HANDLE_VALUE) return L"<no console>";
  const UINT codePage = GetConsoleOutputCP();
  SetConsoleOutputCP(437);
  Run(arguments, input, screen);
  SetConsoleOutputCP(codePage);
  CONSOLE_SCREEN_BUFFER_INFO buffer{};
  GetConsoleScreenBufferInfo(screen, &buffer);
  // The first rows, read as one run: a line longer than a row goes on in the next.
  std::wstring line(4 * static_cast<std::size_t>(buffer.dwSize.X), L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, line.data(), static_cast<DWORD>(line.size()), {0, 0}, &read);
  CloseHandle(screen);
  line.resize(read);
  return line.substr(0, line.find_last_not_of(L' ') + 1);
}
