#include "convert/decimal_lines.h"

#include "convert/decimal_text.h"

std::u16string DecimalLines(const NumberValues& values) {
  std::u16string lines;
  char16_t digits[kDecimalScratch];
  for (std::int64_t k = 0; k < values.Size(); ++k) {
    lines.append(digits, WriteDecimal(digits, values[k]));
    lines.append(u"\r\n");
  }
  return lines;
}
