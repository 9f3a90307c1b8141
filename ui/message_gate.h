#pragma once
// Whether a file conversion may show its messages.

#include "res/resource.h"
#include "storage/settings.h"
#include "ui/window_services.h"

// true when the show-messages box is checked and the settings file's second line, as read at
// start-up, is not "0".
inline bool MessageGateOpen(WindowServices& window, const SettingsState& settings) {
  return window.GetCheck(IDC_CHK_MESSAGES) != 0 && !SettingMeansOff(settings.SettingLines[1]);
}
