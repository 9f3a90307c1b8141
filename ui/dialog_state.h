#pragma once
// The data the dialog's handlers share for the whole run of the program. app/ owns one of each
// (ProgramState); the routines below ui/ take only what they need, as parameters.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "convert/number_values.h"
#include "convert/shared_text.h"

// The program-wide folder paths, set at start-up and recomputed by the handlers that use them
// (formed by the functions of storage/working_folders.h).
struct FolderState {
  std::u16string DocumentsPath;
  std::u16string ResultDir;
  std::u16string TempDir;
  std::u16string AutoFileDir;
  // 1 when the user switched automatic processing on in this run (the hand-off folder then
  // survives Exit); 0 at every start.
  std::int32_t AutoProcessingOn = 0;
};

// The program-wide data of the file conversions, shared by the dialog and the batch run.
struct ConversionState {
  // The file read last, held once: the view that shows it shares this memory.
  SharedText LoadedFile;
  std::u16string_view
      LoadedText;  // text of the file read last (in LoadedFile); trimmed by the split
  // The numbers of the current file conversion once split (none before); the results view
  // shares them.
  std::shared_ptr<const NumberValues> NumberList;
  std::int64_t ListLineCount = 0;  // number of entries of NumberList after a split
  // 1 once Cancel was clicked in the current run; the run's progress display reads it
  // (ProgressDisplay), and the conversion is told to stop through its progress callback.
  std::int32_t CancelFlag = 0;
};
