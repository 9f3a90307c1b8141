#include "ui/win32/text_view/accessible_object.h"

#include <oleacc.h>
#include <oleidl.h>

#include <new>
#include <string>
#include <string_view>

#include "ui/win32/text_view/accessibility.h"
#include "ui/win32/text_view/accessible_text.h"
#include "ui/win32/text_view/view_state.h"

namespace {

// What a call on an object whose view is gone answers.
constexpr HRESULT kViewGone = CO_E_OBJNOTCONNECTED;

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT ToBstr(std::wstring_view text, BSTR* out) {
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// IAccessible of one text view. It holds the window only and looks its view up on each call,
// so that it answers kViewGone once the window is destroyed. What it does not answer itself
// (parent, navigation, hit testing, selection, default action) the system's standard object
// for the window answers.
class AccessibleObject final : public IAccessible, public IOleWindow {
 public:
  AccessibleObject(HWND view, IAccessible* standard) : view_(view), standard_(standard) {}
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
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

  // IDispatch: no type information; clients call IAccessible's methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT /*index*/, LCID /*locale*/,
                                        ITypeInfo** /*info*/) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID /*iid*/, LPOLESTR* /*names*/, UINT /*count*/,
                                          LCID /*locale*/, DISPID* /*ids*/) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID /*member*/, REFIID /*iid*/, LCID /*locale*/,
                                   WORD /*flags*/, DISPPARAMS* /*parameters*/, VARIANT* /*result*/,
                                   EXCEPINFO* /*exception*/, UINT* /*wrong*/) override {
    return E_NOTIMPL;
  }

  // IOleWindow: WindowFromAccessibleObject asks this first.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = view_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL /*enter*/) override { return E_NOTIMPL; }

  // IAccessible: what this object answers itself.
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT /*which*/, IDispatch** child) override {
    if (child == nullptr) return E_POINTER;
    *child = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    if (TextViewOf(view_) == nullptr) return kViewGone;
    try {
      const std::wstring label = AccessibleName(view_);
      return label.empty() ? S_FALSE : ToBstr(label, name);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    const TextView* view = TextViewOf(view_);
    if (view == nullptr) return kViewGone;
    const std::u16string_view text = view->lines.Text();
    const std::size_t end = AccessibleTextEnd(text, 0, text.size());
    return ToBstr(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), end), value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    VariantInit(role);
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    VariantInit(state);
    if (!IsSelf(child)) return E_INVALIDARG;
    if (TextViewOf(view_) == nullptr) return kViewGone;
    long bits = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == view_) bits |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(view_)) bits |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(view_)) bits |= STATE_SYSTEM_UNAVAILABLE;
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
      return E_POINTER;
    }
    if (!IsSelf(child)) return E_INVALIDARG;
    RECT client;
    if (TextViewOf(view_) == nullptr || !GetClientRect(view_, &client)) return kViewGone;
    MapWindowPoints(view_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    *left = client.left;
    *top = client.top;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT /*child*/, BSTR /*name*/) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT /*child*/, BSTR /*value*/) override {
    return E_NOTIMPL;
  }

  // IAccessible: what the standard object answers.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return standard_->get_accHelp(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return standard_->get_accKeyboardShortcut(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return standard_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return standard_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return standard_->get_accDefaultAction(child, text);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    return standard_->accHitTest(x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }

 private:
  ~AccessibleObject() { standard_->Release(); }

  LONG references_ = 1;
  HWND view_;
  IAccessible* standard_;  // owned
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND view, WPARAM wParam) {
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(view, OBJID_CLIENT, IID_IAccessible,
                                       reinterpret_cast<void**>(&standard)))) {
    return 0;
  }
  auto* object = new (std::nothrow) AccessibleObject(view, standard);
  if (object == nullptr) {
    standard->Release();
    return 0;
  }
  // LresultFromObject holds its own reference for the client; a negative answer is an error.
  const LRESULT result =
      LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object));
  object->Release();
  return result < 0 ? 0 : result;
}
