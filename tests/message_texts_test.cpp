// Every message text of the program, spelled out here letter by letter and not taken from the
// program's own constants: a text changed by mistake fails here, even where the other tests
// compare a message box with the constant it was shown from.
#include <gtest/gtest.h>

#include <string_view>

#include "ui/batch_messages.h"
#include "ui/messages.h"

namespace {

struct MessageText {
  const char* name;
  std::u16string_view text;
  std::u16string_view expected;
};

TEST(MessageTexts, AreExactlyTheProgramsWording) {
  const MessageText texts[] = {
      {"not binary", msg::kNotBinaryInput, u"0と1で構成された２進数値以外は入力できません。"},
      {"no file chosen", msg::kNoFileChosen, u"読込ませたいファイルを指定して下さい。"},
      {"file unreadable", msg::kFileUnreadable, u"ファイルを読み込めませんでした。"},
      {"out of memory", msg::kOutOfMemory, u"メモリが不足しているため、処理を中止します。"},
      {"no file loaded", msg::kNoFileLoaded,
       u"ファイルが読み込まれていません。\r\n読込ませたいファイルを読込ませて下さい。"},
      {"only line breaks", msg::kOnlyLineBreaks,
       u"ファイルの中身に改行のみしか書かれていませんでした。\r\n"
       u"２進数が書き込まれたファイルを指定して読込ませて下さい。"},
      {"foreign characters", msg::kForeignCharacters,
       u"２進数が記述された「Quillet.tbin」ファイルに、0と1で構成された数値以外の文字が"
       u"書かれていました。\r\n処理を中止します。"},
      {"completed", msg::kCompleted, u"処理を完了しました。"},
      {"cancel clicked", msg::kCancelClicked, u"キャンセルボタンがクリックされました。"},
      {"nothing to save", msg::kNothingToSave,
       u"保存する１０進数の数値が算出されていません。\r\n"
       u"１０進数の数値を算出してから、保存して下さい。"},
      {"saved", msg::kSaved, u"ファイル保存を完了しました。"},
      {"save failed", msg::kSaveFailed, u"何らかの理由でファイル保存出来ませんでした。"},
      {"hand-off folder created", msg::kAutoFolderCreated,
       u"自動処理設定用ディレクトリーを作成しました。"},
      {"hand-off folder not created", msg::kAutoFolderNotCreated,
       u"自動処理設定用ディレクトリーが既に有るので作成できませんでした。"},
      {"limit", kLimitMessage,
       u"計算できる最大値の2147483647を超えました。2147483647以下の２進数値で実行して下さい。"
       u"\r\n処理を中止します。"},
      {"batch: input missing", batch_msg::kInputMissing,
       u"２進数が記述された「Quillet.tbin」ファイルが有りません。\r\n処理を中止します。"},
      {"batch: input empty", batch_msg::kInputEmpty,
       u"２進数が記述された「Quillet.tbin」ファイルの中身が空です。\r\n処理を中止します。"},
      {"batch: foreign characters", batch_msg::kInputForeign,
       u"２進数が記述された「Quillet.tbin」ファイルに、数値以外の文字が書かれていました。\r\n"
       u"処理を中止します。"},
      {"batch: input unreadable", batch_msg::kInputUnreadable,
       u"２進数が記述された「Quillet.tbin」ファイルを読み込めませんでした。\r\n処理を中止します。"},
      {"batch: result unwritable", batch_msg::kOutputUnwritable,
       u"処理結果の「Ostrum.tbin」ファイルを書き込めませんでした。\r\n処理を中止します。"},
      {"batch: input not deleted", batch_msg::kInputNotDeleted,
       u"２進数が記述された「Quillet.tbin」ファイルを削除できませんでした。"},
      {"batch: completed", batch_msg::kCompleted, u"処理を完了しました。"},
      {"batch: out of memory", batch_msg::kOutOfMemory,
       u"メモリが不足しているため、処理を中止します。"},
      {"batch: another run", batch_msg::kAnotherRunBusy,
       u"別の自動処理が実行中のため、処理を中止します。"},
      {"progress prefix", kProgressPrefix, u"進捗率\u3000"},
      {"message caption", msg::kMessageCaption, u"Vornel"},
      {"menu: copy", msg::kCopyMenuItem, u"コピー(&C)"},
      {"menu: select all", msg::kSelectAllMenuItem, u"すべて選択(&A)"},
  };
  for (const MessageText& t : texts) EXPECT_TRUE(t.text == t.expected) << t.name;
}

}  // namespace
