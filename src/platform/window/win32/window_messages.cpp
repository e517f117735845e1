// Win32 window system: the message queue (posting, sending, getting,
// translating, dispatching), timers and the tick clock: the real calls.
#include "platform/window/win32/window_win32.h"

namespace platform {
namespace {

void ToPortable(const ::MSG& in, MSG* out) {
  out->hwnd = in.hwnd;
  out->message = in.message;
  out->wParam = static_cast<WPARAM>(in.wParam);
  out->lParam = static_cast<LPARAM>(in.lParam);
  out->time = in.time;
  out->pt = {in.pt.x, in.pt.y};
  out->lPrivate = 0;
}

::MSG ToNative(const MSG& in) {
  ::MSG out{};
  out.hwnd = in.hwnd;
  out.message = in.message;
  out.wParam = static_cast<::WPARAM>(in.wParam);
  out.lParam = static_cast<::LPARAM>(in.lParam);
  out.time = in.time;
  out.pt = {in.pt.x, in.pt.y};
  return out;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(hwnd, message, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageW(hwnd, message, wParam, lParam) != 0;
}

void PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

int GetMessage(MSG* msg) {
  if (!msg) return -1;
  ::MSG native;
  BOOL got = GetMessageW(&native, nullptr, 0, 0);
  if (got == -1) return -1;
  ToPortable(native, msg);
  return got ? 1 : 0;
}

bool PeekMessage(MSG* msg, UINT removeFlags) {
  ::MSG native;
  if (!msg || !PeekMessageW(&native, nullptr, 0, 0, removeFlags)) return false;
  ToPortable(native, msg);
  return true;
}

bool MsgWaitForInput(DWORD timeoutMs) {
  return MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

bool TranslateMessage(const MSG* msg) {
  if (!msg) return false;
  ::MSG native = ToNative(*msg);
  return ::TranslateMessage(&native) != 0;
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  ::MSG native = ToNative(*msg);
  return DispatchMessageW(&native);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) { return ::SetTimer(hwnd, id, elapse, nullptr); }

bool KillTimer(HWND hwnd, UINT_PTR id) { return ::KillTimer(hwnd, id) != 0; }

DWORD GetTickCount() { return ::GetTickCount(); }

}  // namespace platform
