// Settings files of any content: every length from 0 to 16 bytes over random bytes, and
// files of 3 MB. A start never fails, and the check boxes follow the reading rules, which a
// small reference below restates: the text is the bytes up to the first NUL (at most the
// reader's buffer less one byte); a text of 10000 characters or more counts as empty; LF
// ends a line except as the last character; CR and bytes above 0x7F are dropped; only two
// lines are kept; a line means off only when it is exactly "0".
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/support/dialog_fixture.h"
#include "ui/batch_messages.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kLongestRandomFile = 16;
constexpr int kFilesPerLength = 100;
constexpr std::size_t kLargeFile = std::size_t{3} * 1024 * 1024;

struct ExpectedReading {
  std::array<std::string, 2> lines;
  bool autoChecked = false;
  bool messagesChecked = false;
};

ExpectedReading ReferenceReading(const std::string& bytes) {
  constexpr std::size_t kReaderBuffer = 2077000;
  constexpr std::size_t kRefusedLength = 10000;
  const std::string text = bytes.substr(0, std::min(bytes.find('\0'), kReaderBuffer - 1));
  ExpectedReading expected;
  if (text.size() < kRefusedLength) {
    std::size_t line = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '\n') {
        if (i + 1 != text.size()) ++line;
      } else if (c != '\r' && c < 0x80 && line < 2) {
        expected.lines[line] += static_cast<char>(c);
      }
    }
  }
  expected.autoChecked = expected.lines[0] != "0";
  expected.messagesChecked = expected.autoChecked && expected.lines[1] != "0";
  return expected;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

// Random settings bytes, drawn mostly from the bytes the reading treats specially, so that
// lines meaning off come up as often as lines meaning on.
std::string RandomSettings(std::mt19937& random, std::size_t length) {
  static constexpr char kSpecial[] = {'0', '0', '1', '\r', '\n', '\n', '\0', ' ', '\x80', '\xFF'};
  std::string bytes;
  for (std::size_t k = 0; k < length; ++k) {
    const std::uint32_t draw = random();
    bytes.push_back(draw % 10 < 7 ? kSpecial[(draw >> 8) % sizeof kSpecial]
                                  : static_cast<char>((draw >> 16) & 0xFF));
  }
  return bytes;
}

// The large files: 3 MB and more of content the reader has to cut.
std::vector<std::pair<std::string, std::string>> LargeSettingsFiles(std::mt19937& random) {
  std::string randomBytes(kLargeFile, '\0');
  for (char& c : randomBytes) c = static_cast<char>(random() & 0xFF);
  std::string noNul(kLargeFile, '\0');
  for (char& c : noNul) c = static_cast<char>(1 + random() % 255);
  return {
      {"3 MB of random bytes", randomBytes},
      {"3 MB without a NUL byte", noNul},
      {R"("0" CR LF "0", then 3 MB of line ends)", "0\r\n0" + std::string(kLargeFile, '\n')},
      {R"("0" CR LF "0", a NUL, then 3 MB)", "0\r\n0" + std::string(1, '\0') + noNul},
      {"9999 characters before a NUL", "1\r\n0" + std::string(9995, '\n') + '\0' + noNul},
      {"10000 characters before a NUL", "1\r\n0" + std::string(9996, '\n') + '\0' + noNul},
  };
}

class SettingsFaultTest : public DialogTest {
 protected:
  // One start on `bytes` as the settings file; checks the boxes against the reference.
  // `batch`: the hand-off folder exists (without an input), so the start is a batch run
  // that shows its refusal exactly when the message gate is open.
  void StartOn(const std::string& name, const std::string& bytes, bool batch) {
    SCOPED_TRACE(name);
    WriteSettings(bytes);
    const ExpectedReading expected = ReferenceReading(bytes);
    FolderState f;
    SettingsState s;
    // The reader's buffer goes from start to start, as it would stay in memory between
    // reads: only each read's own bytes may count.
    s.SettingsReadBuffer = std::move(readBuffer);
    ConversionState cs;
    FakeWindow w;
    CVornelDlg d(w, f, s, cs);
    w.dialog = &d;
    d.SetDocumentsLookup([this] { return documents.u16string(); });
    ASSERT_TRUE(d.OnInitDialog());
    EXPECT_EQ(Narrow(s.SettingLines[0]), expected.lines[0]);
    EXPECT_EQ(Narrow(s.SettingLines[1]), expected.lines[1]);
    EXPECT_EQ(w[IDC_CHK_MESSAGES].check, expected.messagesChecked ? 1 : 0);
    if (batch) {
      EXPECT_EQ(w.endResult, -1);
      EXPECT_EQ(w[IDC_CHK_AUTO].check, expected.autoChecked ? 1 : 0);
      EXPECT_EQ(w[IDC_CHK_MESSAGES].visible, expected.autoChecked);
      if (expected.messagesChecked) {
        ASSERT_EQ(w.boxes.size(), 1u);
        EXPECT_EQ(w.boxes[0].text, batch_msg::kInputMissing);
      } else {
        EXPECT_TRUE(w.boxes.empty());
      }
    } else {
      // An interactive start unchecks the automatic-processing box again.
      EXPECT_FALSE(w.endResult.has_value());
      EXPECT_EQ(w[IDC_CHK_AUTO].check, 0);
      EXPECT_FALSE(w[IDC_CHK_MESSAGES].visible);
      EXPECT_TRUE(w.boxes.empty());
    }
    ++outcomes[expected.autoChecked ? (expected.messagesChecked ? 2 : 1) : 0];
    ++starts;
    readBuffer = std::move(s.SettingsReadBuffer);
  }

  std::array<int, 3> outcomes{};  // off; on without messages; on with messages
  int starts = 0;
  std::vector<char> readBuffer;
};

TEST_F(SettingsFaultTest, EveryShortFileAndEveryLargeOneStartsAndSetsTheBoxesAsRead) {
  std::mt19937 random(20261207);
  std::vector<std::pair<std::string, std::string>> files;
  for (std::size_t length = 0; length <= kLongestRandomFile; ++length) {
    for (int k = 0; k < (length == 0 ? 1 : kFilesPerLength); ++k) {
      files.emplace_back(std::to_string(length) + " bytes, file " + std::to_string(k),
                         RandomSettings(random, length));
    }
  }
  const std::size_t shortFiles = files.size();
  for (auto& large : LargeSettingsFiles(random)) files.push_back(std::move(large));

  for (bool batch : {false, true}) {
    if (batch) fs::create_directories(HandOff());
    for (const auto& [name, bytes] : files) {
      StartOn(name + (batch ? ", batch start" : ", interactive start"), bytes, batch);
      if (HasFatalFailure()) return;
    }
  }
  // Every outcome came up often enough to be tested, not only the common one.
  for (int outcome : outcomes) EXPECT_GE(outcome, 100);
  std::printf("check boxes: %d off, %d on without messages, %d on with messages\n", outcomes[0],
              outcomes[1], outcomes[2]);
  EXPECT_EQ(starts, static_cast<int>(2 * files.size()));
  std::printf("settings files: %zu of 0 to %zu bytes, %zu of 3 MB or more; %d starts\n", shortFiles,
              kLongestRandomFile, files.size() - shortFiles, starts);
}

}  // namespace
