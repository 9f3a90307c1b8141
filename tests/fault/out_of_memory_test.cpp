// Memory running out in the middle of a click and of a batch run: each allocation of the step
// fails in turn (the large ones for the steps that take large ones, every one for a small
// text), and the step either completes or says so with everything as it was before.
#include <gtest/gtest.h>

#include "convert/split.h"
#include "tests/fault/allocation_failure.h"
#include "tests/fault/tree_snapshot.h"
#include "tests/support/dialog_fixture.h"
#include "tests/support/test_text.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLarge = std::size_t{1} << 16;  // smaller than what the steps allocate
constexpr std::size_t kEvery = 1;
const std::u16string kOutOfMemory = u"メモリが不足しているため、処理を中止します。";

// The fake window whose message boxes are recorded whatever memory is left: the box is the
// window system's, its record the test's own bookkeeping.
struct MemoryWindow : FakeWindow {
  void MessageBox(std::u16string_view text, MessageIcon icon) override {
    const AllocationFailurePause pause;
    FakeWindow::MessageBox(text, icon);
  }
};
using Rig = DialogRigOn<MemoryWindow>;

// Numbers enough that the text and the result take several large allocations.
std::string ManyNumbers() {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "1011\r\n";
  return text;
}

// What a click may change: the controls, the boxes shown, the end of the dialog, the text read
// last, the switch and the files below the rig's folder (except the subtree `skip`).
struct State {
  std::map<int, FakeWindow::Control> controls;
  std::vector<FakeWindow::Box> boxes;
  std::optional<int> endResult;
  int beeps = 0;
  bool waitCursor = false;
  std::u16string loadedText;
  std::int32_t autoProcessingOn = 0;
  std::map<std::string, std::string> files;
  bool operator==(const State&) const = default;
};

// With `passedOver`, as Exit leaves it: the controls ended with the dialog, and the program's
// own folders hold what it could remove and write.
State StateOf(Rig& rig, bool passedOver = false) {
  const fs::path skip = passedOver ? rig.AppData() : fs::path();
  State state{rig.window.controls,          rig.window.boxes,
              rig.window.endResult,         rig.window.beeps,
              rig.window.waitCursor,        std::u16string(rig.conversion.LoadedText),
              rig.folders.AutoProcessingOn, SnapshotTree(rig.temp.path(), skip)};
  // Unseen while the bar is hidden, and the file's folder differs from rig to rig.
  state.controls[IDC_PROGRESS].rangeMax = 0;
  auto& chosen = state.controls[IDC_BROWSE_FILE].text;
  chosen = fs::path(chosen).filename().u16string();
  if (passedOver) state.controls.clear();
  return state;
}

// The parts in which two states differ, for the failure message.
std::string Differences(const State& a, const State& b) {
  std::string parts;
  for (const auto& [id, control] : a.controls) {
    if (b.controls.at(id) != control) parts += "control " + std::to_string(id) + ", ";
  }
  if (a.boxes != b.boxes) parts += "boxes, ";
  if (a.endResult != b.endResult || a.beeps != b.beeps || a.waitCursor != b.waitCursor) {
    parts += "end, beeps or cursor, ";
  }
  if (a.loadedText != b.loadedText) parts += "LoadedText, ";
  if (a.autoProcessingOn != b.autoProcessingOn) parts += "AutoProcessingOn, ";
  if (a.files != b.files) parts += "files, ";
  return parts;
}

void ReadFile(Rig& rig, const char* name, const std::string& text) {
  const fs::path path = rig.temp.path() / name;
  WriteBytes(path, Utf16Bytes(text));
  rig.window.controls[IDC_BROWSE_FILE].text = path.u16string();
  rig.window.Click(IDC_BTN_READ_FILE);
}

struct ClickCase {
  const char* name;
  void (*prepare)(Rig& rig, const std::string& text);  // the dialog before the click
  int button;
  std::string text;
  std::size_t failFrom;  // the allocations of at least this size fail in turn
  bool trims;            // a run trims the trailing line breaks of LoadedText before anything
  bool passesOver;       // Exit: what it could not remove or write is passed over
};

TEST(OutOfMemoryTest, EachClickCompletesOrSaysSoAndKeepsEverything) {
  const std::string many = ManyNumbers();
  const std::string few = "101\r\n11\r\n";
  const auto readAfterText = [](Rig& rig, const std::string& text) {
    ReadFile(rig, "before.txt", "101\r\n");
    WriteBytes(rig.temp.path() / "the.txt", Utf16Bytes(text));
    rig.window.controls[IDC_BROWSE_FILE].text = (rig.temp.path() / "the.txt").u16string();
  };
  const auto readAfterEmpty = [](Rig& rig, const std::string& text) {
    ReadFile(rig, "before.txt", "");
    WriteBytes(rig.temp.path() / "the.txt", Utf16Bytes(text));
    rig.window.controls[IDC_BROWSE_FILE].text = (rig.temp.path() / "the.txt").u16string();
  };
  const auto convertAfterResults = [](Rig& rig, const std::string& text) {
    ReadFile(rig, "before.txt", "101\r\n");
    rig.window.Click(IDC_BTN_CONVERT_FILE);
    ReadFile(rig, "the.txt", text);
  };
  const auto saveResults = [](Rig& rig, const std::string& text) {
    ReadFile(rig, "the.txt", text);
    rig.window.Click(IDC_BTN_CONVERT_FILE);
    rig.window.saveAnswers.emplace_back((rig.temp.path() / "saved.txt").u16string());
  };
  const auto convertNumber = [](Rig& rig, const std::string& /*text*/) {
    rig.window.Type(IDC_EDIT_BINARY, u"101");
    rig.window.Click(IDC_BTN_CONVERT);
    rig.window.Type(IDC_EDIT_BINARY, std::u16string(31, u'1'));
  };
  const auto idle = [](Rig& /*rig*/, const std::string& /*text*/) {};
  const auto switchedOn = [](Rig& rig, const std::string& /*text*/) {
    rig.window.Click(IDC_CHK_AUTO);
  };
  // cppcheck-suppress constParameter ; the table's preparations take the rig to change
  const auto handOffFromElsewhere = [](Rig& rig, const std::string& /*text*/) {
    fs::create_directories(rig.HandOff());
    WriteBytes(rig.Input(), Utf16Bytes("101\r\n"));
  };
  const ClickCase cases[] = {
      {"Read file after a text", readAfterText, IDC_BTN_READ_FILE, many, kLarge, false, false},
      {"Read file after an empty file", readAfterEmpty, IDC_BTN_READ_FILE, many, kLarge, false,
       false},
      {"Read file, a small one", readAfterText, IDC_BTN_READ_FILE, few, kEvery, false, false},
      {"Convert file data", convertAfterResults, IDC_BTN_CONVERT_FILE, many, kLarge, true, false},
      {"Convert file data, a small one", convertAfterResults, IDC_BTN_CONVERT_FILE, few, kEvery,
       true, false},
      {"Save", saveResults, IDC_BTN_SAVE, many, kLarge, false, false},
      {"Save, a small result", saveResults, IDC_BTN_SAVE, few, kEvery, false, false},
      {"Convert", convertNumber, IDC_BTN_CONVERT, "", kEvery, false, false},
      {"automatic processing on", idle, IDC_CHK_AUTO, "", kEvery, false, false},
      {"automatic processing off", switchedOn, IDC_CHK_AUTO, "", kEvery, false, false},
      {"Exit", handOffFromElsewhere, IDC_BTN_EXIT, "", kEvery, false, true},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto prepare = [&c](Rig& rig) {
      rig.dialog.SetProgressThrottling(c.text.size() > kLarge);  // a long run takes few steps
      rig.Start();
      c.prepare(rig, c.text);
    };
    State completed;
    {
      Rig rig;
      prepare(rig);
      ASSERT_TRUE(rig.window.Click(c.button));
      completed = StateOf(rig, c.passesOver);
    }
    int failures = 0;
    for (int skip = 0;; ++skip) {
      SCOPED_TRACE("allocation " + std::to_string(skip));
      Rig rig;
      prepare(rig);
      State expected = StateOf(rig);
      expected.boxes.push_back({kOutOfMemory, MessageIcon::kError});
      if (c.trims) TrimTrailingLineBreaks(expected.loadedText);

      ArmAllocationFailure(c.failFrom, skip);
      bool escaped = false;
      try {
        rig.window.Click(c.button);
      } catch (const std::bad_alloc&) {
        escaped = true;
      }
      const bool failed = DisarmAllocationFailure();
      const State after = StateOf(rig);
      const bool asBefore = after == expected;
      const State ended = StateOf(rig, c.passesOver);
      const bool asCompleted = ended == completed;
      EXPECT_FALSE(escaped) << "out of memory left the handler";
      EXPECT_TRUE(asBefore || asCompleted)
          << "neither as before with the message nor completed; unlike before: "
          << Differences(after, expected) << "unlike completed: " << Differences(ended, completed);
      failures += asBefore ? 1 : 0;
      if (!failed || escaped || !(asBefore || asCompleted)) break;  // all had their turn, or wrong
    }
    EXPECT_GE(failures, 1);
  }
}

struct BatchCase {
  const char* name;
  std::string input;
  std::size_t failFrom;
  std::string output;
};

TEST(OutOfMemoryTest, ABatchRunSaysSoAndKeepsTheInput) {
  std::string manyResults;
  for (int i = 0; i < 20000; ++i) manyResults += "11\r\n";
  const BatchCase cases[] = {
      {"large allocations", ManyNumbers(), kLarge, manyResults},
      {"every allocation", "1011\r\n1\r\n", kEvery, "11\r\n1\r\n"},
  };
  for (const BatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = Utf16Bytes(c.input);
    int failures = 0;
    for (int skip = 0;; ++skip) {
      SCOPED_TRACE("allocation " + std::to_string(skip));
      Rig rig;
      fs::create_directories(rig.HandOff());
      fs::create_directories(rig.Output().parent_path());
      // Messages shown, without a settings file.
      rig.window.controls[IDC_CHK_MESSAGES].check = 1;
      WriteBytes(rig.Input(), input);
      ArmAllocationFailure(c.failFrom, skip);
      try {
        rig.dialog.OnInitDialog();
      } catch (const std::bad_alloc&) {
        ADD_FAILURE() << "out of memory left the batch run";
        DisarmAllocationFailure();
        break;
      }
      if (!DisarmAllocationFailure()) {
        EXPECT_FALSE(fs::exists(rig.Input()));
        EXPECT_EQ(ReadBytes(rig.Output()), c.output);
        break;
      }
      EXPECT_EQ(rig.window.endResult, -1);
      ASSERT_EQ(rig.window.boxes.size(), 1u);
      EXPECT_EQ(rig.window.boxes[0].icon, MessageIcon::kError);
      EXPECT_EQ(ReadBytes(rig.Input()), input);
      if (rig.window.boxes[0].text == kOutOfMemory) {
        ++failures;
        EXPECT_TRUE(fs::is_empty(rig.Output().parent_path())) << "no result, nothing beside it";
      } else {
        // Once the result is in place, only the input's deletion can fail.
        EXPECT_EQ(rig.window.boxes[0].text, batch_msg::kInputNotDeleted);
        EXPECT_EQ(ReadBytes(rig.Output()), c.output);
        EXPECT_EQ(SnapshotTree(rig.Output().parent_path()).size(), 1u) << "nothing beside it";
      }
    }
    EXPECT_GE(failures, 1);
  }
}

}  // namespace
