// Writes the benchmark's inputs into a folder: random binary numbers of 1 to 31 digits, one a
// line with CR LF, as UTF-16LE with its byte-order mark (numbers-<MiB>.tbin, what the program
// reads) and as ASCII (numbers-<MiB>.txt, what perl and python read and the converter's
// ordinary input on Linux), about <MiB> MiB of UTF-16LE each; and one-line.tbin, a single short
// number. The numbers are the same on every run.
//
// Each file is written in 4 KiB pieces, as most programs write their files, so that the page
// cache holds it in 4 KiB pages, as it holds a user's file (on Windows, a mapped view faults in
// 4 KiB pages too). The same bytes written in one piece, which Linux holds in large folios,
// the best case for mapped views, go to numbers-<MiB>-whole.tbin and .txt, for reference.
//
//   vornel_bench_inputs FOLDER MIB...

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr std::size_t kPieceBytes = 4096;

// Writes `bytes` to a new file at `path` in writes of `piece` bytes; false on failure.
bool WriteFile(const std::string& path, const std::string& bytes, std::size_t piece) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written = true;
  for (std::size_t at = 0; written && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min(piece, bytes.size() - at));
    written = n > 0;
    if (written) at += static_cast<std::size_t>(n);
  }
  return ::close(fd) == 0 && written;
}

// Writes both forms of a file: `name` in 4 KiB pieces, `wholeName` in one piece.
bool WriteBothForms(const std::string& name, const std::string& wholeName,
                    const std::string& bytes) {
  return WriteFile(name, bytes, kPieceBytes) && WriteFile(wholeName, bytes, bytes.size());
}

std::string Utf16LeWithMark(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + 2 * ascii.size());
  for (char c : ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

// ASCII lines of random binary numbers whose UTF-16LE form takes about `utf16Bytes` bytes.
std::string RandomNumberLines(std::uint64_t utf16Bytes, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int> digitCount(1, 31);
  std::string ascii;
  ascii.reserve(utf16Bytes / 2 + 64);
  while (2 * ascii.size() < utf16Bytes) {
    const int digits = digitCount(random);
    const std::uint64_t bits = random();
    for (int k = 0; k < digits; ++k) ascii.push_back((bits >> k) & 1 ? '1' : '0');
    ascii += "\r\n";
  }
  return ascii;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FOLDER MIB...\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  if (!WriteFile(folder + "/one-line.tbin", Utf16LeWithMark("101\r\n"), kPieceBytes)) return 1;
  for (int k = 2; k < argc; ++k) {
    const std::uint64_t mib = std::strtoull(argv[k], nullptr, 10);
    const std::string ascii = RandomNumberLines(mib << 20, 0x5eed0000 + mib);
    const std::string name = folder + "/numbers-" + std::to_string(mib);
    if (!WriteBothForms(name + ".txt", name + "-whole.txt", ascii) ||
        !WriteBothForms(name + ".tbin", name + "-whole.tbin", Utf16LeWithMark(ascii))) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}
