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

// An IAccessible of one text view that answers everything as the system's standard object of
// the same kind answers, and the window through IOleWindow (WindowFromAccessibleObject asks
// that first). It holds the window only, so that the view's own answers can look it up on
// each call and answer kViewGone once it is destroyed.
class StandardObject : public IAccessible, public IOleWindow {
 public:
  StandardObject(HWND view, IAccessible* standard) : view_(view), standard_(standard) {}
  StandardObject(const StandardObject&) = delete;
  StandardObject& operator=(const StandardObject&) = delete;

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

  // IAccessible: the standard object's answers.
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

  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT which, IDispatch** child) override {
    return standard_->get_accChild(which, child);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return standard_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return standard_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 protected:
  virtual ~StandardObject() { standard_->Release(); }

  // The view's name for the object itself (not its children); E_INVALIDARG for a child.
  HRESULT LabelOf(VARIANT child, BSTR* name) const {
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

  HWND View() const { return view_; }

 private:
  HWND view_;
  LONG references_ = 1;
  IAccessible* standard_;  // owned
};

// The view's client object: a read-only text with the view's label as its name and its text
// (bounded) as its value.
class ClientObject final : public StandardObject {
 public:
  using StandardObject::StandardObject;

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
    return LabelOf(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    const TextView* view = TextViewOf(View());
    if (view == nullptr) return kViewGone;
    try {
      std::u16string scratch;
      const std::u16string_view text = AccessibleText(view->lines, 0, view->lines.Size(), scratch);
      return ToBstr({reinterpret_cast<const wchar_t*>(text.data()), text.size()}, value);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
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
    if (TextViewOf(View()) == nullptr) return kViewGone;
    long bits = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == View()) bits |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(View())) bits |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(View())) bits |= STATE_SYSTEM_UNAVAILABLE;
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
    if (TextViewOf(View()) == nullptr || !GetClientRect(View(), &client)) return kViewGone;
    MapWindowPoints(View(), nullptr, reinterpret_cast<POINT*>(&client), 2);
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
};

// The view's window object: the standard one, but named by the view's label and not by its
// window text, which is the view's whole text.
class WindowObject final : public StandardObject {
 public:
  using StandardObject::StandardObject;

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return IsSelf(child) ? LabelOf(child, name) : StandardObject::get_accName(child, name);
  }
};

}  // namespace

LRESULT AnswerAccessibleObject(HWND view, LONG objectId, WPARAM wParam) {
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(view, objectId, IID_IAccessible,
                                       reinterpret_cast<void**>(&standard)))) {
    return 0;
  }
  StandardObject* object =
      objectId == OBJID_CLIENT
          ? static_cast<StandardObject*>(new (std::nothrow) ClientObject(view, standard))
          : new (std::nothrow) WindowObject(view, standard);
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
