// Win32 window system: capture, focus, key state, mouse tracking, cursors and
// the tooltip (the common control, tracking at an absolute position).
#include "platform/window/win32/window_win32.h"
// After <windows.h>, which it builds on.
#include <commctrl.h>
#include "platform/system/win32/wide.h"

namespace platform {

HWND SetCapture(HWND hwnd) { return ::SetCapture(hwnd); }
bool ReleaseCapture() { return ::ReleaseCapture() != 0; }
HWND GetCapture() { return ::GetCapture(); }
HWND SetFocus(HWND hwnd) { return ::SetFocus(hwnd); }
HWND GetFocus() { return ::GetFocus(); }
int16_t GetKeyState(int virtualKey) { return ::GetKeyState(virtualKey); }

bool GetCursorPos(POINT* point) {
  ::POINT native;
  if (!point || !::GetCursorPos(&native)) return false;
  *point = {native.x, native.y};
  return true;
}

bool TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track) return false;
  ::TRACKMOUSEEVENT native{sizeof native, track->dwFlags, track->hwndTrack, track->dwHoverTime};
  return ::TrackMouseEvent(&native) != 0;
}

HCURSOR LoadCursor(UINT cursorId) {
  return reinterpret_cast<HCURSOR>(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId)));
}

HCURSOR SetCursor(HCURSOR cursor) {
  return reinterpret_cast<HCURSOR>(::SetCursor(reinterpret_cast<::HCURSOR>(const_cast<TCursor*>(cursor))));
}

namespace {

TTTOOLINFOW Tool(HWND tooltip) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every common-controls version
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = ::GetWindow(tooltip, GW_OWNER);
  tool.uId = 1;
  return tool;
}

}  // namespace

HWND CreateToolTipWindow(HWND owner) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
  HWND tooltip =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tooltip) return nullptr;
  TTTOOLINFOW tool = Tool(tooltip);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<::LPARAM>(&tool));
  return tooltip;
}

bool ShowToolTip(HWND tooltip, std::u16string_view text, POINT point, int maxWidth) {
  std::u16string copy(text);
  TTTOOLINFOW tool = Tool(tooltip);
  tool.lpszText = win32::WBuffer(copy);
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, maxWidth > 0 ? maxWidth : -1);
  SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<::LPARAM>(&tool));
  SendMessageW(tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y + 20));
  SendMessageW(tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<::LPARAM>(&tool));
  return ::IsWindow(tooltip) != 0;
}

bool HideToolTip(HWND tooltip) {
  TTTOOLINFOW tool = Tool(tooltip);
  SendMessageW(tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<::LPARAM>(&tool));
  return ::IsWindow(tooltip) != 0;
}

}  // namespace platform
