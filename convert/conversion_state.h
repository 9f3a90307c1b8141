#pragma once
// The program-wide data of the file conversions, shared by the dialog and the batch run.

#include <cstdint>
#include <string>

#include "convert/number_values.h"

struct ConversionState {
  std::u16string LoadedText;       // text of the file read last; trimmed by the split
  NumberValues NumberList;         // the numbers of the current file conversion
  std::int64_t ListLineCount = 0;  // number of entries of NumberList after a split
  std::int32_t CancelFlag = 0;     // 1 once Cancel was clicked in the current run
};
