#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string_view>
#include <thread>

#include "tests/cli/converter_process.h"

#ifndef VORNEL_CONVERTER_PATH
#error "VORNEL_CONVERTER_PATH must name the vornel-convert under test"
#endif

namespace {

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe MakePipe() {
  int fds[2] = {-1, -1};
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  return {fds[0], fds[1]};
}

// Writes all of `bytes` to `fd` (until the reader goes) and closes it.
void Feed(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + at, bytes.size() - at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    at += static_cast<std::size_t>(written);
  }
  ::close(fd);
}

}  // namespace

ConverterRun RunConverterProcess(const std::vector<std::string>& arguments,
                                 const std::string& input, const Locale& locale) {
  // A converter that stops reading must not end this process with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  ConverterRun run;
  const Pipe in = MakePipe();
  const Pipe out = MakePipe();
  const Pipe err = MakePipe();
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, in.read, 0);
  posix_spawn_file_actions_adddup2(&files, out.write, 1);
  posix_spawn_file_actions_adddup2(&files, err.write, 2);
  std::vector<std::string> words{VORNEL_CONVERTER_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  std::vector<std::string> variables = locale;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view named(*variable);
    if (!named.starts_with("LANG") && !named.starts_with("LC_")) variables.emplace_back(named);
  }
  std::vector<char*> envp;
  envp.reserve(variables.size() + 1);
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  for (const int fd : {in.read, out.write, err.write}) ::close(fd);
  std::thread feeder(Feed, in.write, std::cref(input));
  std::array<pollfd, 2> streams{{{out.read, POLLIN, 0}, {err.read, POLLIN, 0}}};
  std::array<std::string*, 2> into{&run.out, &run.err};
  int open = 2;
  while (open > 0) {
    if (::poll(streams.data(), streams.size(), -1) < 0 && errno != EINTR) break;
    for (std::size_t k = 0; k < streams.size(); ++k) {
      if (streams[k].fd < 0 || streams[k].revents == 0) continue;
      char buffer[65536];
      const ssize_t got = ::read(streams[k].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[k]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        ::close(streams[k].fd);
        streams[k].fd = -1;
        --open;
      }
    }
  }
  feeder.join();
  int status = 0;
  if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    run.code = WEXITSTATUS(status);
  }
  return run;
}
