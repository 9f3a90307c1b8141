#pragma once
// The program-wide data of the file conversions, shared by the dialog and the batch run.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "convert/number_values.h"

struct ConversionState {
  // The file read last, held once: the view that shows it shares this memory, so nobody
  // changes it; a new file takes a new string.
  std::shared_ptr<const std::u16string> LoadedFile;
  std::u16string_view
      LoadedText;           // text of the file read last (in LoadedFile); trimmed by the split
  NumberValues NumberList;  // the numbers of the current file conversion
  std::int64_t ListLineCount = 0;  // number of entries of NumberList after a split
  std::int32_t CancelFlag = 0;     // 1 once Cancel was clicked in the current run
};
