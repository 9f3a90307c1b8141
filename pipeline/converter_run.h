#pragma once
// The converter's run, whole: opens its input (a named file, or standard input, converted as
// it comes), converts it all or nothing, writes the result (in place of a named file at
// the end, or to standard output once all of it is converted) and tells how it ended. It says
// nothing itself: its front end (cli/) tells the user.

#include <optional>
#include <string>

#include "pipeline/text_conversion.h"

// What a conversion is asked to do.
struct ConversionRequest {
  std::optional<std::u16string> input;   // nullopt: standard input
  std::optional<std::u16string> output;  // nullopt: standard output
  bool crlf = false;                     // the result's lines end with CR LF, otherwise LF
};

// How a conversion ended.
struct ConversionOutcome {
  enum class Kind {
    kConverted,
    kInputUnreadable,  // missing, a folder, locked, or cut short while it was read
    kInputEmpty,       // empty or only line breaks
    kForeign,          // a character other than '0', '1' and line breaks
    kTooLong,          // a line longer than kLongestLine characters
    kOutputUnwritable,
  };
  Kind kind = Kind::kConverted;
  std::optional<TextPlace> place;  // for kForeign and kTooLong: where the input is refused
};

// Runs `request`: the output is written whole or left as it was. Returns how it ended.
// Throws std::bad_alloc when memory runs out.
ConversionOutcome RunConversion(const ConversionRequest& request);
