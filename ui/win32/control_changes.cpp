#include "ui/win32/control_changes.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace {

// Whether `control` itself has the visible style (its parent may still be hidden).
bool HasVisibleStyle(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Runs `change` on `control` and has the control repainted with the next paint of the window
// rather than at once (a button or a progress bar would otherwise paint itself from inside
// the change, which costs a visible delay per control on some systems).
template <class Change>
void ChangeQuietly(HWND control, Change change) {
  const bool visible = HasVisibleStyle(control);
  if (visible) SendMessageW(control, WM_SETREDRAW, FALSE, 0);
  change();
  if (!visible) return;
  SendMessageW(control, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(control, nullptr, TRUE);
}

// Whether `control` paints itself from inside EnableWindow: buttons (check boxes among them).
bool PaintsWhenEnabled(HWND control) {
  wchar_t name[16] = {};
  return GetClassNameW(control, name, 16) > 0 && lstrcmpiW(name, WC_BUTTONW) == 0;
}

// Whether `control` is a read-only edit box: its text changes only when the program sets it.
bool IsReadOnlyEdit(HWND control) {
  wchar_t name[16] = {};
  return control != nullptr && GetClassNameW(control, name, 16) > 0 &&
         lstrcmpiW(name, WC_EDITW) == 0 &&
         (GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0;
}

// Enables or disables `control` quietly.
void EnableQuietly(HWND control, bool enable) {
  if ((IsWindowEnabled(control) != FALSE) == enable) return;
  const BOOL state = enable ? TRUE : FALSE;
  if (PaintsWhenEnabled(control)) {
    ChangeQuietly(control, [&] { EnableWindow(control, state); });
  } else {
    EnableWindow(control, state);
  }
}

// Shows or hides `control` quietly.
void ShowQuietly(HWND control, bool show) {
  if (HasVisibleStyle(control) == show) return;
  SetWindowPos(control, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                   (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  const HWND parent = GetParent(control);
  // As ShowWindow does: the keyboard focus does not stay on a hidden control.
  if (!show && GetFocus() == control) SetFocus(parent);
  // What the control covered, in its parent's client area: the parent paints it anew.
  RECT area{};
  GetWindowRect(control, &area);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

bool HeldControlChanges::Show(HWND dialog, int id, bool show) {
  const Change* const held = Find(id, Kind::kShown);
  const bool wasVisible =
      held != nullptr ? held->state != 0 : HasVisibleStyle(GetDlgItem(dialog, id));
  Hold(id, Kind::kShown).state = show ? 1 : 0;
  return wasVisible;
}

void HeldControlChanges::Enable(int id, bool enable) {
  Hold(id, Kind::kEnabled).state = enable ? 1 : 0;
}

void HeldControlChanges::HoldCheck(int id, int state) { Hold(id, Kind::kChecked).state = state; }

std::optional<int> HeldControlChanges::HeldCheck(int id) {
  const Change* const held = Find(id, Kind::kChecked);
  return held != nullptr ? std::optional<int>(held->state) : std::nullopt;
}

bool HeldControlChanges::HoldText(HWND dialog, int id, std::u16string_view text) {
  if (!IsReadOnlyEdit(GetDlgItem(dialog, id))) return false;
  Hold(id, Kind::kText).text = text;
  return true;
}

const std::u16string* HeldControlChanges::HeldText(int id) {
  const Change* const held = Find(id, Kind::kText);
  return held != nullptr ? &held->text : nullptr;
}

void HeldControlChanges::HoldPosition(int id, std::int32_t position) {
  Hold(id, Kind::kPosition).state = position;
}

void HeldControlChanges::ApplyPosition(HWND dialog, int id) {
  for (auto change = changes_.begin(); change != changes_.end(); ++change) {
    if (change->id == id && change->kind == Kind::kPosition) {
      const Change taken = std::move(*change);
      changes_.erase(change);
      ApplyOne(dialog, taken);
      return;
    }
  }
}

void HeldControlChanges::Apply(HWND dialog) {
  // Taken first: a change may send messages whose handlers hold new changes.
  const std::vector<Change> changes = std::move(changes_);
  changes_.clear();
  for (const Change& change : changes) ApplyOne(dialog, change);
}

void HeldControlChanges::ApplyOne(HWND dialog, const Change& change) {
  const HWND control = GetDlgItem(dialog, change.id);
  if (control == nullptr) return;
  switch (change.kind) {
    case Kind::kShown:
      ShowQuietly(control, change.state != 0);
      break;
    case Kind::kEnabled:
      EnableQuietly(control, change.state != 0);
      break;
    case Kind::kChecked:
      // A check box paints itself from inside the change.
      if (SendMessageW(control, BM_GETCHECK, 0, 0) != change.state) {
        ChangeQuietly(control, [&] {
          SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(change.state), 0);
        });
      }
      break;
    case Kind::kText: {
      // A box already showing the text is left alone: setting it would repaint it.
      const int length = GetWindowTextLengthW(control);
      std::u16string shown(static_cast<std::size_t>(std::max(length, 0)) + 1, u'\0');
      shown.resize(static_cast<std::size_t>(std::max(
          GetWindowTextW(control, reinterpret_cast<wchar_t*>(shown.data()), length + 1), 0)));
      if (shown != change.text) {
        SetWindowTextW(control, reinterpret_cast<const wchar_t*>(change.text.c_str()));
      }
      break;
    }
    case Kind::kPosition:
      if (SendMessageW(control, PBM_GETPOS, 0, 0) != change.state) {
        ChangeQuietly(control, [&] { SendMessageW(control, PBM_SETPOS, change.state, 0); });
      }
      break;
  }
}

HeldControlChanges::Change* HeldControlChanges::Find(int id, Kind kind) {
  for (Change& change : changes_) {
    if (change.id == id && change.kind == kind) return &change;
  }
  return nullptr;
}

HeldControlChanges::Change& HeldControlChanges::Hold(int id, Kind kind) {
  Change* held = Find(id, kind);
  if (held == nullptr) held = &changes_.emplace_back(Change{id, kind, 0, {}});
  return *held;
}
