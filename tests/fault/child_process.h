#pragma once
// Child processes for the fault tests (elsewhere than on Windows): a program started with
// faults set up in the child before it runs, such as another user's rights or a file-size
// limit, that the test can kill at any moment.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct UserId {
  uid_t uid = 0;
  gid_t gid = 0;
};

// A user without special rights to run a child as: "nobody" while this process runs as
// root, otherwise the current user itself; nullopt when root and there is no such user.
std::optional<UserId> UnprivilegedUser();
// Whether this process runs as root (and so must switch users to meet permissions).
bool RunningAsRoot();

struct ChildFaults {
  std::optional<UserId> user;                  // run as this user
  std::optional<std::uint64_t> fileSizeLimit;  // bytes a file may grow to; SIGXFSZ ignored
};

struct ChildEnd {
  bool exited = false;  // ended by itself, with `code`
  int code = -1;
  int signal = 0;  // the signal that ended it, if one did
  std::string output;
  long peakMemoryKb = 0;
};

class ChildProcess {
 public:
  // Starts arguments[0] with `arguments`, its standard output collected; check Started().
  explicit ChildProcess(const std::vector<std::string>& arguments, const ChildFaults& faults = {});
  // Kills and reaps a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Id() const { return pid_; }
  // Whether the child has ended (it is left to Wait to collect).
  bool Ended() const;
  // Ends the child at once with SIGKILL.
  void Kill();
  // Reads the child's output to its end and waits for the child to end.
  ChildEnd Wait();

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};
