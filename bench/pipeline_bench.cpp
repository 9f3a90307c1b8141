// Times the conversion pipeline of a file conversion against what a user would run instead,
// side by side on the same numbers: the program's own routines in this process (read and
// decode, check the characters, split, apply the length limit, convert, format, write) on the
// UTF-16LE file, and perl and python3 on its ASCII form, each writing to a file. Every
// variant's output must be byte for byte the same. Each writes to a file that does not exist
// yet. Each round runs ours three times in a row, then perl, then python3, and, when it is
// named, the converter vornel-convert three times (on the UTF-16LE file, "--crlf IN OUT", its
// output checked against perl's too). Prints key=value lines (seconds, the median of all runs
// of each) for bench/run.sh. With "-" for PYTHON3 only ours run (bench/compare.sh, where the
// peers would only add time).
//
//   vornel_bench_pipeline UTF16_FILE ASCII_FILE OUT_FOLDER RUNS PYTHON3|- [CONVERTER]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/batch_pipeline.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Runs of ours in each round, one after the other.
constexpr int kOurRunsInARow = 3;

const char* const kPerlScript = "tr/\\r\\n//d; print oct(\"0b$_\"),\"\\r\\n\"";
const char* const kPythonScript =
    "import sys\n"
    "write = sys.stdout.buffer.write\n"
    "for line in sys.stdin.buffer:\n"
    "    write(b\"%d\\r\\n\" % int(line, 2))\n";

std::u16string U16(const std::string& path) { return std::u16string(path.begin(), path.end()); }

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One pass of the program's pipeline, writing the result as perl and python do (no flush to
// the disk, no replacement in one step); false when any step fails.
bool OurPipeline(const std::string& input, const std::string& output) {
  const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::optional<ConvertedInput> converted =
      ConvertBatchInput(U16(input), [fd](std::string_view bytes) {
        while (!bytes.empty()) {
          const ssize_t written = ::write(fd, bytes.data(), bytes.size());
          if (written <= 0) return false;
          bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return true;
      });
  const bool closed = ::close(fd) == 0;
  return closed && converted && !converted->foreign && !converted->tooLong &&
         !converted->resultFailed;
}

// Runs `argv` with stdin from `input` and stdout to `output`; its wall time, nullopt when it
// fails.
std::optional<double> RunPeer(std::vector<const char*> argv, const std::string& input,
                              const std::string& output) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  argv.push_back(nullptr);
  pid_t pid = 0;
  const auto start = Clock::now();
  const int spawned =
      posix_spawnp(&pid, argv[0], &files, nullptr, const_cast<char* const*>(argv.data()), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return std::nullopt;
  const auto end = Clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return std::chrono::duration<double>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr, "usage: %s UTF16_FILE ASCII_FILE OUT_FOLDER RUNS PYTHON3|- [CONVERTER]\n",
                 argv[0]);
    return 2;
  }
  const std::string utf16 = argv[1];
  const std::string ascii = argv[2];
  const std::string folder = argv[3];
  const int runs = std::max(1, std::atoi(argv[4]));
  const char* const python3 = argv[5];
  const bool peers = std::string(python3) != "-";
  const std::string ours = folder + "/ours.out";
  const std::string perl = folder + "/perl.out";
  const std::string python = folder + "/python.out";
  const char* const converter = argc == 7 ? argv[6] : nullptr;
  const std::string converted = folder + "/converter.out";

  // One untimed pass each warms the file cache and checks that everything works.
  if (!OurPipeline(utf16, ours)) {
    std::fprintf(stderr, "the program's pipeline failed on %s\n", utf16.c_str());
    return 1;
  }
  std::vector<double> ourTimes;
  std::vector<double> perlTimes;
  std::vector<double> pythonTimes;
  std::vector<double> converterTimes;
  for (int run = 0; run < runs; ++run) {
    // Ours a few times in each round: its runs are short and vary much from one to the next
    // on a shared machine; more of them make a steadier median.
    for (int again = 0; again < kOurRunsInARow; ++again) {
      ::unlink(ours.c_str());
      const auto start = Clock::now();
      if (!OurPipeline(utf16, ours)) return 1;
      ourTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    if (!peers) continue;
    for (const std::string& output : {perl, python}) ::unlink(output.c_str());
    const auto p = RunPeer({"perl", "-ne", kPerlScript}, ascii, perl);
    const auto y = RunPeer({python3, "-c", kPythonScript}, ascii, python);
    if (!p || !y) {
      std::fprintf(stderr, "perl or python3 failed\n");
      return 1;
    }
    perlTimes.push_back(*p);
    pythonTimes.push_back(*y);
    for (int again = 0; converter != nullptr && again < kOurRunsInARow; ++again) {
      ::unlink(converted.c_str());
      const auto c = RunPeer({converter, "--crlf", utf16.c_str(), converted.c_str()}, "/dev/null",
                             "/dev/null");
      if (!c) {
        std::fprintf(stderr, "the converter failed\n");
        return 1;
      }
      converterTimes.push_back(*c);
    }
  }

  if (!peers) {
    std::printf("ours_s=%.6f\n", Median(ourTimes));
    return 0;
  }
  const std::string expected = ReadBytes(ours);
  const bool same = ReadBytes(perl) == expected && ReadBytes(python) == expected &&
                    (converter == nullptr || ReadBytes(converted) == expected);
  std::size_t lines = static_cast<std::size_t>(std::count(expected.begin(), expected.end(), '\n'));
  std::printf("numbers=%zu\n", lines);
  std::printf("input_bytes=%lld\n", static_cast<long long>(ReadBytes(utf16).size()));
  std::printf("ours_s=%.6f\nperl_s=%.6f\npython_s=%.6f\n", Median(ourTimes), Median(perlTimes),
              Median(pythonTimes));
  if (converter != nullptr) std::printf("converter_s=%.6f\n", Median(converterTimes));
  std::printf("same_output=%d\n", same ? 1 : 0);
  if (!same) std::fprintf(stderr, "the outputs differ\n");
  return same ? 0 : 1;
}
