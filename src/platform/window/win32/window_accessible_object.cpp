// Win32 accessibility: CAccessibleObject, the IAccessible of one element.
// Every element is a full object. Child ids follow MSAA's conventions:
// CHILDID_SELF is the object itself, 1..count its children in order (what
// AccessibleChildren asks for), and a negative id -N the element whose id is
// N wherever it is (what events carry, as children come and go). Not
// implemented (as most servers): setting names and values, selection,
// IDispatch automation.
#include "platform/window/win32/window_accessible_object.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <string>
#include <vector>

namespace platform::win32 {
namespace {

LONG MsaaRole(EAccessibleRole role) {
  switch (role) {
    case EAccessibleRole::kClient:
      return ROLE_SYSTEM_CLIENT;
    case EAccessibleRole::kStaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case EAccessibleRole::kPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case EAccessibleRole::kProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
  }
  return ROLE_SYSTEM_CLIENT;
}

LONG MsaaState(const TAccessibleElement& element) {
  LONG state = 0;
  if (element.state & kAccessibleFocused) state |= STATE_SYSTEM_FOCUSED;
  if (element.state & kAccessibleFocusable) state |= STATE_SYSTEM_FOCUSABLE;
  if (element.state & kAccessibleUnavailable) state |= STATE_SYSTEM_UNAVAILABLE;
  if (element.state & kAccessibleInvisible) state |= STATE_SYSTEM_INVISIBLE;
  if (element.role == EAccessibleRole::kStaticText || element.role == EAccessibleRole::kProgressBar) {
    state |= STATE_SYSTEM_READONLY;
  }
  return state;
}

// A BSTR of text; S_FALSE with null for an empty text.
HRESULT ToBstr(const std::u16string& text, BSTR* out) {
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

class CAccessibleObject final : public IAccessible {
 public:
  CAccessibleObject(HWND hwnd, int32_t id) : m_hwnd(hwnd), m_id(id) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: not offered; MSAA clients call the vtable.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return WithElement(
        child, [&](const TAccessibleElement& e) { return ToBstr(e.name, name); }, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return WithElement(
        child, [&](const TAccessibleElement& e) { return ToBstr(e.value, value); }, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return WithElement(
        child, [&](const TAccessibleElement&) { return ToBstr({}, text); }, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return WithElement(
        child, [&](const TAccessibleElement&) { return ToBstr({}, text); }, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    if (topic) *topic = 0;
    return WithElement(
        child, [&](const TAccessibleElement&) { return ToBstr({}, file); }, file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return WithElement(
        child, [&](const TAccessibleElement&) { return ToBstr({}, text); }, text);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return WithElement(
        child, [&](const TAccessibleElement& e) { return ToBstr(e.defaultAction, action); }, action);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    selection->vt = VT_EMPTY;
    return Content() ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  IAccessibleContent* Content() const { return AccessibleContentOf(m_hwnd); }
  // The element a call names (see the child ids above); false for none.
  bool Resolve(const VARIANT& child, int32_t* id) const {
    if (child.vt != VT_I4 || child.lVal == LONG_MIN) return false;  // -LONG_MIN has no id
    if (child.lVal <= 0) {
      *id = child.lVal == CHILDID_SELF ? m_id : -child.lVal;
      return true;
    }
    IAccessibleContent* content = Content();
    if (!content) return false;
    const std::vector<int32_t> children = content->GetChildren(m_id);
    if (static_cast<size_t>(child.lVal) > children.size()) return false;
    *id = children[child.lVal - 1];
    return true;
  }
  // The id and description of the element child names: S_OK, or the error
  // to answer: CO_E_OBJNOTCONNECTED when its window or control is gone,
  // E_INVALIDARG when no element ever had that id or index.
  HRESULT Locate(const VARIANT& child, int32_t* id, TAccessibleElement* element) const {
    IAccessibleContent* content = Content();
    if (!content) return CO_E_OBJNOTCONNECTED;
    if (!Resolve(child, id)) return E_INVALIDARG;
    if (content->Describe(*id, element)) return S_OK;
    return content->HasExisted(*id) ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
  }
  // Runs read(element) for the element child names; out is cleared first.
  template <class Read, class Out>
  HRESULT WithElement(const VARIANT& child, Read&& read, Out* out) {
    if (!out) return E_POINTER;
    *out = Out{};
    int32_t id = 0;
    TAccessibleElement element;
    const HRESULT located = Locate(child, &id, &element);
    return FAILED(located) ? located : read(element);
  }
  // The element id as a VARIANT: VT_I4 CHILDID_SELF for this object, else
  // an object of its own.
  void PutElement(int32_t id, VARIANT* out) const {
    if (id == m_id) {
      out->vt = VT_I4;
      out->lVal = CHILDID_SELF;
      return;
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = NewAccessibleObject(m_hwnd, id);
  }

  std::atomic<ULONG> m_refs{1};
  const HWND m_hwnd;
  const int32_t m_id;
};

HRESULT CAccessibleObject::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  IAccessibleContent* content = Content();
  TAccessibleElement element;
  if (!content || !content->Describe(m_id, &element)) return CO_E_OBJNOTCONNECTED;
  if (m_id == kAccessibleSelf) {
    // The client area's parent is the window as the system describes it.
    return AccessibleObjectFromWindow(m_hwnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  *parent = NewAccessibleObject(m_hwnd, content->GetParent(m_id));
  return S_OK;
}

HRESULT CAccessibleObject::get_accChildCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  IAccessibleContent* content = Content();
  TAccessibleElement element;
  if (!content || !content->Describe(m_id, &element)) return CO_E_OBJNOTCONNECTED;
  *count = static_cast<LONG>(content->GetChildren(m_id).size());
  return S_OK;
}

HRESULT CAccessibleObject::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IAccessibleContent* content = Content();
  TAccessibleElement element;
  if (!content || !content->Describe(m_id, &element)) return CO_E_OBJNOTCONNECTED;
  int32_t id = 0;
  if (const HRESULT located = Locate(child, &id, &element); FAILED(located)) return located;
  *out = NewAccessibleObject(m_hwnd, id);
  return S_OK;
}

HRESULT CAccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
  return WithElement(
      child,
      [&](const TAccessibleElement& e) {
        role->vt = VT_I4;
        role->lVal = MsaaRole(e.role);
        return S_OK;
      },
      role);
}

HRESULT CAccessibleObject::get_accState(VARIANT child, VARIANT* state) {
  return WithElement(
      child,
      [&](const TAccessibleElement& e) {
        state->vt = VT_I4;
        state->lVal = MsaaState(e);
        return S_OK;
      },
      state);
}

HRESULT CAccessibleObject::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  focus->vt = VT_EMPTY;
  IAccessibleContent* content = Content();
  if (!content) return CO_E_OBJNOTCONNECTED;
  const int32_t id = content->GetFocus();
  if (id == kAccessibleNone) return S_FALSE;
  PutElement(id, focus);
  return S_OK;
}

HRESULT CAccessibleObject::accSelect(LONG flags, VARIANT child) {
  int32_t id = 0;
  TAccessibleElement element;
  if (const HRESULT located = Locate(child, &id, &element); FAILED(located)) return located;
  if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;  // nothing here is selectable
  return Content()->TakeFocus(id) ? S_OK : S_FALSE;
}

HRESULT CAccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  int32_t id = 0;
  TAccessibleElement element;
  if (const HRESULT located = Locate(child, &id, &element); FAILED(located)) return located;
  ::POINT origin{element.client.left, element.client.top};
  ::ClientToScreen(m_hwnd, &origin);
  *left = origin.x;
  *top = origin.y;
  *width = element.client.right - element.client.left;
  *height = element.client.bottom - element.client.top;
  return S_OK;
}

HRESULT CAccessibleObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  end->vt = VT_EMPTY;
  int32_t id = 0;
  TAccessibleElement element;
  if (const HRESULT located = Locate(start, &id, &element); FAILED(located)) return located;
  IAccessibleContent* content = Content();
  const bool intoChildren = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
  const int32_t parent = intoChildren ? id : content->GetParent(id);
  const std::vector<int32_t> row = content->GetChildren(parent);
  if (row.empty()) return S_FALSE;
  if (direction == NAVDIR_FIRSTCHILD) return PutElement(row.front(), end), S_OK;
  if (direction == NAVDIR_LASTCHILD) return PutElement(row.back(), end), S_OK;
  const auto at = std::find(row.begin(), row.end(), id);
  if (at == row.end()) return S_FALSE;
  if (direction == NAVDIR_NEXT && at + 1 != row.end()) return PutElement(*(at + 1), end), S_OK;
  if (direction == NAVDIR_PREVIOUS && at != row.begin()) return PutElement(*(at - 1), end), S_OK;
  return S_FALSE;  // no such neighbour; spatial directions are not offered
}

HRESULT CAccessibleObject::accHitTest(LONG x, LONG y, VARIANT* hit) {
  if (!hit) return E_POINTER;
  hit->vt = VT_EMPTY;
  IAccessibleContent* content = Content();
  if (!content) return CO_E_OBJNOTCONNECTED;
  ::POINT point{x, y};
  ::ScreenToClient(m_hwnd, &point);
  const int32_t id = content->HitTest({point.x, point.y});
  if (id == kAccessibleNone) return S_FALSE;
  PutElement(id, hit);
  return S_OK;
}

HRESULT CAccessibleObject::accDoDefaultAction(VARIANT child) {
  int32_t id = 0;
  TAccessibleElement element;
  if (const HRESULT located = Locate(child, &id, &element); FAILED(located)) return located;
  return Content()->DoDefaultAction(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

}  // namespace

IAccessible* NewAccessibleObject(HWND hwnd, int32_t id) { return new CAccessibleObject(hwnd, id); }

}  // namespace platform::win32
