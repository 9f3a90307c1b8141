#include "ui/control_states.h"

#include "ui/messages.h"

void SetControls(WindowServices& window, std::span<const ControlStep> steps) {
  for (const ControlStep& step : steps) {
    switch (step.action) {
      case ControlAction::kShow:
        window.ShowControl(step.id, true);
        break;
      case ControlAction::kHide:
        window.ShowControl(step.id, false);
        break;
      case ControlAction::kEnable:
        window.EnableControl(step.id, true);
        break;
      case ControlAction::kDisable:
        window.EnableControl(step.id, false);
        break;
      case ControlAction::kClearText:
        window.SetText(step.id, BlankText);
        break;
      case ControlAction::kEmptyBar:
        window.SetProgressPos(step.id, 0);
        break;
      case ControlAction::kUncheck:
        if (window.GetCheck(step.id) == 1) window.SetCheck(step.id, 0);
        break;
    }
  }
}
