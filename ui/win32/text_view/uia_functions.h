#pragma once
// The functions of uiautomationcore.dll, looked up once at run time: mingw-w64 has no import
// library for it. Each answers as the missing function would when the library or the function
// is not there.

#include "ui/win32/text_view/uia_declarations.h"

namespace uia {

// UiaReturnRawElementProvider; 0 when the function is missing.
LRESULT ReturnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam,
                                 IRawElementProviderSimple* provider);
// UiaHostProviderFromHwnd; E_NOTIMPL (and nullptr) when the function is missing.
HRESULT HostProviderFromHwnd(HWND window, IRawElementProviderSimple** provider);
// UiaClientsAreListening; false when the function is missing.
bool ClientsAreListening();
// UiaRaiseAutomationEvent; does nothing when the function is missing.
void RaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID event);
// UiaGetReservedNotSupportedValue; E_NOTIMPL (and nullptr) when the function is missing.
HRESULT GetReservedNotSupportedValue(IUnknown** value);

// The client side, for the tests: UiaNodeFromHandle, UiaGetPropertyValue, UiaNodeRelease;
// E_NOTIMPL or FALSE when missing.
HRESULT NodeFromHandle(HWND window, HUIANODE* node);
HRESULT GetPropertyValue(HUIANODE node, PROPERTYID property, VARIANT* value);
BOOL NodeRelease(HUIANODE node);

}  // namespace uia
