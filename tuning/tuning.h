#pragma once
// The program's tuning numbers in one place: the sizes it works in and the times it waits, each
// with why it is what it is and the figure behind it. Timed figures come from this machine (two
// shared cores, Debian 12, wine 8.0) on 2026-12-07, as medians of alternating runs; the others
// follow from the reason given.
//
// Every folder of the program may include this header: it includes nothing of the program.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace tuning {

// ---- Files ----

// Bytes of a file read and decoded at a time (Read file): few enough to stay in the
// processor's cache. How many hardly matters: reading and decoding 200 MiB took 272 / 269 /
// 252 ms in pieces of 64 Ki / 256 Ki / 1 Mi bytes (ReadFileInPieces timed seven times each, in
// turn; the scatter is as large as the differences).
inline constexpr std::size_t kReadPieceBytes = std::size_t{1} << 18;

// Bytes of new memory from which Read file's text is touched by two threads before it is
// decoded into. Against a thread started and ended (about 4.5 ms under wine, see
// kSplitOnTwoThreadsFrom), first touches cost about 2.7 ms a MiB on one thread, and two threads
// save about a third of that (Read file of 200 MiB: 659 → 435 ms, bench/compare.sh, 5 rounds),
// so they pay from about 5 MiB; the bound is about three times that.
inline constexpr std::size_t kTouchOnTwoThreadsFrom = std::size_t{1} << 24;

// Bytes of a new result after which their writing to the disk is started and, on a thread of
// its own, waited for (Linux), so that the flush before it takes its file's place waits only
// for the last of them: vornel-convert on the 200 MiB input took 102 ms flushing everything at
// the end, 88 / 89 / 94 ms starting the writing every 2 / 8 / 32 MiB (7 runs each, in turn,
// machine idle); the thread's figures are beside it (storage/disk_flusher.h).
// Every 2 MiB rather than 8 natively since 2026-12-10: vornel-convert from a file to a file,
// 200 MiB written in pieces, UTF-16 82 → 77 ms and ASCII 78 → 72 ms (bench/compare.sh, 9
// rounds; 93 → 84 and 79 → 71 ms in 21 alternating runs; the flusher's last fsync 8 to 10 →
// 1 to 4 ms by strace); written in one piece 73 → 74 and 71 → 68 ms (9 rounds). Under wine it
// bought nothing: the hand-off run in its process 95.2 → 95.4 ms (medians of 7 alternating sets
// of nine), so the Windows build keeps 8 MiB.
#if defined(_WIN32)
inline constexpr std::size_t kStartFlushingBytes = std::size_t{8} << 20;
#else
inline constexpr std::size_t kStartFlushingBytes = std::size_t{2} << 20;
#endif

// How long replacing a file keeps trying while another program has it open (Windows): a reader
// of the old result, or a virus scanner looking at the new one, usually lets go within moments.
// After it the batch run reports the result unwritable and keeps the input for a retry.
inline constexpr std::chrono::milliseconds kReplaceWait{2000};
// The pause between two tries, doubled after each up to the longest: a reader that lets go at
// once costs a few milliseconds, one that holds on costs about 25 tries in all.
inline constexpr std::chrono::milliseconds kReplaceFirstPause{5};
inline constexpr std::chrono::milliseconds kReplaceLongestPause{100};

// Bytes a pipe to or from the converter is asked to hold (Linux; Windows leaves the size to the
// pipe's maker): 200 MiB through `cat IN | PROGRAM` took 90–100 ms with the usual 64 KiB and
// 60 ms with 1 MiB, the most an unprivileged program may ask for (a program that only reads,
// three runs each, in turn, 2026-12-08).
inline constexpr std::size_t kPipeBytes = std::size_t{1} << 20;

// Bytes at the start of a text without a byte-order mark that tell UTF-16LE from UTF-8: the
// text is UTF-16LE when every byte at an odd offset among them is zero. A UTF-8 text of binary
// numbers has a non-zero byte at offset 1 already; more bytes only guard against one that
// starts with NULs, and all of them are read before the conversion starts. Users rely on it:
// the README and the manual page say "the first 4 KiB". Not timed.
inline constexpr std::size_t kSniffedBytes = 4096;

// ---- The batch run ----

// Bytes of the input converted at a time: enough for the two threads to share each piece at
// little cost. The batch run's pipeline on 200 MiB took 113 / 88 / 99 ms in pieces of
// 256 Ki / 1 Mi / 4 Mi bytes (ConvertBatchInput timed nine times each, in turn, machine idle).
// The Windows build reads into ordinary 4 KiB pages, each touched first at a cost (12 µs under
// wine here), and takes half a MiB: under wine the batch run 82 → 76 ms and vornel-convert.exe
// 97 → 89 ms beyond start-up (bench/compare.sh, 9 rounds, 2026-12-09); the hand-off run in its
// process 103.4 → 94.4 ms (seven alternating sets of nine), and with 256 / 512 / 768 Ki against
// 1 Mi 99.2 / 96.0 / 103.6 against 113.9 ms. Natively, in huge pages, half a MiB lost:
// vornel-convert 79 → 83 ms file to file, 111 → 126 ms pipe to pipe.
#if defined(_WIN32)
inline constexpr std::size_t kBatchPieceBytes = std::size_t{1} << 19;
#else
inline constexpr std::size_t kBatchPieceBytes = std::size_t{1} << 20;
#endif

// Bytes of the result handed to the file at a time: each write is a call into the system, and
// the same memory serves every run. How many hardly matters: 176 / 184 / 178 ms for runs of
// 64 Ki / 256 Ki / 1 Mi bytes (on one thread, nine times each, in turn).
inline constexpr std::size_t kResultRunBytes = std::size_t{1} << 18;

// Characters ahead of the block being converted that are asked into the processor's cache
// (2 KiB): the conversion's own work between two blocks hides the wait for memory only when
// the memory was asked for early. ConvertNumberLines on 200 MiB in memory, one thread: 86 and
// 91 ms without; 66–71 / 66–68 / 66–67 / 64–67 / 68–70 ms asking 256 / 512 / 1 Ki / 2 Ki /
// 4 Ki characters ahead (medians of 9 runs, in two rounds, in turn).
inline constexpr std::ptrdiff_t kPrefetchChars = 1024;

// A piece of at least this many characters is shared by the two threads; a shorter one is
// converted by the caller alone, sooner than the helper could take a chunk of it.
inline constexpr std::size_t kShareFromChars = std::size_t{1} << 16;

// Characters a shared chunk has at least (it ends at a line end): far more work than taking
// it, and long enough runs of memory for the prefetching to pay. The batch run's pipeline on
// 200 MiB (no writing, both threads) took 53 / 48 / 44 / 43 / 43 ms in chunks of 8 / 16 / 32 /
// 64 / 128 Ki characters (medians of 9 runs, three rounds, in turn, 2026-12-07).
inline constexpr std::size_t kChunkChars = std::size_t{1} << 15;

// How long a thread that waits for the other keeps looking (giving way to any other thread
// between looks) before it sleeps: waking a sleeping thread can take far longer than
// converting a chunk. Not timed on its own.
inline constexpr std::chrono::milliseconds kLookBeforeSleep{2};

// Characters of an unfinished line at the end of a piece that are handed back, to come again
// with the next piece; a longer one is held aside instead. What is looked at twice stays below a
// 128th of a piece of UTF-16 text (4 Ki characters, 2 Ki in the Windows build), while the lines
// the program takes have at most 31 digits and a few CRs.
inline constexpr std::size_t kLongestReturnedChars = kBatchPieceBytes / sizeof(char16_t) / 128;

// Bytes that a reader of a file in pieces hands back which go in front of the next piece, read
// meanwhile, without moving it: the longest unfinished line the conversion hands back, in
// UTF-16; the decoding hands back a few bytes at most. More still work, at the cost of a copy
// of the piece.
inline constexpr std::size_t kHandedBackBytes = 2 * kLongestReturnedChars;

// How long a batch run waits for another one on the same hand-off folder to end before it says
// so and ends: runs take turns, so that two starts at once never share an input. A 200 MiB run
// takes about a third of a second under wine (bench/compare.sh), so a queue of calling programs
// passes well within it, and a run that hangs does not hold the next start for ever.
inline constexpr std::chrono::minutes kBatchLockWait{5};
// How often a run that waits for that lock tries again: the lock is a file held open, which no
// system waits for with a time limit. The next run starts within a few milliseconds of the
// last one's end, at a cost too small to see. Not timed.
inline constexpr std::chrono::milliseconds kLockPollPause{5};

// ---- The dialog during a file conversion ----

// Time between two pumps of the window's messages: it bounds how soon Cancel is answered
// (in 13 and 24 ms in the splitting and the conversion phase: bench/compare.sh), and a run
// shorter than it shows only its end. Each pump repaints what changed, which under wine costs a
// round trip to the wine server.
inline constexpr std::chrono::milliseconds kPumpInterval{20};
// Time between two updates of the percentage shown: about the rate of a screen's frames; more
// often is not seen, and each update is a repaint. Not timed.
inline constexpr std::chrono::milliseconds kShowInterval{33};
// Units of work (characters split, numbers converted) between two progress steps, and steps
// between two looks at the clock: the dialog's logic converts the 290 823 numbers of 10 MiB in
// about 10 ms natively (bench/compare.sh), so 16 × 1024 of them take well under 1 ms, far less
// than the pump interval, and the clock is read a few thousand times a second at most.
inline constexpr std::int64_t kProgressStride = 1024;
inline constexpr std::uint32_t kStepsPerClockCheck = 16;
// A file text of at least this many characters is split by the dialog's thread and a helper,
// half each. Starting and ending a thread takes about 4.5 ms under wine (50 in a row, in a
// program of its own, 2026-12-08; far less on Windows). Two threads saved about 45 ms on the
// split of 200 MiB (105 Mi characters), so they pay from about 10 Mi characters; the bound is
// about twice that. Below it, on 10 MiB, two threads had cost 11 ms (56 → 67 ms,
// bench/compare.sh, 5 rounds, with the results written on two threads as well).
inline constexpr std::size_t kSplitOnTwoThreadsFrom = std::size_t{1} << 24;
// How many characters the helper may split beyond those the dialog's thread has stepped
// through: about 3 ms of splitting, more than a pump takes, so the helper seldom waits; while
// the dialog's thread shows a message box (after a click on Cancel) the helper stops there
// instead of taking a processor from it. Cancel under wine, answered in the splitting phase:
// 48 to 50 ms with 16 Mi characters, 34 to 36 ms with 4 Mi.
inline constexpr std::int64_t kHelperLeadChars = std::int64_t{1} << 22;
// Time between two repaints of the window while the wait cursor shows: often enough to follow
// the progress bar, and a run shorter than it paints only its end. Not timed on its own.
inline constexpr std::chrono::milliseconds kBusyPaintInterval{100};

// ---- The text view ----

// The view marks a line when it is this many lines or characters after the previous mark (line
// 0 always): finding a line walks at most 128 lines or 4 Ki characters from its mark, and the
// marks of the benchmark's 200 MiB text (5.8 million lines) take about 0.7 MB.
inline constexpr std::size_t kLinesPerMark = 128;
inline constexpr std::size_t kCharsPerMark = 4096;

// How many of the longest lines (in characters) are measured for the width of the horizontal
// scroll range, and so kept by the line index: in a proportional font a slightly shorter line
// may be the wider one, and each line measured is a call into the system at each new text,
// where a large text has millions of lines. Not timed.
inline constexpr std::size_t kMeasuredLines = 64;
// Characters of one line that are measured and drawn; the rest of a longer line stays in the
// text (and is copied) but is not shown. 4 Ki characters are some 25 screens wide at 8 pixels
// a character, and a file without line breaks (one line of up to hundreds of MiB) is then not
// measured and drawn whole at each paint. Not timed.
inline constexpr std::size_t kMaxShownChars = 4096;

// Characters of the view's text that its accessible value, and a text range's text asked for
// without a smaller limit, hold at most: the text is cut at the first line end at or after this
// many characters, or at twice as many when no line end comes before. A screen reader reads a
// value a line at a time, and 64 Ki characters are over a thousand lines of this program's
// texts; copying up to 256 KiB keeps each query far below 10 ms, while a whole 200 MiB text
// would take far longer and 400 MiB of memory in each process that asks.
inline constexpr std::size_t kAccessibleTextChars = std::size_t{1} << 16;

}  // namespace tuning
