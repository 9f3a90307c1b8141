#pragma once
// The texts of the batch run: its own, and those it shares with the dialog (ui/messages.h).

#include <string_view>

#include "ui/messages.h"

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
inline constexpr std::u16string_view kAnotherRunBusy =
    u"別の自動処理が実行中のため、処理を中止します。";
inline constexpr std::u16string_view kCompleted = msg::kCompleted;
inline constexpr std::u16string_view kOutOfMemory = msg::kOutOfMemory;
inline constexpr std::u16string_view kLimitExceeded = kLimitMessage;
}  // namespace batch_msg
