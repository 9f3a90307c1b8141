#include "ui/win32/text_view/accessibility.h"

#include <cwchar>

#include "ui/win32/text_view/accessible_object.h"
#include "ui/win32/text_view/uia_functions.h"
#include "ui/win32/text_view/uia_provider.h"

namespace {

// Whether UI Automation was handed a provider of this process: only then is there anything to
// release, and the library is not loaded for nothing.
bool providerReturned = false;

// Raises `event` for `view` when a client listens that UI Automation gave a provider of this
// process: the caret's every move raises one, which then costs no more than this look.
void RaiseUiaEvent(HWND view, EVENTID event) {
  if (!providerReturned || !uia::ClientsAreListening()) return;
  IRawElementProviderSimple* provider = NewUiaProvider(view);
  if (provider == nullptr) return;
  uia::RaiseAutomationEvent(provider, event);
  provider->Release();
}

}  // namespace

LRESULT OnGetObject(HWND view, WPARAM wParam, LPARAM lParam) {
  // A 32-bit object id: wine's MSAA request has it zero-extended, UI Automation's sign-extended.
  const auto object = static_cast<LONG>(lParam);
  if (object == OBJID_CLIENT || object == OBJID_WINDOW) {
    if (const LRESULT answer = AnswerAccessibleObject(view, object, wParam); answer != 0) {
      return answer;
    }
  } else if (object == uia::kRootObjectId) {
    if (IRawElementProviderSimple* provider = NewUiaProvider(view)) {
      providerReturned = true;
      const LRESULT answer = uia::ReturnRawElementProvider(view, wParam, lParam, provider);
      provider->Release();
      return answer;
    }
  }
  return DefWindowProcW(view, WM_GETOBJECT, wParam, lParam);
}

std::wstring AccessibleName(HWND view) {
  const HWND label = GetWindow(view, GW_HWNDPREV);
  wchar_t className[16] = L"";
  if (label == nullptr || GetClassNameW(label, className, 16) == 0 ||
      _wcsicmp(className, L"Static") != 0) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
  // "&&" shows one '&'; a lone '&' marks the mnemonic and is not shown.
  std::wstring name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && ++i == text.size()) break;
    name += text[i];
  }
  return name;
}

void RaiseUiaTextChanged(HWND view) { RaiseUiaEvent(view, uia::kTextChangedEvent); }

void RaiseUiaSelectionChanged(HWND view) { RaiseUiaEvent(view, uia::kTextSelectionChangedEvent); }

void ReleaseUiaProvider(HWND view) {
  if (providerReturned) uia::ReturnRawElementProvider(view, 0, 0, nullptr);
}
