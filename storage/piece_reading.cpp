#include "storage/piece_reading.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "storage/platform.h"
#include "tuning/tuning.h"

namespace {

const PieceRead kNoRead = [] {};

// Reads from `file` into `at` until `bytes` are read or the file ends; the bytes read, fewer
// than `bytes` only at the end of the file. nullopt when a read fails.
std::optional<std::size_t> ReadFully(platform::NativeFile& file, char* at, std::size_t bytes) {
  std::size_t read = 0;
  while (read < bytes) {
    const auto got = file.Read(at + read, bytes - read);
    if (!got) return std::nullopt;
    if (*got == 0) break;
    read += *got;
  }
  return read;
}

// Memory that pieces are read into, aligned for 16-bit units so that the bytes can line up
// for them.
class PieceMemory {
 public:
  char* Bytes() const { return memory_.get(); }
  std::size_t Capacity() const { return capacity_; }
  // Room for at least `bytes` bytes; what was held is lost when it grows.
  void Make(std::size_t bytes) {
    if (bytes <= capacity_) return;
    // The capacity changes only once the memory is there: a failure leaves the object as it was.
    memory_ = platform::BufferMemoryOf(bytes);
    capacity_ = bytes;
  }

 private:
  platform::BufferMemory memory_;
  std::size_t capacity_ = 0;
};

// One read at a time on a thread of its own, started by one call and waited for by another.
class ReadAhead {
 public:
  ReadAhead() = default;
  // Waits for a read under way.
  ~ReadAhead() {
    if (!thread_.joinable()) return;
    {
      const std::lock_guard<platform::ThreadLock> lock(mutex_);
      stop_ = true;
    }
    changed_.WakeAll();
    thread_.join();
  }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Starts `read`, which must live until Wait returns, and returns; runs it at once when no
  // thread can be started.
  void Start(const PieceRead& read) {
    {
      const std::lock_guard<platform::ThreadLock> lock(mutex_);
      read_ = &read;
      done_ = false;
    }
    if (!thread_.joinable() && !StartThread()) {
      read();
      const std::lock_guard<platform::ThreadLock> lock(mutex_);
      read_ = nullptr;
      done_ = true;
      return;
    }
    changed_.WakeAll();
  }
  // Waits for the read started last.
  void Wait() {
    std::unique_lock<platform::ThreadLock> lock(mutex_);
    changed_.Wait(lock, [this] { return done_; });
  }

 private:
  bool StartThread() {
    try {
      thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }
  void Loop() {
    std::unique_lock<platform::ThreadLock> lock(mutex_);
    for (;;) {
      changed_.Wait(lock, [this] { return read_ != nullptr || stop_; });
      if (stop_) return;
      const PieceRead* const read = std::exchange(read_, nullptr);
      lock.unlock();
      (*read)();
      lock.lock();
      done_ = true;
      changed_.WakeAll();
    }
  }

  platform::ThreadLock mutex_;
  platform::ThreadCondition changed_;
  // Under mutex_: the read asked for, until it starts, and whether the last one is done.
  const PieceRead* read_ = nullptr;
  bool done_ = true;
  bool stop_ = false;
  std::thread thread_;  // started with the first read
};

}  // namespace

// For Read file's decoding and the copies of a file: see ReadPiecesAhead for what reading the
// next piece on a thread of its own buys.
PieceTaker ReadingAhead(PieceTaker take) {
  auto ahead = std::make_shared<ReadAhead>();
  return [ahead, take = std::move(take)](std::string_view bytes, bool last,
                                         const PieceRead& readNext) {
    ahead->Start(readNext);
    // The read is waited for whatever the taker does: it reads into the reader's memory.
    struct Waiting {
      ReadAhead& ahead;
      ~Waiting() { ahead.Wait(); }
    } waiting{*ahead};
    return take(bytes, last, kNoRead);
  };
}

// Plain reads, not mapped views: a file written in 4 KiB pieces, as most programs write, sits in
// the page cache in 4 KiB pages, and a view faults each page in (on Windows too). On 200 MiB
// written in pieces, mapped views against plain reads (bench/compare.sh, 5 rounds, 2026-12-08,
// machine busy, load 13 to 17): native pipeline 1151 → 684 ms, vornel-convert 1179 → 764 ms,
// vornel-convert.exe under wine 1778 → 1157 ms and the batch run 809 → 751 ms beyond start-up;
// again at load 7 to 3 (3 rounds): 356 → 197, 402 → 332, 355 → 219 and 469 → 146 ms;
// views prefaulted (MADV_POPULATE_READ, PrefetchVirtualMemory) gained natively and lost under
// wine. docs/performance.md ("How the input is read") has all the figures.
bool ReadPiecesPlainly(platform::NativeFile& file, std::optional<std::uint64_t> size,
                       std::size_t pieceBytes, const PieceTaker& take) {
  pieceBytes = std::max<std::size_t>(pieceBytes, 4);
  PieceMemory memory;
  std::uint64_t read = 0;  // bytes read so far
  char* start = nullptr;   // of the bytes handed back
  std::size_t held = 0;    // how many
  for (;;) {
    // They move to the front, to an address of their offset's parity.
    const std::size_t parity = (read - held) % 2;
    if (parity + held + pieceBytes > memory.Capacity()) {
      PieceMemory bigger;
      bigger.Make(parity + held + pieceBytes);
      if (held > 0) std::memcpy(bigger.Bytes() + parity, start, held);
      memory = std::move(bigger);
    } else if (held > 0) {
      std::memmove(memory.Bytes() + parity, start, held);
    }
    start = memory.Bytes() + parity;
    const auto got = ReadFully(file, start + held, pieceBytes);
    if (!got) return false;
    read += *got;
    const bool last = *got < pieceBytes;
    if (last && size && read < *size) return false;
    const auto taken = take(std::string_view(start, held + *got), last, kNoRead);
    if (!taken || last) return true;
    held += *got - *taken;
    start += *taken;
  }
}

// Each piece is read behind room for the bytes the taker hands back, which are copied there,
// so that only a taker that hands back more costs a copy of the piece.
// The next piece read meanwhile on a thread of its own, against ReadPiecesPlainly (200 MiB
// written in pieces, bench/compare.sh, 7 rounds, idle, 2026-12-08): the native pipeline
// 85 → 54 ms (5 rounds); vornel-convert from a file to a file, UTF-16 104 → 97 ms and ASCII
// 97 → 90 ms; from a pipe to a pipe 156 → 154 and 140 → 141 ms; under wine, waiting on the
// system's own lock (platform::ThreadLock), the batch run 127 → 123 ms and vornel-convert.exe
// 129 → 115 ms beyond start-up (with std::mutex: 123 → 140 and 128 → 146 ms).
// Read by the conversion's helper thread instead, so that two threads share the two cores
// rather than three (the same measures, 7 rounds, against the thread of its own): the pipeline
// 61 → 51 ms; vornel-convert UTF-16 89 → 78 and ASCII 87 → 71 ms, from a pipe to a pipe
// 150 → 118 and 130 → 112 ms; under wine the batch run 129 → 106 ms and vornel-convert.exe
// 123 → 107 ms; on the input written in one piece 0.79 to 0.97 of the time.
bool ReadPiecesAhead(platform::NativeFile& file, std::optional<std::uint64_t> size,
                     std::size_t pieceBytes, const PieceTaker& take) {
  pieceBytes = std::max<std::size_t>(pieceBytes, 4);
  // Each piece lands behind room for what is handed back, at an address of its offset's
  // parity.
  const auto landing = [](PieceMemory& memory, std::uint64_t offset) {
    return memory.Bytes() + tuning::kHandedBackBytes + offset % 2;
  };
  const std::size_t room = tuning::kHandedBackBytes + 1 + pieceBytes;
  PieceMemory memory[2];  // the current piece's and the next one's, in turn
  int current = 0;
  memory[current].Make(room);
  char* start = landing(memory[current], 0);  // of the current piece
  std::optional<std::size_t> got = ReadFully(file, start, pieceBytes);
  std::size_t held = got.value_or(0);  // the current piece's bytes
  std::uint64_t read = 0;              // bytes read so far
  // The next piece, read by the taker or else after it.
  char* next = nullptr;
  std::optional<std::size_t> nextGot;
  std::atomic<bool> nextRead{false};
  const PieceRead readNext = [&] {
    if (!nextRead.exchange(true)) nextGot = ReadFully(file, next, pieceBytes);
  };
  for (;;) {
    if (!got) return false;
    read += *got;
    const bool last = *got < pieceBytes;
    if (last && size && read < *size) return false;
    if (!last) {
      memory[1 - current].Make(room);
      next = landing(memory[1 - current], read);
      nextRead.store(false);
    }
    const auto taken = take(std::string_view(start, held), last, last ? kNoRead : readNext);
    if (!taken || last) return true;
    readNext();  // unless the taker did
    got = nextGot;
    const std::string_view handedBack(start + *taken, held - *taken);
    if (!got) return false;
    current = 1 - current;
    held = handedBack.size() + *got;
    if (handedBack.size() <= tuning::kHandedBackBytes) {
      start = next - handedBack.size();
      std::memcpy(start, handedBack.data(), handedBack.size());
      continue;
    }
    PieceMemory joined;
    joined.Make(1 + held);
    start = joined.Bytes() + (read - handedBack.size()) % 2;
    std::memcpy(start, handedBack.data(), handedBack.size());
    std::memcpy(start + handedBack.size(), next, *got);
    memory[current] = std::move(joined);
  }
}
