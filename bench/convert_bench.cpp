// Times the converter as scripts run it, and the floors beneath it, on the same files in the
// same rounds: vornel-convert --crlf from each input file to a file, and from a pipe to a pipe
// (cat | vornel-convert | cat); reading each input with plain reads (1 MiB at a time, nothing
// else done); writing the result from memory to a new file, and flushing it to the disk (the
// converter flushes its result before it puts it in place); the pipes alone (cat | this
// program, passing the expected result on, with pipes as large as the converter asks for |
// cat), once passing it on while it reads and once after the input's end, as the converter
// does, which writes nothing before it knows the whole input good. Every output of the converter
// must be byte for byte the expected result. Also the first touch of new memory as large as the
// first input (what holding a text of its size costs before anything is done with it: Read file
// holds the decoded text). Prints key=value lines (seconds, the median of all runs of each) for
// bench/run.sh and bench/compare.sh:
//   <label>_file_s, <label>_pipe_s, <label>_pipes_s, <label>_withheld_s, <label>_read_s for each
//   input; write_s, flush_s, fresh_s.
//
//   vornel_bench_convert CONVERTER|- EXPECTED OUT_FOLDER ROUNDS LABEL=INPUT...
//   vornel_bench_convert --pass|--withhold EXPECTED INPUT_BYTES  (reads standard input, passes
//   EXPECTED on as it reads or after the input's end)
// With "-" for CONVERTER only the floors are timed.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tuning/tuning.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Runs of each measure in a row in each round: a run lasts a tenth of a second or less, and
// more of them make a steadier median on a shared machine.
constexpr int kRunsInARow = 3;
constexpr std::size_t kReadBytes = std::size_t{1} << 20;
constexpr std::size_t kWriteBytes = std::size_t{1} << 18;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs `argv` to its end; its wall time, nullopt when it fails.
std::optional<double> Run(std::vector<const char*> argv) {
  argv.push_back(nullptr);
  pid_t pid = 0;
  const auto start = Clock::now();
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv.data()),
                   environ) != 0) {
    return std::nullopt;
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return Since(start);
}

// Reads the file with plain reads into one buffer; its time, nullopt on failure.
std::optional<double> PlainRead(const std::string& path) {
  static const auto buffer = std::make_unique_for_overwrite<char[]>(kReadBytes);
  const auto start = Clock::now();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ssize_t got = 0;
  while ((got = ::read(fd, buffer.get(), kReadBytes)) > 0) {
  }
  ::close(fd);
  if (got < 0) return std::nullopt;
  return Since(start);
}

// The pipes' part of `cat IN | vornel-convert | cat > OUT`: reads standard input to its end
// and, as it goes, copies the file at `expected` to standard output in step with it (after
// each piece read, the share of the result that the input read so far stands for, the input
// being `inputBytes` long), as a converter of a stream passes its result on while it reads, or
// with `withhold` all of it after the input's end, as a converter that writes nothing until it
// knows the whole input good; both pipes asked to hold what the converter asks for, through two
// buffers (new memory is slow to touch on some machines).
int PassOn(const char* expected, std::uint64_t inputBytes, bool withhold) {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO}) {
    ::fcntl(fd, F_SETPIPE_SZ, static_cast<int>(tuning::kPipeBytes));
  }
  const int fd = ::open(expected, O_RDONLY | O_CLOEXEC);
  struct stat result {};
  if (fd < 0 || ::fstat(fd, &result) != 0 || inputBytes == 0) return 1;
  const auto resultBytes = static_cast<std::uint64_t>(result.st_size);
  const auto in = std::make_unique_for_overwrite<char[]>(kReadBytes);
  const auto out = std::make_unique_for_overwrite<char[]>(kReadBytes);
  std::uint64_t passed = 0;
  const auto passUpTo = [&](std::uint64_t target) {
    while (passed < target) {
      const ssize_t got =
          ::read(fd, out.get(), std::min<std::uint64_t>(kReadBytes, target - passed));
      if (got <= 0) return false;
      for (ssize_t at = 0; at < got;) {
        const ssize_t n =
            ::write(STDOUT_FILENO, out.get() + at, static_cast<std::size_t>(got - at));
        if (n <= 0) return false;
        at += n;
      }
      passed += static_cast<std::uint64_t>(got);
    }
    return true;
  };
  std::uint64_t inputRead = 0;
  ssize_t got = 0;
  while ((got = ::read(STDIN_FILENO, in.get(), kReadBytes)) > 0) {
    inputRead += static_cast<std::uint64_t>(got);
    if (!withhold && !passUpTo(std::min(resultBytes, inputRead * resultBytes / inputBytes)))
      return 1;
  }
  const bool passedAll = got == 0 && passUpTo(resultBytes);
  ::close(fd);
  return passedAll ? 0 : 1;
}

// Fills `bytes` of new memory on both of the machine's threads that the program uses, half
// each; its time.
double FreshMemory(std::size_t bytes) {
  const auto start = Clock::now();
  const auto memory = std::make_unique_for_overwrite<char[]>(bytes);
  const std::size_t half = bytes / 2;
  std::thread other([&memory, half, bytes] { std::memset(memory.get() + half, 1, bytes - half); });
  std::memset(memory.get(), 1, half);
  other.join();
  const double seconds = Since(start);
  volatile char last = memory[bytes - 1];  // the filling must not be left out
  (void)last;
  return seconds;
}

// Writes `bytes` to a new file, then flushes it; the two times, false on failure.
bool WriteAndFlush(const std::string& bytes, const std::string& path, double& write,
                   double& flush) {
  ::unlink(path.c_str());
  const auto start = Clock::now();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t at = 0; ok && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min(kWriteBytes, bytes.size() - at));
    ok = n > 0;
    if (ok) at += static_cast<std::size_t>(n);
  }
  write = Since(start);
  const auto flushStart = Clock::now();
  ok = ::fsync(fd) == 0 && ok;
  flush = Since(flushStart);
  return ::close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && (std::string(argv[1]) == "--pass" || std::string(argv[1]) == "--withhold")) {
    return PassOn(argv[2], std::strtoull(argv[3], nullptr, 10),
                  std::string(argv[1]) == "--withhold");
  }
  if (argc < 6) {
    std::fprintf(stderr, "usage: %s CONVERTER|- EXPECTED OUT_FOLDER ROUNDS LABEL=INPUT...\n",
                 argv[0]);
    return 2;
  }
  const std::string converter = argv[1];
  const std::string expected = ReadBytes(argv[2]);
  const std::string folder = argv[3];
  const int rounds = std::max(1, std::atoi(argv[4]));
  std::vector<std::pair<std::string, std::string>> inputs;
  for (int k = 5; k < argc; ++k) {
    const std::string arg = argv[k];
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos) return 2;
    inputs.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
  }
  const std::string output = folder + "/converted.out";
  const std::string floorOutput = folder + "/floor.out";
  const std::string pipeScript = "cat \"$1\" | \"$2\" --crlf | cat > \"$3\"";
  // $6: --pass or --withhold.
  const std::string passScript = "cat \"$1\" | \"$2\" $6 \"$3\" \"$5\" | cat > \"$4\"";
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

  std::map<std::string, std::vector<double>> times;
  const auto converted = [&](const std::string& key, std::optional<double> seconds) {
    if (!seconds || ReadBytes(output) != expected) {
      std::fprintf(stderr, "the converter failed or its output differs: %s\n", key.c_str());
      return false;
    }
    times[key].push_back(*seconds);
    ::unlink(output.c_str());
    return true;
  };
  for (int round = 0; round < rounds; ++round) {
    for (const auto& [label, input] : inputs) {
      for (int again = 0; again < kRunsInARow; ++again) {
        const auto read = PlainRead(input);
        if (!read) return 1;
        times[label + "_read_s"].push_back(*read);
      }
      struct stat inputStat {};
      if (::stat(input.c_str(), &inputStat) != 0) return 1;
      const std::string inputBytes = std::to_string(inputStat.st_size);
      for (const auto& [key, mode] :
           {std::pair{"_pipes_s", "--pass"}, std::pair{"_withheld_s", "--withhold"}}) {
        for (int again = 0; again < kRunsInARow; ++again) {
          if (!converted(label + key,
                         Run({"sh", "-c", passScript.c_str(), "sh", input.c_str(), self.c_str(),
                              argv[2], output.c_str(), inputBytes.c_str(), mode}))) {
            return 1;
          }
        }
      }
      if (converter == "-") continue;
      for (int again = 0; again < kRunsInARow; ++again) {
        ::unlink(output.c_str());
        if (!converted(label + "_file_s",
                       Run({converter.c_str(), "--crlf", input.c_str(), output.c_str()}))) {
          return 1;
        }
      }
      for (int again = 0; again < kRunsInARow; ++again) {
        if (!converted(label + "_pipe_s", Run({"sh", "-c", pipeScript.c_str(), "sh", input.c_str(),
                                               converter.c_str(), output.c_str()}))) {
          return 1;
        }
      }
    }
    for (int again = 0; again < kRunsInARow; ++again) {
      double write = 0;
      double flush = 0;
      if (!WriteAndFlush(expected, floorOutput, write, flush)) return 1;
      times["write_s"].push_back(write);
      times["flush_s"].push_back(flush);
    }
    ::unlink(floorOutput.c_str());
    struct stat first {};
    if (::stat(inputs.front().second.c_str(), &first) == 0 && first.st_size > 0) {
      for (int again = 0; again < kRunsInARow; ++again) {
        times["fresh_s"].push_back(FreshMemory(static_cast<std::size_t>(first.st_size)));
      }
    }
  }
  for (const auto& [key, values] : times) std::printf("%s=%.6f\n", key.c_str(), Median(values));
  return 0;
}
