#pragma once
// The hand-off run, whole: while it holds the run lock of the working folders, it converts the
// input file of the hand-off folder into a file beside the result file, puts that in place of
// the result file and deletes the input. It says nothing itself: its front end (the dialog's
// batch run, ui/batch_run.cpp) tells the user.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// The folders a hand-off run works in (see storage/working_folders.h).
struct HandOffFolders {
  std::u16string tempDir;      // holds the run lock
  std::u16string autoFileDir;  // the hand-off folder: holds the input file
  std::u16string resultDir;    // holds the result file
};

// How a hand-off run ended. Only kCompleted deletes the input; only kCompleted and
// kInputNotDeleted leave a new result.
enum class HandOffOutcome {
  kCompleted,
  kAnotherRunBusy,    // another run held the lock for the whole wait
  kInputMissing,      // no input file (a folder of its name counts as none), or it went
  kInputEmpty,        // an input of no bytes
  kInputUnreadable,   // locked, held open for writing, or cut short while it was read
  kInputForeign,      // a character other than '0', '1', CR and LF
  kTooLong,           // a line longer than kLongestLine characters
  kResultUnwritable,  // the result could not be written or put in place
  kInputNotDeleted,   // the result is in place, but the input could not be deleted
  kOutOfMemory,       // before the result was in place: nothing of it is left
};

struct HandOffResult {
  HandOffOutcome outcome = HandOffOutcome::kCompleted;
  // Lines converted, for kCompleted, kTooLong, kResultUnwritable and kInputNotDeleted; else 0.
  std::int64_t numbers = 0;
};

// Runs the hand-off on `folders`, waiting up to `lockWait` for another run to finish first,
// and calls `converted` once the input is read to its end without a foreign character, before
// the result is put in place (the front end shows that it is busy). The lock is released
// before it returns, and no file beside the result is left. Returns how it ended; never
// throws (an exception from `converted` but std::bad_alloc goes through, lock released).
HandOffResult RunHandOff(const HandOffFolders& folders, std::chrono::milliseconds lockWait,
                         const std::function<void()>& converted);
