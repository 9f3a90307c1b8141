#include "tests/fault/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>  // NOLINT(modernize-deprecated-headers): POSIX kill() is declared here
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace {

// In the child, after fork: sets up the faults and runs the program; never returns.
[[noreturn]] void BecomeProgram(const std::vector<std::string>& arguments,
                                const ChildFaults& faults, int output) {
  if (::dup2(output, STDOUT_FILENO) < 0) ::_exit(125);
  if (faults.fileSizeLimit) {
    // Writes past the limit then fail with EFBIG instead of killing the process.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(*faults.fileSizeLimit),
                       static_cast<rlim_t>(*faults.fileSizeLimit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
  }
  if (faults.user && RunningAsRoot()) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(faults.user->gid) != 0 ||
        ::setuid(faults.user->uid) != 0) {
      ::_exit(126);
    }
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

bool RunningAsRoot() { return ::geteuid() == 0; }

std::optional<UserId> UnprivilegedUser() {
  if (!RunningAsRoot()) return UserId{::getuid(), ::getgid()};
  passwd entry{};
  passwd* nobody = nullptr;
  std::array<char, 16384> buffer{};
  if (::getpwnam_r("nobody", &entry, buffer.data(), buffer.size(), &nobody) != 0 ||
      nobody == nullptr || nobody->pw_uid == 0) {
    return std::nullopt;
  }
  return UserId{nobody->pw_uid, nobody->pw_gid};
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildFaults& faults) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe[0]);
    BecomeProgram(arguments, faults, pipe[1]);
  }
  ::close(pipe[1]);
  if (pid < 0) {
    ::close(pipe[0]);
    return;
  }
  pid_ = pid;
  output_ = pipe[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    Kill();
    Wait();
  }
  if (output_ >= 0) ::close(output_);
}

bool ChildProcess::Ended() const {
  siginfo_t info{};
  return pid_ > 0 &&
         ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid_;
}

void ChildProcess::Kill() {
  if (pid_ > 0) ::kill(pid_, SIGKILL);
}

ChildEnd ChildProcess::Wait() {
  ChildEnd end;
  if (pid_ <= 0) return end;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    end.output.append(buffer, static_cast<std::size_t>(got));
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  end.exited = WIFEXITED(status);
  end.code = end.exited ? WEXITSTATUS(status) : -1;
  end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  end.peakMemoryKb = usage.ru_maxrss;
  return end;
}
