#pragma once
// The moments at which the tests end a batch run from outside (killed natively, terminated
// under wine), told from the result folder alone.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "tests/support/file_bytes.h"

enum class KillWhen { kAtOnce, kResultBegun, kFirstRunWritten, kHalfWritten, kResultInPlace };

struct KillCase {
  const char* name;
  KillWhen when;
};

inline constexpr KillCase kKillCases[] = {
    {"at once", KillWhen::kAtOnce},
    {"when the new result has begun", KillWhen::kResultBegun},
    {"after the first run of the result was written", KillWhen::kFirstRunWritten},
    {"with half of the result written", KillWhen::kHalfWritten},
    {"with the result in place", KillWhen::kResultInPlace},
};

// The unfinished results beside the result file: whether there is one, the largest's size.
struct Unfinished {
  bool begun = false;
  std::uintmax_t largest = 0;
};

inline Unfinished UnfinishedResultsIn(const std::filesystem::path& resultFolder) {
  Unfinished unfinished;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(resultFolder, error)) {
    if (entry.path().filename() == "Ostrum.tbin") continue;
    unfinished.begun = true;
    unfinished.largest = std::max(unfinished.largest, FileSize(entry.path()));
  }
  return unfinished;
}

// Whether the moment `when` has come, with `shown` bytes in the result file and a result of
// `resultSize` bytes to come.
inline bool MomentCame(KillWhen when, const Unfinished& beside, std::uintmax_t shown,
                       std::size_t resultSize) {
  switch (when) {
    case KillWhen::kAtOnce:
      return true;
    case KillWhen::kResultBegun:
      return beside.begun;
    case KillWhen::kFirstRunWritten:
      return beside.largest >= (1u << 20);
    case KillWhen::kHalfWritten:
      return beside.largest >= resultSize / 2;
    case KillWhen::kResultInPlace:
      return shown == resultSize;
  }
  return true;
}
