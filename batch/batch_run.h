#pragma once
// Automatic processing: a start whose hand-off folder exists converts the input file there
// into the result file, deletes the input and ends the dialog by itself.

#include <optional>
#include <string>

#include "convert/conversion_state.h"
#include "storage/run_lock.h"
#include "storage/settings.h"
#include "storage/working_folders.h"
#include "ui/window_services.h"

// The check of a start whose hand-off folder exists: refuses an unusable input file or
// converts it with RunAutoProcessing. Ends the dialog with -1 in every case.
void RunBatchCheck(WindowServices& window, FolderState& folders, SettingsState& settings,
                   ConversionState& conversion);

// Converts conversion.LoadedText (already checked) into `outputPath` and deletes
// `inputPath`; ends the dialog with -1 on every path. `handOffLock`, when given, is released
// as soon as the files are done, before the run waits for anything.
void RunAutoProcessing(WindowServices& window, const std::u16string& outputPath,
                       const std::u16string& inputPath, FolderState& folders,
                       SettingsState& settings, ConversionState& conversion,
                       std::optional<RunLock>* handOffLock = nullptr);
