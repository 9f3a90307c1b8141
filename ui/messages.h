#pragma once
// The dialog's texts, each defined once: its messages, the file conversions' among them, and the
// words of its windows. The batch run's own messages are in ui/batch_messages.h. The converter
// has its own texts (cli/messages.h).

#include <string_view>

namespace msg {
inline constexpr std::u16string_view kNotBinaryInput =
    u"0と1で構成された２進数値以外は入力できません。";
inline constexpr std::u16string_view kNoFileChosen = u"読込ませたいファイルを指定して下さい。";
inline constexpr std::u16string_view kFileUnreadable = u"ファイルを読み込めませんでした。";
inline constexpr std::u16string_view kOutOfMemory = u"メモリが不足しているため、処理を中止します。";
inline constexpr std::u16string_view kNoFileLoaded =
    u"ファイルが読み込まれていません。\r\n読込ませたいファイルを読込ませて下さい。";
inline constexpr std::u16string_view kOnlyLineBreaks =
    u"ファイルの中身に改行のみしか書かれていませんでした。\r\n"
    u"２進数が書き込まれたファイルを指定して読込ませて下さい。";
inline constexpr std::u16string_view kForeignCharacters =
    u"２進数が記述された「Quillet.tbin」ファイルに、0と1で構成された数値以外の文字が書かれていまし"
    u"た。\r\n処理を中止します。";
inline constexpr std::u16string_view kCompleted = u"処理を完了しました。";
inline constexpr std::u16string_view kCancelClicked = u"キャンセルボタンがクリックされました。";
inline constexpr std::u16string_view kNothingToSave =
    u"保存する１０進数の数値が算出されていません。\r\n"
    u"１０進数の数値を算出してから、保存して下さい。";
inline constexpr std::u16string_view kSaved = u"ファイル保存を完了しました。";
inline constexpr std::u16string_view kSaveFailed = u"何らかの理由でファイル保存出来ませんでした。";
inline constexpr std::u16string_view kAutoFolderCreated =
    u"自動処理設定用ディレクトリーを作成しました。";
inline constexpr std::u16string_view kAutoFolderNotCreated =
    u"自動処理設定用ディレクトリーが既に有るので作成できませんでした。";

// Zero-terminated, as the window system takes them: the caption of every message box, and the
// items of the text view's context menu.
inline constexpr char16_t kMessageCaption[] = u"Vornel";
inline constexpr char16_t kCopyMenuItem[] = u"コピー(&C)";
inline constexpr char16_t kSelectAllMenuItem[] = u"すべて選択(&A)";
}  // namespace msg

// Shown when a file conversion or the batch run meets a line longer than kLongestLine
// (convert/binary.h).
inline constexpr std::u16string_view kLimitMessage =
    u"計算できる最大値の2147483647を超えました。2147483647以下の２進数値で実行して下さい。\r\n"
    u"処理を中止します。";
// The percentage text starts with this (the fourth character is an ideographic space).
inline constexpr std::u16string_view kProgressPrefix = u"進捗率　";
// The empty text that clears the percentage text.
inline constexpr std::u16string_view BlankText;
// The save dialog's one file type: its name and its pattern.
inline constexpr std::u16string_view kAllFilesName = u"全て(*.*)";
inline constexpr std::u16string_view kAllFilesPattern = u"*.*";
