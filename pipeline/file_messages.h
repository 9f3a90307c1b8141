#pragma once
// The texts of a file conversion that the dialog shows in Convert file data and in its batch run.
// The converter has its own (cli/messages.h).

#include <string_view>

namespace msg {
inline constexpr std::u16string_view kFileUnreadable = u"ファイルを読み込めませんでした。";
inline constexpr std::u16string_view kOutOfMemory = u"メモリが不足しているため、処理を中止します。";
inline constexpr std::u16string_view kOnlyLineBreaks =
    u"ファイルの中身に改行のみしか書かれていませんでした。\r\n"
    u"２進数が書き込まれたファイルを指定して読込ませて下さい。";
inline constexpr std::u16string_view kForeignCharacters =
    u"２進数が記述された「Quillet.tbin」ファイルに、0と1で構成された数値以外の文字が書かれていまし"
    u"た。\r\n処理を中止します。";
inline constexpr std::u16string_view kSaveFailed = u"何らかの理由でファイル保存出来ませんでした。";
}  // namespace msg
