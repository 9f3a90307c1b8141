#pragma once
// The data that the dialog's handlers share for the whole run of the program.

#include "convert/conversion_state.h"
#include "storage/settings.h"
#include "storage/working_folders.h"

// Created before the dialog runs and destroyed after it has closed, in member order.
struct ProgramState {
  FolderState folders;         // DocumentsPath, ResultDir, TempDir, AutoFileDir
  ConversionState conversion;  // LoadedText, NumberList
  SettingsState settings;      // SettingLines
};
