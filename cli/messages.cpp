#include "cli/messages.h"

#include <array>
#include <cstddef>

namespace {

struct Texts {
  // cppcheck-suppress unusedStructMember ; read by InOrder, at compile time
  Message message;
  std::u16string_view english;
  std::u16string_view japanese;
};

constexpr std::array kCatalogue = {
    Texts{Message::kHelp,
          u"Usage:\n"
          u"  vornel-convert [--crlf | --lf] [INPUT [OUTPUT]]\n"
          u"  vornel-convert --help | --version\n"
          u"\n"
          u"Converts binary numbers (0 and 1), one a line, into decimal numbers.\n"
          u"\n"
          u"  INPUT, OUTPUT  File paths; \"-\" or none means standard input or output.\n"
          u"  --crlf, --lf   Line ends of the output (default: CR LF on Windows, LF elsewhere).\n"
          u"\n"
          u"Input: UTF-16LE or UTF-8, with or without a byte-order mark. Blank lines are skipped.\n"
          u"At most 31 characters a line, leading zeros included; the largest value is\n"
          u"2147483647. Nothing is written unless all of the input converts.\n"
          u"\n"
          u"Exit codes:\n"
          u"  0  converted\n"
          u"  1  usage error\n"
          u"  2  input unreadable\n"
          u"  3  input empty or only line breaks\n"
          u"  4  a character other than 0, 1 and line breaks\n"
          u"  5  a line over 31 characters\n"
          u"  6  output not writable\n"
          u"  7  out of memory",
          u"使い方:\n"
          u"  vornel-convert [--crlf | --lf] [INPUT [OUTPUT]]\n"
          u"  vornel-convert --help | --version\n"
          u"\n"
          u"１行に一つずつ書かれた２進数（0 と 1）を、１０進数に変換します。\n"
          u"\n"
          u"  INPUT, OUTPUT  ファイルのパス。「-」または省略で標準入力・標準出力。\n"
          u"  --crlf, --lf   出力の改行（既定: Windows では CR LF、それ以外では LF）。\n"
          u"\n"
          u"入力は UTF-16LE か UTF-8 で、BOM の有無は問いません。空行は飛ばします。１行は 31 "
          u"文字まで\n"
          u"（先頭の 0 も数えます）、最大値は 2147483647 です。変換できないときは何も書きません。\n"
          u"\n"
          u"終了コード:\n"
          u"  0  変換しました\n"
          u"  1  引数の誤り\n"
          u"  2  入力を読めません\n"
          u"  3  入力が空か改行のみ\n"
          u"  4  0、1、改行以外の文字\n"
          u"  5  31 文字を超える行\n"
          u"  6  出力を書けません\n"
          u"  7  メモリ不足"},
    Texts{Message::kInvalidArgument, u"invalid argument: ", u"引数が正しくありません: "},
    Texts{Message::kSeeHelp, u" (see vornel-convert --help)",
          u"（vornel-convert --help をご覧下さい）"},
    Texts{Message::kStandardInput, u"standard input", u"標準入力"},
    Texts{Message::kStandardOutput, u"standard output", u"標準出力"},
    Texts{Message::kInputUnreadable, u"cannot be read", u"読み込めません。"},
    Texts{Message::kInputEmpty, u"empty or only line breaks", u"空か、改行しか書かれていません。"},
    Texts{Message::kForeign, u"a character other than 0, 1 and line breaks",
          u"0、1、改行以外の文字があります。"},
    Texts{Message::kTooLong, u"a line of more than 31 characters (the largest value is 2147483647)",
          u"31 文字を超える行です（最大値は 2147483647 です）。"},
    Texts{Message::kOutputUnwritable, u"cannot be written", u"書き込めません。"},
    Texts{Message::kOutOfMemory, u"out of memory", u"メモリが足りません。"},
};

// Each message on the row of its own number, so that TextOf looks none up.
constexpr bool InOrder() {
  for (std::size_t k = 0; k < kCatalogue.size(); ++k) {
    if (static_cast<std::size_t>(kCatalogue[k].message) != k) return false;
  }
  return true;
}
static_assert(InOrder() &&
              kCatalogue.size() == static_cast<std::size_t>(Message::kOutOfMemory) + 1);

}  // namespace

std::u16string_view TextOf(Message message, Language language) {
  const Texts& texts = kCatalogue[static_cast<std::size_t>(message)];
  return language == Language::kJapanese ? texts.japanese : texts.english;
}
