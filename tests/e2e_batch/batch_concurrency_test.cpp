// Several calling programs at the same moment: eight starts of Vornel.exe on one input file,
// round after round. Every start must end normally, exactly one of them converts the input,
// and the result file is never seen incomplete or mixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e_batch/calling_program.h"
#include "tests/support/text_bytes.h"

namespace {

namespace fs = std::filesystem;

constexpr int kStartsPerRound = 8;
constexpr int kRounds = 20;
constexpr int kLinesPerInput = 3000;
constexpr Milliseconds kRoundTimeout{120000};

const std::wstring kCompleted = L"処理を完了しました。";
const std::wstring kMissing =
    L"２進数が記述された「Quillet.tbin」ファイルが有りません。\r\n処理を中止します。";

struct RoundFiles {
  std::string input;   // UTF-16LE with its mark
  std::string result;  // what the conversion of `input` must give
};

std::string BinaryOf(std::uint32_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + (value & 1)));
    value >>= 1;
  } while (value != 0);
  return digits;
}

// An input of its own for every round, so that a result of an earlier round is told apart.
RoundFiles MakeRound(int round) {
  std::string text;
  std::string result;
  for (std::uint32_t k = 0; k < kLinesPerInput; ++k) {
    const std::uint32_t value =
        (k * 2654435761u + static_cast<std::uint32_t>(round) * 40503u) & 0x7FFFFFFFu;
    text += BinaryOf(value) + "\r\n";
    result += std::to_string(value) + "\r\n";
  }
  return {Utf16WithMark(text), result};
}

bool AllEnded(const std::vector<std::unique_ptr<VornelRun>>& runs) {
  for (const auto& run : runs) {
    if (!run->Ended()) return false;
  }
  return true;
}

std::vector<HANDLE> HandlesOf(const std::vector<std::unique_ptr<VornelRun>>& runs) {
  std::vector<HANDLE> handles;
  handles.reserve(runs.size());
  for (const auto& run : runs) handles.push_back(run->Process());
  return handles;
}

// What one round's starts showed while they ran.
struct RoundSeen {
  std::map<DWORD, std::wstring> messageOf;  // process id: the text of its one message box
  int resultReads = 0;
  int foreignResults = 0;  // reads of a result file that was neither the earlier nor the new
};

// Answers the starts' message boxes and reads the result file until every start has ended or
// the round's time is up. `earlier` is the result file before the round; nullopt: none yet.
RoundSeen WatchRound(const std::vector<std::unique_ptr<VornelRun>>& runs,
                     const std::filesystem::path& output, const std::string& result,
                     const std::optional<std::string>& earlier) {
  const std::vector<HANDLE> handles = HandlesOf(runs);
  RoundSeen seen;
  const auto deadline = std::chrono::steady_clock::now() + kRoundTimeout;
  for (;;) {
    // The result file is always the earlier complete one or the new complete one.
    if (const std::optional<std::string> read = ReadShared(output)) {
      ++seen.resultReads;
      if (*read != result && read != earlier) ++seen.foreignResults;
    }
    for (const auto& run : runs) {
      if (run->Ended()) continue;
      if (const std::optional<MessageBoxSeen> box = MessageBoxOf(run->Id())) {
        seen.messageOf.emplace(run->Id(), box->text);
        Answer(*box);
      }
    }
    if (AllEnded(runs) || std::chrono::steady_clock::now() >= deadline) return seen;
    WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 10);
  }
}

TEST(BatchConcurrencyTest, StartsAtTheSameMomentConvertEachInputExactlyOnce) {
  HandOffDocuments documents;
  ASSERT_TRUE(documents.Ready()) << "could not set up a private Documents folder";
  // Messages on: every start reports its outcome in a box, so that conversions can be counted.
  ASSERT_TRUE(documents.WriteSettings("1\r\n1"));

  const auto testStart = std::chrono::steady_clock::now();
  std::optional<std::string> previousResult;  // none before the first round
  int roundsDone = 0;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const RoundFiles files = MakeRound(round);
    ASSERT_TRUE(WriteBytes(documents.Input(), files.input));

    std::vector<std::unique_ptr<VornelRun>> runs;
    for (int i = 0; i < kStartsPerRound; ++i) {
      runs.push_back(std::make_unique<VornelRun>());
      ASSERT_TRUE(runs.back()->Started())
          << "Vornel.exe did not start: error " << runs.back()->StartError();
    }
    const RoundSeen seen = WatchRound(runs, documents.Output(), files.result, previousResult);
    ASSERT_TRUE(AllEnded(runs)) << "a start did not end in time";

    for (const auto& run : runs) EXPECT_EQ(run->ExitCode(), 0u) << "process " << run->Id();
    int completed = 0;
    int missing = 0;
    for (const auto& [id, text] : seen.messageOf) {
      if (text == kCompleted) {
        ++completed;
      } else if (text == kMissing) {
        ++missing;
      } else {
        ADD_FAILURE() << "process " << id << " showed: " << Utf8Of(text);
      }
    }
    EXPECT_EQ(completed, 1) << "the input must be converted exactly once";
    EXPECT_EQ(missing, kStartsPerRound - 1);
    EXPECT_EQ(seen.foreignResults, 0) << "of " << seen.resultReads << " reads of the result file";
    EXPECT_FALSE(fs::exists(documents.Input()));
    EXPECT_EQ(ReadBytes(documents.Output()), files.result);
    EXPECT_EQ(NamesIn(documents.ResultFolder()), std::vector<std::string>{"Ostrum.tbin"});
    if (HasFailure()) break;
    previousResult = files.result;
    ++roundsDone;
  }
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - testStart);
  std::printf("%d rounds of %d starts at once in %.1f s\n", roundsDone, kStartsPerRound,
              seconds.count());
}

}  // namespace
