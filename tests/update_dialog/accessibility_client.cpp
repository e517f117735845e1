// A screen reader in miniature, in a process of its own: finds the update
// dialog by its title, reads its MSAA tree through oleacc (the objects cross
// processes), prints role, name, value and state of every child, presses
// "一键升级" through accDoDefaultAction, follows the progress bar's value
// changes with a WinEvent hook, and after the dialog has gone calls the
// objects it still holds, which must fail cleanly. Child ids that never
// named an element are refused as invalid arguments, by every method.
//
//   accessibility_client.exe
//
// Prints one line per finding; exits with 0 when every step held, else 1
// after a line "FAIL <what>".
#include <windows.h>
#include <oleacc.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"\u5965\u51e1 \u5728\u7ebf\u5347\u7ea7";  // 奥凡 在线升级
const wchar_t kOneClick[] = L"\u4e00\u952e\u5347\u7ea7";            // 一键升级

HWND g_dialog = nullptr;
std::vector<std::string> g_events;  // the value changes heard: element id and value

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

int Fail(const char* what) {
  std::printf("FAIL %s\n", what);
  std::fflush(stdout);
  return 1;
}

std::wstring TakeBstr(BSTR text) {
  std::wstring out = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

VARIANT Self() {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::wstring NameOf(IAccessible* object) {
  BSTR name = nullptr;
  return SUCCEEDED(object->get_accName(Self(), &name)) ? TakeBstr(name) : std::wstring();
}

std::wstring ValueOf(IAccessible* object) {
  BSTR value = nullptr;
  return SUCCEEDED(object->get_accValue(Self(), &value)) ? TakeBstr(value) : std::wstring();
}

LONG IntOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* object) {
  VARIANT out;
  VariantInit(&out);
  return SUCCEEDED((object->*get)(Self(), &out)) && out.vt == VT_I4 ? out.lVal : -1;
}

// The children of parent as objects (the caller releases them).
std::vector<IAccessible*> ChildrenOf(IAccessible* parent) {
  std::vector<IAccessible*> children;
  LONG count = 0;
  if (FAILED(parent->get_accChildCount(&count)) || count <= 0) return children;
  std::vector<VARIANT> items(count);
  LONG got = 0;
  if (FAILED(AccessibleChildren(parent, 0, count, items.data(), &got))) return children;
  for (LONG i = 0; i < got; ++i) {
    IAccessible* child = nullptr;
    if (items[i].vt == VT_I4) {
      // A child given by its id: the object comes from the parent.
      IDispatch* object = nullptr;
      const VARIANT id = items[i];
      items[i].vt = VT_EMPTY;
      if (SUCCEEDED(parent->get_accChild(id, &object)) && object != nullptr) {
        items[i].vt = VT_DISPATCH;
        items[i].pdispVal = object;
      }
    }
    if (items[i].vt == VT_DISPATCH && items[i].pdispVal != nullptr &&
        SUCCEEDED(items[i].pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
      children.push_back(child);
    }
    VariantClear(&items[i]);
  }
  return children;
}

void ReleaseAll(std::vector<IAccessible*>& objects) {
  for (IAccessible* object : objects) object->Release();
  objects.clear();
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

void CALLBACK OnValueChange(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd != g_dialog || object != OBJID_CLIENT) return;
  std::wstring text = L"<not readable>";
  IAccessible* source = nullptr;
  VARIANT element;
  VariantInit(&element);
  if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &source, &element))) {
    BSTR value = nullptr;
    if (SUCCEEDED(source->get_accValue(element, &value))) text = TakeBstr(value);
    source->Release();
  }
  g_events.push_back("child=" + std::to_string(child) + " value=\"" + Utf8(text) + "\"");
}

void PrintChild(IAccessible* child) {
  std::printf("child role=%ld name=\"%s\" value=\"%s\" state=0x%lx\n",
              IntOf(&IAccessible::get_accRole, child), Utf8(NameOf(child)).c_str(),
              Utf8(ValueOf(child)).c_str(), IntOf(&IAccessible::get_accState, child));
}

// Waits for the offer: a visible push button named "一键升级"; returns it
// (one reference) with the window's object in *client.
IAccessible* AwaitOneClick(IAccessible** client) {
  for (int round = 0; round < 300; ++round, Pump(100)) {
    const HRESULT hr = AccessibleObjectFromWindow(g_dialog, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                  reinterpret_cast<void**>(client));
    LONG count = -1;
    if (SUCCEEDED(hr)) (*client)->get_accChildCount(&count);
    if (round % 50 == 0) std::printf("probe 0x%08lx children %ld\n", static_cast<unsigned long>(hr), count);
    if (FAILED(hr)) continue;
    std::vector<IAccessible*> children = ChildrenOf(*client);
    for (IAccessible*& child : children) {
      if (IntOf(&IAccessible::get_accRole, child) == ROLE_SYSTEM_PUSHBUTTON && NameOf(child) == kOneClick) {
        IAccessible* found = child;
        child = nullptr;
        for (IAccessible* other : children)
          if (other) other->Release();
        return found;
      }
    }
    ReleaseAll(children);
    (*client)->Release();
    *client = nullptr;
  }
  return nullptr;
}

VARIANT ChildId(LONG id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

// Every method that takes a child id answers E_INVALIDARG for one that never
// named an element (an event's negative id from nowhere), and does nothing.
bool RefusesUnknownChildIds(IAccessible* object) {
  for (const LONG id :
       {static_cast<LONG>(-0x7FFFFFF0), static_cast<LONG>(LONG_MIN), static_cast<LONG>(0x7FFFFFF0)}) {
    BSTR name = nullptr;
    VARIANT end;
    VariantInit(&end);
    LONG x = 0, y = 0, w = 0, h = 0;
    IDispatch* child = nullptr;
    const HRESULT results[] = {
        object->get_accName(ChildId(id), &name),          object->accNavigate(NAVDIR_NEXT, ChildId(id), &end),
        object->accLocation(&x, &y, &w, &h, ChildId(id)), object->accSelect(SELFLAG_TAKEFOCUS, ChildId(id)),
        object->accDoDefaultAction(ChildId(id)),          object->get_accChild(ChildId(id), &child)};
    SysFreeString(name);
    VariantClear(&end);
    if (child != nullptr) child->Release();
    std::printf("unknown child %ld:", id);
    bool refused = true;
    for (const HRESULT result : results) {
      std::printf(" 0x%08lx", static_cast<unsigned long>(result));
      refused = refused && result == E_INVALIDARG;
    }
    std::printf("\n");
    if (!refused) return false;
  }
  return true;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (int i = 0; i < 600 && g_dialog == nullptr; ++i, Sleep(100)) g_dialog = FindWindowW(nullptr, kTitle);
  if (g_dialog == nullptr) return Fail("no window titled 奥凡 在线升级");
  DWORD pid = 0;
  GetWindowThreadProcessId(g_dialog, &pid);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                       OnValueChange, pid, 0, WINEVENT_OUTOFCONTEXT);
  if (hook == nullptr) return Fail("no WinEvent hook");

  IAccessible* client = nullptr;
  IAccessible* oneClick = AwaitOneClick(&client);
  if (oneClick == nullptr) return Fail("no push button named 一键升级");
  std::printf("window role=%ld name=\"%s\"\n", IntOf(&IAccessible::get_accRole, client),
              Utf8(NameOf(client)).c_str());
  std::vector<IAccessible*> children = ChildrenOf(client);
  for (IAccessible* child : children) PrintChild(child);
  BSTR action = nullptr;
  oneClick->get_accDefaultAction(Self(), &action);
  std::printf("default action \"%s\"\n", Utf8(TakeBstr(action)).c_str());

  if (!RefusesUnknownChildIds(client)) return Fail("an unknown child id was not refused as invalid");
  if (FAILED(oneClick->accDoDefaultAction(Self()))) return Fail("accDoDefaultAction");
  std::printf("pressed\n");
  for (int i = 0; i < 600 && IsWindow(g_dialog); ++i) Pump(100);
  if (IsWindow(g_dialog)) return Fail("the dialog did not close");
  std::printf("closed\n");
  Pump(200);  // the last events
  for (const std::string& event : g_events) std::printf("value event %s\n", event.c_str());

  // The objects outlived the dialog: every call fails, none crashes.
  BSTR name = nullptr;
  LONG count = 0;
  const HRESULT nameResult = client->get_accName(Self(), &name);
  const HRESULT countResult = client->get_accChildCount(&count);
  const HRESULT pressResult = oneClick->accDoDefaultAction(Self());
  std::printf("stale name 0x%08lx count 0x%08lx press 0x%08lx\n", static_cast<unsigned long>(nameResult),
              static_cast<unsigned long>(countResult), static_cast<unsigned long>(pressResult));
  if (SUCCEEDED(nameResult) || SUCCEEDED(countResult) || SUCCEEDED(pressResult))
    return Fail("a stale object answered");
  ReleaseAll(children);
  oneClick->Release();
  client->Release();
  UnhookWinEvent(hook);
  std::printf("ok\n");
  return 0;
}
