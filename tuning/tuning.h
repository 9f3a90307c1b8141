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

// Bytes of a file read at a time (the batch run and Read file), and of the batch run's result
// written at a time: neither the text nor the result is ever held whole, each piece stays in the
// processor's cache, and each read or write is one call into the system. How large hardly
// matters: the batch run's pipeline on 200 MiB took 267 / 215 / 214 / 239 ms reading in pieces
// of 64 Ki / 256 Ki / 1 Mi / 4 Mi bytes, and 176 / 184 / 178 ms writing in runs of 64 Ki /
// 256 Ki / 1 Mi bytes (ConvertBatchInput timed nine times each, in turn).
inline constexpr std::size_t kFilePieceBytes = std::size_t{1} << 18;

// Characters of an unfinished line at the end of a piece that are handed back, to come again
// with the next piece; a longer one is held aside instead. What is looked at twice stays below a
// 32nd of a piece, while the lines the program takes have at most 31 digits and a few CRs.
inline constexpr std::size_t kLongestReturnedChars = 4096;

// How long replacing a file keeps trying while another program has it open (Windows): a reader
// of the old result, or a virus scanner looking at the new one, usually lets go within moments.
// After it the batch run reports the result unwritable and keeps the input for a retry.
inline constexpr std::chrono::milliseconds kReplaceWait{2000};
// The pause between two tries, doubled after each up to the longest: a reader that lets go at
// once costs a few milliseconds, one that holds on costs about 25 tries in all.
inline constexpr std::chrono::milliseconds kReplaceFirstPause{5};
inline constexpr std::chrono::milliseconds kReplaceLongestPause{100};

// ---- The batch run ----

// How long a batch run waits for another one on the same hand-off folder to end before it says
// so and ends: runs take turns, so that two starts at once never share an input. A 200 MiB run
// takes about half a second under wine (bench/run.sh), so a queue of calling programs passes
// well within it, and a run that hangs does not hold the next start for ever.
inline constexpr std::chrono::minutes kBatchLockWait{5};

// ---- The dialog during a file conversion ----

// Time between two pumps of the window's messages: it bounds how soon Cancel is answered
// (within 22 and 41 ms in the splitting and the conversion phase: bench/compare.sh), and a run
// shorter than it shows only its end. Each pump repaints what changed, which under wine costs a
// round trip to the wine server.
inline constexpr std::chrono::milliseconds kPumpInterval{20};
// Time between two updates of the percentage shown: about the rate of a screen's frames; more
// often is not seen, and each update is a repaint. Not timed.
inline constexpr std::chrono::milliseconds kShowInterval{33};
// Units of work (characters split, numbers converted) between two progress steps, and steps
// between two looks at the clock: the dialog's logic converts the 290 823 numbers of 10 MiB in
// about 18 ms natively (bench/compare.sh), so 16 × 1024 of them take about 1 ms, far less than
// the pump interval, and the clock is read a few hundred times a second at most.
inline constexpr std::int64_t kProgressStride = 1024;
inline constexpr std::uint32_t kStepsPerClockCheck = 16;
// Time between two repaints of the window while the wait cursor shows: often enough to follow
// the progress bar, and a run shorter than it paints only its end. Not timed on its own.
inline constexpr std::chrono::milliseconds kBusyPaintInterval{100};

// ---- The text view ----

// The view marks a line when it is this many lines or characters after the previous mark (line
// 0 always): finding a line walks at most 128 lines or 4 Ki characters from its mark, and the
// marks of the benchmark's 200 MiB text (5.8 million lines) take about 0.7 MB.
inline constexpr std::size_t kLinesPerMark = 128;
inline constexpr std::size_t kCharsPerMark = 4096;

}  // namespace tuning
