#pragma once
// The bytes the program writes for a text.

#include <string>
#include <string_view>

// The text as single bytes: ASCII characters as themselves, any other character as '?'.
// The program writes only digits and line breaks, which are the same in every code page.
std::string ToAnsiBytes(std::u16string_view text);
