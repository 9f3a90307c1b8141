#include "ui/win32/text_view/uia_functions.h"

namespace uia {
namespace {

// The library, loaded on first use from the system folder only, and kept for the process.
HMODULE Library() {
  static const HMODULE library =
      LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return library;
}

// The function `name` of the library as type F; nullptr when it is missing.
template <typename F>
F Find(const char* name) {
  const HMODULE library = Library();
  if (library == nullptr) return nullptr;
  // The library's exports have the types declared in uia_declarations.h.
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

LRESULT ReturnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam,
                                 IRawElementProviderSimple* provider) {
  static const auto function =
      Find<ReturnRawElementProviderFunction>("UiaReturnRawElementProvider");
  return function != nullptr ? function(window, wParam, lParam, provider) : 0;
}

HRESULT HostProviderFromHwnd(HWND window, IRawElementProviderSimple** provider) {
  static const auto function = Find<HostProviderFromHwndFunction>("UiaHostProviderFromHwnd");
  if (function != nullptr) return function(window, provider);
  *provider = nullptr;
  return E_NOTIMPL;
}

bool ClientsAreListening() {
  static const auto function = Find<ClientsAreListeningFunction>("UiaClientsAreListening");
  return function != nullptr && function() != FALSE;
}

void RaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID event) {
  static const auto function = Find<RaiseAutomationEventFunction>("UiaRaiseAutomationEvent");
  if (function != nullptr) function(provider, event);
}

HRESULT GetReservedNotSupportedValue(IUnknown** value) {
  static const auto function =
      Find<GetReservedNotSupportedValueFunction>("UiaGetReservedNotSupportedValue");
  if (function != nullptr) return function(value);
  *value = nullptr;
  return E_NOTIMPL;
}

HRESULT NodeFromHandle(HWND window, HUIANODE* node) {
  static const auto function = Find<NodeFromHandleFunction>("UiaNodeFromHandle");
  return function != nullptr ? function(window, node) : E_NOTIMPL;
}

HRESULT GetPropertyValue(HUIANODE node, PROPERTYID property, VARIANT* value) {
  static const auto function = Find<GetPropertyValueFunction>("UiaGetPropertyValue");
  return function != nullptr ? function(node, property, value) : E_NOTIMPL;
}

BOOL NodeRelease(HUIANODE node) {
  static const auto function = Find<NodeReleaseFunction>("UiaNodeRelease");
  return function != nullptr ? function(node) : FALSE;
}

}  // namespace uia
