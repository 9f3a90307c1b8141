#pragma once
// Plain reference of the decoding of a UTF-16LE text file, one unit at a time: the tests and
// the decode fuzz target hold the program's decoder, which copies runs of plain units eight at
// a time, against it.

#include <string>
#include <string_view>

// The text of a file's bytes read as UTF-16LE (after a UTF-16LE byte-order mark, if there is
// one): CR LF and a lone LF end a line, a lone CR stays, NUL and unpaired surrogates become
// U+FFFD, and so does an odd byte at the end; every line ends with CR LF.
std::u16string ReferenceDecodeUtf16Le(std::string_view bytes);
