#pragma once
// The UI Automation declarations that mingw-w64's headers lack, in one place. Its
// <uiautomationcore.h> declares the element providers but not the pattern interfaces, and its
// <uiautomationcoreapi.h> does not compile as C++ (a parameter is named `new`); there is no
// import library either, so the functions are looked up at run time (uia_functions.cpp).
// Kept in a namespace of their own: the names would clash with the view's own TextUnit.

#include "ui/win32/windows_api.h"
// After <windows.h>, on which they build.
#include <oleauto.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

namespace uia {

// Identifiers that <uiautomationclient.h> does not define.
inline constexpr CONTROLTYPEID kEditControlType = 50004;
inline constexpr EVENTID kTextSelectionChangedEvent = 20014;
inline constexpr EVENTID kTextChangedEvent = 20015;
inline constexpr TEXTATTRIBUTEID kIsReadOnlyAttribute = 40015;
// The object id a UI Automation client asks WM_GETOBJECT for.
inline constexpr LONG kRootObjectId = -25;
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);

enum TextUnit {
  TextUnit_Character = 0,
  TextUnit_Format = 1,
  TextUnit_Word = 2,
  TextUnit_Line = 3,
  TextUnit_Paragraph = 4,
  TextUnit_Page = 5,
  TextUnit_Document = 6,
};

enum TextPatternRangeEndpoint {
  TextPatternRangeEndpoint_Start = 0,
  TextPatternRangeEndpoint_End = 1,
};

enum SupportedTextSelection {
  SupportedTextSelection_None = 0,
  SupportedTextSelection_Single = 1,
  SupportedTextSelection_Multiple = 2,
};

struct UiaPoint {
  double x;
  double y;
};

// {c7935180-6fb3-4201-b174-7df73adbf64a}
inline constexpr IID kIidValueProvider = {
    0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
// {3589c92c-63f3-4367-99bb-ada653b77cf2}
inline constexpr IID kIidTextProvider = {
    0x3589c92c, 0x63f3, 0x4367, {0x99, 0xbb, 0xad, 0xa6, 0x53, 0xb7, 0x7c, 0xf2}};
// {5347ad7b-c355-46f8-aff5-909033582f63}
inline constexpr IID kIidTextRangeProvider = {
    0x5347ad7b, 0xc355, 0x46f8, {0xaf, 0xf5, 0x90, 0x90, 0x33, 0x58, 0x2f, 0x63}};

// The methods in the order of their interface tables.
struct IValueProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};

struct ITextRangeProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Clone(ITextRangeProvider** clone) = 0;
  virtual HRESULT STDMETHODCALLTYPE Compare(ITextRangeProvider* range, BOOL* same) = 0;
  virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(TextPatternRangeEndpoint endpoint,
                                                     ITextRangeProvider* target,
                                                     TextPatternRangeEndpoint targetEndpoint,
                                                     int* order) = 0;
  virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(TextUnit unit) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID attribute, VARIANT value,
                                                  BOOL backward, ITextRangeProvider** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                             ITextRangeProvider** found) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attribute,
                                                      VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE Move(TextUnit unit, int count, int* moved) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(TextPatternRangeEndpoint endpoint,
                                                       TextUnit unit, int count, int* moved) = 0;
  virtual HRESULT STDMETHODCALLTYPE
  MoveEndpointByRange(TextPatternRangeEndpoint endpoint, ITextRangeProvider* target,
                      TextPatternRangeEndpoint targetEndpoint) = 0;
  virtual HRESULT STDMETHODCALLTYPE Select() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
  virtual HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** children) = 0;
};

struct ITextProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** ranges) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** ranges) = 0;
  virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* child,
                                                   ITextRangeProvider** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(UiaPoint point, ITextRangeProvider** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(ITextRangeProvider** range) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SupportedTextSelection(SupportedTextSelection* kind) = 0;
};

// A node of the UI Automation client, for the tests that ask from another process.
DECLARE_HANDLE(HUIANODE);

// The functions of uiautomationcore.dll that the program and its tests call.
using ReturnRawElementProviderFunction = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM,
                                                          IRawElementProviderSimple*);
using HostProviderFromHwndFunction = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
using RaiseAutomationEventFunction = HRESULT(WINAPI*)(IRawElementProviderSimple*, EVENTID);
using ClientsAreListeningFunction = BOOL(WINAPI*)();
using GetReservedNotSupportedValueFunction = HRESULT(WINAPI*)(IUnknown**);
using NodeFromHandleFunction = HRESULT(WINAPI*)(HWND, HUIANODE*);
using GetPropertyValueFunction = HRESULT(WINAPI*)(HUIANODE, PROPERTYID, VARIANT*);
using NodeReleaseFunction = BOOL(WINAPI*)(HUIANODE);

}  // namespace uia
