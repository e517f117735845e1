// Win32 accessibility: WM_GETOBJECT for the client area is answered with an
// IAccessible over the window's content (oleacc marshals it to the asking
// process); events go out through NotifyWinEvent. Not implemented: UI
// Automation providers of our own (the system bridges MSAA to it).
#include "platform/window/win32/window_accessible_object.h"

#include <map>

namespace platform {
namespace {

// Windows and the content their objects read; UI thread only.
std::map<HWND, IAccessibleContent*>& Contents() {
  static std::map<HWND, IAccessibleContent*> contents;
  return contents;
}

// The thread that answers must be in a single-threaded apartment, for the
// object it hands out to be called through oleacc's proxy.
void EnterApartment() {
  thread_local bool entered = false;
  if (entered) return;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  entered = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

DWORD WinEventOf(EAccessibleEvent event) {
  switch (event) {
    case EAccessibleEvent::kFocus:
      return EVENT_OBJECT_FOCUS;
    case EAccessibleEvent::kNameChange:
      return EVENT_OBJECT_NAMECHANGE;
    case EAccessibleEvent::kValueChange:
      return EVENT_OBJECT_VALUECHANGE;
    case EAccessibleEvent::kShow:
      return EVENT_OBJECT_SHOW;
    case EAccessibleEvent::kHide:
      return EVENT_OBJECT_HIDE;
  }
  return 0;
}

}  // namespace

namespace win32 {

IAccessibleContent* AccessibleContentOf(HWND hwnd) {
  auto it = Contents().find(hwnd);
  return it != Contents().end() ? it->second : nullptr;
}

}  // namespace win32

bool AnswerAccessibleObjectRequest(HWND hwnd, WPARAM wParam, LPARAM lParam, IAccessibleContent* content,
                                   LRESULT* result) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT || !content) return false;
  EnterApartment();
  Contents()[hwnd] = content;
  IAccessible* object = win32::NewAccessibleObject(hwnd, kAccessibleSelf);
  *result = LresultFromObject(IID_IAccessible, wParam, object);
  object->Release();
  return true;
}

void DisconnectAccessibleContent(HWND hwnd) { Contents().erase(hwnd); }

void NotifyAccessibleEvent(HWND hwnd, EAccessibleEvent event, int32_t id) {
  // Events name elements by negative ids, which stay valid while the
  // window's children come and go (see window_accessible_object.cpp).
  NotifyWinEvent(WinEventOf(event), hwnd, OBJID_CLIENT, id == kAccessibleSelf ? CHILDID_SELF : -id);
}

}  // namespace platform
