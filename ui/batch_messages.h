#pragma once
// The texts of the batch run.

#include <string_view>

namespace batch_msg {
inline constexpr std::u16string_view kInputMissing =
    u"２進数が記述された「Quillet.tbin」ファイルが有りません。\r\n処理を中止します。";
inline constexpr std::u16string_view kInputEmpty =
    u"２進数が記述された「Quillet.tbin」ファイルの中身が空です。\r\n処理を中止します。";
inline constexpr std::u16string_view kInputForeign =
    u"２進数が記述された「Quillet.tbin」ファイルに、数値以外の文字が書かれていました。\r\n"
    u"処理を中止します。";
inline constexpr std::u16string_view kInputUnreadable =
    u"２進数が記述された「Quillet.tbin」ファイルを読み込めませんでした。\r\n処理を中止します。";
inline constexpr std::u16string_view kOutputUnwritable =
    u"処理結果の「Ostrum.tbin」ファイルを書き込めませんでした。\r\n処理を中止します。";
inline constexpr std::u16string_view kInputNotDeleted =
    u"２進数が記述された「Quillet.tbin」ファイルを削除できませんでした。";
inline constexpr std::u16string_view kCompleted = u"処理を完了しました。";
inline constexpr std::u16string_view kOutOfMemory = u"メモリが不足しているため、処理を中止します。";
inline constexpr std::u16string_view kAnotherRunBusy =
    u"別の自動処理が実行中のため、処理を中止します。";
}  // namespace batch_msg
