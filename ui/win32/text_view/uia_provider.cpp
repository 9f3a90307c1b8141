#include "ui/win32/text_view/uia_provider.h"

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

#include "ui/win32/text_view/accessibility.h"
#include "ui/win32/text_view/accessible_text.h"
#include "ui/win32/text_view/text_units.h"
#include "ui/win32/text_view/uia_functions.h"
#include "ui/win32/text_view/uia_text_range.h"
#include "ui/win32/text_view/view_state.h"

namespace {

HRESULT ToBstrVariant(std::wstring_view text, VARIANT* value) {
  value->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (value->bstrVal == nullptr) return E_OUTOFMEMORY;
  value->vt = VT_BSTR;
  return S_OK;
}

class UiaProvider final : public IRawElementProviderSimple,
                          public uia::IValueProvider,
                          public uia::ITextProvider {
 public:
  explicit UiaProvider(HWND view) : view_(view) {}
  UiaProvider(const UiaProvider&) = delete;
  UiaProvider& operator=(const UiaProvider&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IRawElementProviderSimple) {
      *out = static_cast<IRawElementProviderSimple*>(this);
    } else if (iid == uia::kIidValueProvider) {
      *out = static_cast<uia::IValueProvider*>(this);
    } else if (iid == uia::kIidTextProvider) {
      *out = static_cast<uia::ITextProvider*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IRawElementProviderSimple
  HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override {
    if (options == nullptr) return E_POINTER;
    // Calls on the window's thread: the view's state belongs to that thread alone.
    *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                            ProviderOptions_UseComThreading);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (TextViewOf(view_) == nullptr) return uia::kElementNotAvailable;
    if (pattern == UIA_ValuePatternId) *out = static_cast<uia::IValueProvider*>(this);
    if (pattern == UIA_TextPatternId) *out = static_cast<uia::ITextProvider*>(this);
    if (*out != nullptr) AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override {
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    try {
      std::u16string scratch;  // the value, where the view forms its lines as they are read
      switch (property) {
        case UIA_ControlTypePropertyId:
          value->vt = VT_I4;
          value->lVal = uia::kEditControlType;
          return S_OK;
        case UIA_NamePropertyId:
          return ToBstrVariant(AccessibleName(view_), value);
        case UIA_AutomationIdPropertyId:
          return ToBstrVariant(std::to_wstring(GetDlgCtrlID(view_)), value);
        case UIA_ValueValuePropertyId:
          return ToBstrVariant(BoundedText(*view, scratch), value);
        case UIA_IsKeyboardFocusablePropertyId:
        case UIA_ValueIsReadOnlyPropertyId:
        case UIA_IsValuePatternAvailablePropertyId:
        case UIA_IsTextPatternAvailablePropertyId:
          value->vt = VT_BOOL;
          value->boolVal = VARIANT_TRUE;
          return S_OK;
        case UIA_HasKeyboardFocusPropertyId:
          value->vt = VT_BOOL;
          value->boolVal = GetFocus() == view_ ? VARIANT_TRUE : VARIANT_FALSE;
          return S_OK;
        case UIA_IsPasswordPropertyId:
          value->vt = VT_BOOL;
          value->boolVal = VARIANT_FALSE;
          return S_OK;
        default:
          return S_OK;  // VT_EMPTY: the host provider or UI Automation's default answers
      }
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override {
    if (host == nullptr) return E_POINTER;
    return uia::HostProviderFromHwnd(view_, host);
  }

  // IValueProvider
  HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR /*value*/) override {
    return static_cast<HRESULT>(0x80040200);  // UIA_E_ELEMENTNOTENABLED: the view is read-only
  }
  HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    try {
      std::u16string scratch;
      const std::wstring_view text = BoundedText(*view, scratch);
      *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    } catch (const std::bad_alloc&) {
    }
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) override {
    if (readOnly == nullptr) return E_POINTER;
    *readOnly = TRUE;
    return S_OK;
  }

  // ITextProvider
  HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** ranges) override {
    if (ranges == nullptr) return E_POINTER;
    *ranges = nullptr;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    // Without a selection this is the caret, as an empty range.
    return OneRange(SelectionBegin(*view), SelectionEnd(*view), ranges);
  }
  HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** ranges) override {
    if (ranges == nullptr) return E_POINTER;
    *ranges = nullptr;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    const std::size_t count = view->lines.LineCount();
    const std::size_t top = std::min(view->topLine, count - 1);
    const std::size_t last = std::min(count - 1, top + VisibleRows(*view) - 1);
    return OneRange(view->lines.LineStart(top), LineEnd(view->lines, last), ranges);
  }
  HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* /*child*/,
                                           uia::ITextRangeProvider** range) override {
    if (range == nullptr) return E_POINTER;
    *range = nullptr;
    return E_INVALIDARG;  // the view has no children
  }
  HRESULT STDMETHODCALLTYPE RangeFromPoint(uia::UiaPoint point,
                                           uia::ITextRangeProvider** range) override {
    if (range == nullptr) return E_POINTER;
    *range = nullptr;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    POINT at{static_cast<LONG>(point.x), static_cast<LONG>(point.y)};
    ScreenToClient(view_, &at);
    const std::size_t position = PositionAt(*view, at.x, at.y);
    *range = NewTextRange(this, view_, position, position);
    return *range != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_DocumentRange(uia::ITextRangeProvider** range) override {
    if (range == nullptr) return E_POINTER;
    *range = nullptr;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return uia::kElementNotAvailable;
    *range = NewTextRange(this, view_, 0, view->lines.Size());
    return *range != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_SupportedTextSelection(uia::SupportedTextSelection* kind) override {
    if (kind == nullptr) return E_POINTER;
    *kind = uia::SupportedTextSelection_Single;
    return S_OK;
  }

 private:
  ~UiaProvider() = default;

  // The view's value, in place or in `scratch`; throws std::bad_alloc when memory runs out.
  static std::wstring_view BoundedText(const TextView& view, std::u16string& scratch) {
    const std::u16string_view text = AccessibleText(view.lines, 0, view.lines.Size(), scratch);
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
  }

  // A new array in `ranges` that holds the one range [start, end).
  HRESULT OneRange(std::size_t start, std::size_t end, SAFEARRAY** ranges) {
    uia::ITextRangeProvider* range = NewTextRange(this, view_, start, end);
    if (range == nullptr) return E_OUTOFMEMORY;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
    LONG index = 0;
    if (array != nullptr) SafeArrayPutElement(array, &index, range);  // takes its own reference
    range->Release();
    *ranges = array;
    return array != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  LONG references_ = 1;
  HWND view_;
};

}  // namespace

IRawElementProviderSimple* NewUiaProvider(HWND view) {
  return new (std::nothrow) UiaProvider(view);
}
