// Documents folders whose paths hold Japanese characters or run longer than 260 characters:
// every feature works there. The dialog makes its folders, converts, saves, switches
// automatic processing on and off, keeps its settings, and converts as a batch run.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/dialog_fixture.h"
#include "tests/support/storage_test_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text_bytes.h"
#include "ui/batch_messages.h"
#include "ui/messages.h"

namespace fs = std::filesystem;

namespace {

// What the test itself passes to the file system: on Windows the long-path form, which the
// C++ library needs for paths of 260 characters or more. The program is given plain paths.
fs::path ForTest(const fs::path& path) {
#ifdef _WIN32
  return fs::path(L"\\\\?\\" + fs::absolute(path).wstring());
#else
  return path;
#endif
}

void Write(const fs::path& path, const std::string& bytes) { WriteBytes(ForTest(path), bytes); }
std::string Read(const fs::path& path) { return ReadBytes(ForTest(path)); }
bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(ForTest(path), error);
}
bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(ForTest(path), error);
}

struct DocumentsCase {
  const char* name;
  fs::path below;  // the Documents folder below the test's folder
  bool longPath = false;
};

void PrintTo(const DocumentsCase& c, std::ostream* out) { *out << c.name; }

fs::path Repeated(const std::u16string& component, int times) {
  fs::path path;
  for (int k = 0; k < times; ++k) path /= fs::path(component + std::u16string(1, u'a' + k));
  return path;
}

// The test's folder is removed with the routine that copes with long paths.
class DocumentsPathTest : public storage_test::TempFolderTest,
                          public ::testing::WithParamInterface<DocumentsCase> {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    documents = fs::path(At()) / GetParam().below;
    ASSERT_TRUE(fs::create_directories(ForTest(documents / "Brindlecot")));
  }
  fs::path documents;
};

TEST_P(DocumentsPathTest, EveryFeatureWorks) {
  const ProgramFolders program(documents);
  if (GetParam().longPath) {
    ASSERT_GT(documents.u16string().size(), 260u);
  }
  {
    SCOPED_TRACE("first start: the folders, a file conversion, saving, switching on, Exit");
    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    EXPECT_FALSE(run.window.endResult);
    EXPECT_TRUE(IsFolder(program.result));
    EXPECT_TRUE(IsFolder(program.temp));
    EXPECT_FALSE(Exists(program.handOff));

    const fs::path numbers = documents / u"数値の一覧.txt";
    Write(numbers, Utf16Bytes("101\r\n\r\n1111\r\n"));
    run.window.controls[IDC_BROWSE_FILE].text = numbers.u16string();
    ASSERT_TRUE(run.window.Click(IDC_BTN_READ_FILE));
    ASSERT_TRUE(run.window.Click(IDC_BTN_CONVERT_FILE));
    EXPECT_EQ(run.window[IDC_EDIT_RESULT].text, u"5\r\n15\r\n");
    const fs::path saved = documents / u"変換結果.txt";
    run.window.saveAnswers.emplace_back(saved.u16string());
    ASSERT_TRUE(run.window.Click(IDC_BTN_SAVE));
    EXPECT_EQ(Read(saved), "5\r\n15\r\n");

    ASSERT_TRUE(run.window.Click(IDC_CHK_AUTO));
    EXPECT_TRUE(IsFolder(program.handOff));
    ASSERT_TRUE(run.window.Click(IDC_CHK_MESSAGES));
    ASSERT_TRUE(run.window.Click(IDC_BTN_EXIT));
    ASSERT_EQ(run.window.boxes.size(), 2u);
    EXPECT_EQ(run.window.boxes[0].text, msg::kSaved);
    EXPECT_EQ(run.window.boxes[1].text, msg::kAutoFolderCreated);
    EXPECT_EQ(Read(program.settings), "1\r\n1");
    EXPECT_TRUE(IsFolder(program.handOff));
  }
  {
    SCOPED_TRACE("second start: a batch run with the settings read back");
    Write(program.output, "an earlier, longer result\r\n");
    Write(program.input, Utf16WithMark("101\r\n1\r\n"));
    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    EXPECT_EQ(run.window.endResult, -1);
    EXPECT_EQ(Read(program.output), "5\r\n1\r\n");
    EXPECT_FALSE(Exists(program.input));
    ASSERT_EQ(run.window.boxes.size(), 1u);
    EXPECT_EQ(run.window.boxes[0].text, batch_msg::kCompleted);
    EXPECT_EQ(run.window.beeps, 1);
  }
  {
    SCOPED_TRACE("third start: a batch run without an input");
    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    ASSERT_EQ(run.window.boxes.size(), 1u);
    EXPECT_EQ(run.window.boxes[0].text, batch_msg::kInputMissing);
    EXPECT_EQ(Read(program.output), "5\r\n1\r\n");
  }
  {
    SCOPED_TRACE("fourth start: switching off, Exit removes the hand-off folder");
    ASSERT_TRUE(fs::remove(ForTest(program.handOff)));  // the user removes the empty folder
    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    EXPECT_FALSE(run.window.endResult);
    ASSERT_TRUE(run.window.Click(IDC_CHK_AUTO));
    ASSERT_TRUE(run.window.Click(IDC_CHK_AUTO));
    Write(program.handOff / u"待機中.tbin", "left by another program");
    ASSERT_TRUE(run.window.Click(IDC_BTN_EXIT));
    EXPECT_FALSE(Exists(program.handOff));
    EXPECT_EQ(Read(program.settings), "0\r\n0");
  }
  {
    SCOPED_TRACE("fifth start: the settings read back");
    DialogRig run(documents);
    ASSERT_TRUE(run.dialog.OnInitDialog());
    EXPECT_EQ(run.settings.SettingLines[0], u"0");
    EXPECT_EQ(run.settings.SettingLines[1], u"0");
    EXPECT_EQ(run.window[IDC_CHK_AUTO].check, 0);
    EXPECT_FALSE(run.window[IDC_CHK_MESSAGES].visible);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fault, DocumentsPathTest,
    ::testing::Values(
        DocumentsCase{"Japanese", fs::path(u"ユーザー 山田") / u"ドキュメント"},
        DocumentsCase{"Long", Repeated(u"a-folder-name-of-forty-six-characters-in-all-", 7), true},
        DocumentsCase{"LongJapanese", Repeated(u"とても長い名前のフォルダーです番号", 16), true}),
    [](const ::testing::TestParamInfo<DocumentsCase>& info) { return info.param.name; });

}  // namespace
