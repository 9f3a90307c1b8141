#pragma once
// The data that the dialog's handlers share for the whole run of the program.

#include "storage/settings.h"
#include "ui/dialog_state.h"

// Created before the dialog runs and destroyed after it has closed, in member order.
struct ProgramState {
  FolderState folders;         // DocumentsPath, ResultDir, TempDir, AutoFileDir
  ConversionState conversion;  // LoadedText, NumberList
  SettingsState settings;      // SettingLines
};
