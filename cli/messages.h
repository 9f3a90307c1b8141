#pragma once
// The converter's texts: one table from each message to its English and its Japanese text.
// The dialog's texts are its own (ui/); none of these names the dialog's hand-off file.

#include <string_view>

enum class Language { kEnglish, kJapanese };

enum class Message {
  kHelp,
  kInvalidArgument,  // followed by the argument in error and kSeeHelp
  kSeeHelp,
  kStandardInput,   // the input's name when it is standard input
  kStandardOutput,  // the output's name when it is standard output
  kInputUnreadable,
  kInputEmpty,
  kForeign,
  kTooLong,
  kOutputUnwritable,
  kOutOfMemory,
};

// The text of `message` in `language`, on one line but for kHelp. The English texts are ASCII.
std::u16string_view TextOf(Message message, Language language);
