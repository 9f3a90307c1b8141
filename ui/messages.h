#pragma once
// The dialog's own texts.

#include <string_view>

#include "pipeline/file_messages.h"  // the texts of a file conversion

namespace msg {
inline constexpr std::u16string_view kNotBinaryInput =
    u"0と1で構成された２進数値以外は入力できません。";
inline constexpr std::u16string_view kNoFileChosen = u"読込ませたいファイルを指定して下さい。";
inline constexpr std::u16string_view kNoFileLoaded =
    u"ファイルが読み込まれていません。\r\n読込ませたいファイルを読込ませて下さい。";
inline constexpr std::u16string_view kCompleted = u"処理を完了しました。";
inline constexpr std::u16string_view kCancelClicked = u"キャンセルボタンがクリックされました。";
inline constexpr std::u16string_view kNothingToSave =
    u"保存する１０進数の数値が算出されていません。\r\n"
    u"１０進数の数値を算出してから、保存して下さい。";
inline constexpr std::u16string_view kSaved = u"ファイル保存を完了しました。";
inline constexpr std::u16string_view kAutoFolderCreated =
    u"自動処理設定用ディレクトリーを作成しました。";
inline constexpr std::u16string_view kAutoFolderNotCreated =
    u"自動処理設定用ディレクトリーが既に有るので作成できませんでした。";
}  // namespace msg

// The percentage text starts with this (the fourth character is an ideographic space).
inline constexpr std::u16string_view kProgressPrefix = u"進捗率　";
// The empty text that clears the percentage text.
inline constexpr std::u16string_view BlankText;
// The save dialog's one file type: its name and its pattern.
inline constexpr std::u16string_view kAllFilesName = u"全て(*.*)";
inline constexpr std::u16string_view kAllFilesPattern = u"*.*";
