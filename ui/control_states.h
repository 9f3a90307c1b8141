#pragma once
// The states of the controls that a file conversion's run changes, each declared once as the
// steps that bring the dialog into it, in the order the dialog takes them.

#include <cstddef>
#include <span>

#include "res/resource.h"
#include "ui/window_services.h"

// What one step does to its control.
enum class ControlAction {
  kShow,
  kHide,
  kEnable,
  kDisable,
  kClearText,  // an empty text
  kEmptyBar,   // progress position 0
  kUncheck,    // a checked box unchecked, without its click handler
};

struct ControlStep {
  int id;
  ControlAction action;
};

// Busy: a file conversion's run is under way. Automatic processing is unchecked, Exit and
// every command but Cancel disabled, the progress display and Cancel shown.
inline constexpr ControlStep kBusy[] = {
    {IDC_CHK_AUTO, ControlAction::kUncheck},
    {IDC_BTN_EXIT, ControlAction::kDisable},
    {IDC_EDIT_PROGRESS, ControlAction::kShow},
    {IDC_EDIT_PROGRESS, ControlAction::kClearText},
    {IDC_PROGRESS, ControlAction::kShow},
    {IDC_BTN_CANCEL, ControlAction::kShow},
    // The commands, which kIdle enables again in the same order.
    {IDC_CHK_AUTO, ControlAction::kDisable},
    {IDC_CHK_MESSAGES, ControlAction::kDisable},
    {IDC_BTN_VERSION, ControlAction::kDisable},
    {IDC_BTN_CONVERT, ControlAction::kDisable},
    {IDC_BTN_READ_FILE, ControlAction::kDisable},
    {IDC_BTN_CONVERT_FILE, ControlAction::kDisable},
    {IDC_BTN_SAVE, ControlAction::kDisable},
    {IDC_EDIT_BINARY, ControlAction::kDisable},
    {IDC_BROWSE_FILE, ControlAction::kDisable},
};

// Idle: no run under way, as after the start-up, a run's end and a refused batch input. The
// progress display and Cancel hidden, the bar and the percentage empty, Exit and the commands
// enabled.
inline constexpr ControlStep kIdle[] = {
    {IDC_BTN_EXIT, ControlAction::kEnable},
    {IDC_EDIT_PROGRESS, ControlAction::kClearText},
    {IDC_EDIT_PROGRESS, ControlAction::kHide},
    {IDC_PROGRESS, ControlAction::kEmptyBar},
    {IDC_PROGRESS, ControlAction::kHide},
    // A completed run stops here for its sound and its message, which the user sees with Exit
    // enabled while Cancel still shows and the other commands are still disabled.
    {IDC_BTN_CANCEL, ControlAction::kHide},
    {IDC_CHK_AUTO, ControlAction::kEnable},
    {IDC_CHK_MESSAGES, ControlAction::kEnable},
    {IDC_BTN_VERSION, ControlAction::kEnable},
    {IDC_BTN_CONVERT, ControlAction::kEnable},
    {IDC_BTN_READ_FILE, ControlAction::kEnable},
    {IDC_BTN_CONVERT_FILE, ControlAction::kEnable},
    {IDC_BTN_SAVE, ControlAction::kEnable},
    {IDC_EDIT_BINARY, ControlAction::kEnable},
    {IDC_BROWSE_FILE, ControlAction::kEnable},
};
// Where a completed run stops in kIdle for its sound and its message (the comment above).
inline constexpr std::size_t kIdleStepsBeforeCompletion = 5;
static_assert(kIdle[kIdleStepsBeforeCompletion].id == IDC_BTN_CANCEL);

// What an interactive start adds to kIdle: automatic processing is off at every such start,
// whatever the settings say, and the show-messages box goes with it.
inline constexpr ControlStep kAutomaticProcessingOff[] = {
    {IDC_CHK_AUTO, ControlAction::kUncheck},
    {IDC_CHK_MESSAGES, ControlAction::kHide},
};

// Takes each of `steps` on the controls of `window`, in order.
void SetControls(WindowServices& window, std::span<const ControlStep> steps);
