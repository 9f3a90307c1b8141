#pragma once
// The changes the program makes to a dialog's controls, held until the window can next show
// them and then made without painting from inside the change.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/windows_api.h"

// The states a dialog's controls are to take, held until Apply: shown, enabled, checked, the
// texts of read-only edit boxes and the positions of progress bars. Nothing of a run's
// controls can be seen or clicked before the window takes its next message, so the states are
// applied then (the owner calls Apply before every pump, wait for input and modal box): a
// control that a short run disables and enables again is never touched, and a change costs a
// few calls into the system instead of a repaint. The user changes none of these states but
// the check marks, and those only by a click, which comes after the held states are applied.
// Held: Convert file data of 200 MiB 495 → 399 ms (bench/compare.sh, 2026-12-07).
class HeldControlChanges {
 public:
  // Holds that the control `id` of `dialog` is to be shown or hidden; returns whether it was
  // visible before, counting what is held.
  bool Show(HWND dialog, int id, bool show);
  // Holds that the control `id` is to be enabled or disabled.
  void Enable(int id, bool enable);
  // Holds the check mark `state` (0 unchecked, 1 checked) for the check box `id`.
  void HoldCheck(int id, int state);
  // The check mark held for the check box `id`; nullopt when none is held.
  std::optional<int> HeldCheck(int id);
  // Holds `text` for the read-only edit box `id`; false, holding nothing, when the control is
  // not one (its text is then the caller's to set).
  bool HoldText(HWND dialog, int id, std::u16string_view text);
  // The text held for the control `id`; nullptr when none is held.
  const std::u16string* HeldText(int id);
  // Holds the position (in the bar's own units) of the progress bar `id`.
  void HoldPosition(int id, std::int32_t position);
  // Applies the position held for the progress bar `id` of `dialog`, if any, at once.
  void ApplyPosition(HWND dialog, int id);
  // Brings the controls of `dialog` into the held states, in the order first held, and
  // forgets them.
  void Apply(HWND dialog);

 private:
  enum class Kind { kShown, kEnabled, kChecked, kText, kPosition };
  struct Change {
    int id;
    Kind kind;
    std::int32_t state = 0;  // shown, enabled or checked (0 or 1), or the position
    std::u16string text;
  };
  Change* Find(int id, Kind kind);
  Change& Hold(int id, Kind kind);
  static void ApplyOne(HWND dialog, const Change& change);

  std::vector<Change> changes_;
};
