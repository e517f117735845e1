// Windows' numbers for the window system (window_system.h): messages, virtual
// keys, hit-test codes, show commands, SetWindowPos flags, styles, system
// commands, key-state bits, mouse tracking flags, ... with the values Windows
// gives them, at global scope under Windows' names, so portable code reads
// like Windows code (WM_PAINT, VK_RETURN, HTCAPTION, SW_HIDE).
//
// <windows.h> defines the same names as macros: this header and <windows.h>
// never meet in one file. Portable code includes only this one; the Win32
// backend only <windows.h>.
#pragma once

#if defined(WM_PAINT)
#error "window_messages.h cannot be included together with <windows.h>"
#endif

#include "platform/window/window_system.h"

inline constexpr platform::BOOL FALSE = 0;
inline constexpr platform::BOOL TRUE = 1;

// ---- messages ------------------------------------------------------------
inline constexpr platform::UINT WM_NULL = 0x0000;
inline constexpr platform::UINT WM_CREATE = 0x0001;
inline constexpr platform::UINT WM_DESTROY = 0x0002;
inline constexpr platform::UINT WM_MOVE = 0x0003;
inline constexpr platform::UINT WM_SIZE = 0x0005;
inline constexpr platform::UINT WM_ACTIVATE = 0x0006;
inline constexpr platform::UINT WM_SETFOCUS = 0x0007;
inline constexpr platform::UINT WM_KILLFOCUS = 0x0008;
inline constexpr platform::UINT WM_ENABLE = 0x000A;
inline constexpr platform::UINT WM_SETTEXT = 0x000C;
inline constexpr platform::UINT WM_PAINT = 0x000F;
inline constexpr platform::UINT WM_CLOSE = 0x0010;
inline constexpr platform::UINT WM_QUIT = 0x0012;
inline constexpr platform::UINT WM_ERASEBKGND = 0x0014;
inline constexpr platform::UINT WM_SHOWWINDOW = 0x0018;
inline constexpr platform::UINT WM_ACTIVATEAPP = 0x001C;
inline constexpr platform::UINT WM_SETCURSOR = 0x0020;
inline constexpr platform::UINT WM_MOUSEACTIVATE = 0x0021;
inline constexpr platform::UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr platform::UINT WM_GETOBJECT = 0x003D;
inline constexpr platform::UINT WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr platform::UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr platform::UINT WM_NOTIFY = 0x004E;
inline constexpr platform::UINT WM_CONTEXTMENU = 0x007B;
inline constexpr platform::UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr platform::UINT WM_GETICON = 0x007F;
inline constexpr platform::UINT WM_SETICON = 0x0080;
inline constexpr platform::UINT WM_NCCREATE = 0x0081;
inline constexpr platform::UINT WM_NCDESTROY = 0x0082;
inline constexpr platform::UINT WM_NCCALCSIZE = 0x0083;
inline constexpr platform::UINT WM_NCHITTEST = 0x0084;
inline constexpr platform::UINT WM_NCPAINT = 0x0085;
inline constexpr platform::UINT WM_NCACTIVATE = 0x0086;
inline constexpr platform::UINT WM_NCMOUSEMOVE = 0x00A0;
inline constexpr platform::UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr platform::UINT WM_NCLBUTTONUP = 0x00A2;
inline constexpr platform::UINT WM_NCLBUTTONDBLCLK = 0x00A3;
inline constexpr platform::UINT WM_KEYDOWN = 0x0100;
inline constexpr platform::UINT WM_KEYUP = 0x0101;
inline constexpr platform::UINT WM_CHAR = 0x0102;
inline constexpr platform::UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr platform::UINT WM_SYSKEYUP = 0x0105;
inline constexpr platform::UINT WM_SYSCHAR = 0x0106;
inline constexpr platform::UINT WM_COMMAND = 0x0111;
inline constexpr platform::UINT WM_SYSCOMMAND = 0x0112;
inline constexpr platform::UINT WM_TIMER = 0x0113;
inline constexpr platform::UINT WM_SYSTIMER = 0x0118;  // undocumented; the caret's timer
inline constexpr platform::UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr platform::UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr platform::UINT WM_MOUSEMOVE = 0x0200;
inline constexpr platform::UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr platform::UINT WM_LBUTTONUP = 0x0202;
inline constexpr platform::UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr platform::UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr platform::UINT WM_RBUTTONUP = 0x0205;
inline constexpr platform::UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr platform::UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr platform::UINT WM_MBUTTONUP = 0x0208;
inline constexpr platform::UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr platform::UINT WM_CAPTURECHANGED = 0x0215;
inline constexpr platform::UINT WM_MOUSEHOVER = 0x02A1;
inline constexpr platform::UINT WM_MOUSELEAVE = 0x02A3;
// The DPI of the window's monitor changed: LOWORD(wParam) is the new DPI,
// lParam a RECT* (screen) the system suggests for the window at it.
inline constexpr platform::UINT WM_DPICHANGED = 0x02E0;
inline constexpr platform::UINT WM_PRINTCLIENT = 0x0318;
// Sent to top-level windows when the desktop starts or stops blending
// translucent windows (IsCompositionEnabled changed).
inline constexpr platform::UINT WM_DWMCOMPOSITIONCHANGED = 0x031E;
inline constexpr platform::UINT WM_USER = 0x0400;
inline constexpr platform::UINT OCM__BASE = WM_USER + 0x1C00;  // reflected messages: OCM__BASE + message
inline constexpr platform::UINT WM_APP = 0x8000;

// ---- WM_NCHITTEST results ------------------------------------------------
inline constexpr int HTERROR = -2;
inline constexpr int HTTRANSPARENT = -1;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTCAPTION = 2;
inline constexpr int HTSYSMENU = 3;
inline constexpr int HTMINBUTTON = 8;
inline constexpr int HTMAXBUTTON = 9;
inline constexpr int HTLEFT = 10;
inline constexpr int HTRIGHT = 11;
inline constexpr int HTTOP = 12;
inline constexpr int HTTOPLEFT = 13;
inline constexpr int HTTOPRIGHT = 14;
inline constexpr int HTBOTTOM = 15;
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;
inline constexpr int HTCLOSE = 20;

// ---- ShowWindow commands and WM_SIZE kinds --------------------------------
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr platform::UINT SIZE_RESTORED = 0;
inline constexpr platform::UINT SIZE_MINIMIZED = 1;
inline constexpr platform::UINT SIZE_MAXIMIZED = 2;

// ---- SetWindowPos --------------------------------------------------------
inline constexpr platform::UINT SWP_NOSIZE = 0x0001;
inline constexpr platform::UINT SWP_NOMOVE = 0x0002;
inline constexpr platform::UINT SWP_NOZORDER = 0x0004;
inline constexpr platform::UINT SWP_NOREDRAW = 0x0008;
inline constexpr platform::UINT SWP_NOACTIVATE = 0x0010;
inline constexpr platform::UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr platform::UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr platform::UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr platform::UINT SWP_NOOWNERZORDER = 0x0200;
inline const platform::HWND HWND_TOP = nullptr;
inline const platform::HWND HWND_BOTTOM = reinterpret_cast<platform::HWND>(1);
inline const platform::HWND HWND_TOPMOST = reinterpret_cast<platform::HWND>(-1);
inline const platform::HWND HWND_NOTOPMOST = reinterpret_cast<platform::HWND>(-2);
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ---- styles --------------------------------------------------------------
inline constexpr platform::DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr platform::DWORD WS_POPUP = 0x80000000;
inline constexpr platform::DWORD WS_CHILD = 0x40000000;
inline constexpr platform::DWORD WS_MINIMIZE = 0x20000000;
inline constexpr platform::DWORD WS_VISIBLE = 0x10000000;
inline constexpr platform::DWORD WS_DISABLED = 0x08000000;
inline constexpr platform::DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr platform::DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr platform::DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr platform::DWORD WS_CAPTION = 0x00C00000;
inline constexpr platform::DWORD WS_BORDER = 0x00800000;
inline constexpr platform::DWORD WS_DLGFRAME = 0x00400000;
inline constexpr platform::DWORD WS_SYSMENU = 0x00080000;
inline constexpr platform::DWORD WS_THICKFRAME = 0x00040000;
inline constexpr platform::DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr platform::DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr platform::DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr platform::DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr platform::DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr platform::DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr platform::DWORD WS_EX_APPWINDOW = 0x00040000;
inline constexpr platform::DWORD WS_EX_LAYERED = 0x00080000;
inline constexpr platform::DWORD WS_EX_NOACTIVATE = 0x08000000;
inline constexpr platform::UINT CS_VREDRAW = 0x0001;
inline constexpr platform::UINT CS_HREDRAW = 0x0002;
inline constexpr platform::UINT CS_DBLCLKS = 0x0008;

// ---- WM_SYSCOMMAND -------------------------------------------------------
inline constexpr platform::UINT SC_SIZE = 0xF000;
inline constexpr platform::UINT SC_MOVE = 0xF010;
inline constexpr platform::UINT SC_MINIMIZE = 0xF020;
inline constexpr platform::UINT SC_MAXIMIZE = 0xF030;
inline constexpr platform::UINT SC_CLOSE = 0xF060;
inline constexpr platform::UINT SC_RESTORE = 0xF120;

// ---- mouse ---------------------------------------------------------------
inline constexpr platform::UINT MK_LBUTTON = 0x0001;
inline constexpr platform::UINT MK_RBUTTON = 0x0002;
inline constexpr platform::UINT MK_SHIFT = 0x0004;
inline constexpr platform::UINT MK_CONTROL = 0x0008;
inline constexpr platform::UINT MK_MBUTTON = 0x0010;
inline constexpr int WHEEL_DELTA = 120;
inline constexpr platform::DWORD TME_HOVER = 0x00000001;
inline constexpr platform::DWORD TME_LEAVE = 0x00000002;
inline constexpr platform::DWORD TME_CANCEL = 0x80000000;
inline constexpr platform::DWORD HOVER_DEFAULT = 0xFFFFFFFF;
inline constexpr platform::UINT IDC_ARROW = 32512;
inline constexpr platform::UINT IDC_HAND = 32649;

// ---- other operations ----------------------------------------------------
inline constexpr platform::UINT PM_NOREMOVE = 0x0000;
inline constexpr platform::UINT PM_REMOVE = 0x0001;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr platform::UINT GW_OWNER = 4;
inline constexpr platform::DWORD MONITOR_DEFAULTTONULL = 0;
inline constexpr platform::DWORD MONITOR_DEFAULTTOPRIMARY = 1;
inline constexpr platform::DWORD MONITOR_DEFAULTTONEAREST = 2;
inline constexpr platform::DWORD MONITORINFOF_PRIMARY = 1;
inline constexpr platform::UINT WVR_REDRAW = 0x0300;
inline constexpr platform::UINT WA_INACTIVE = 0;
inline constexpr platform::UINT WA_ACTIVE = 1;
inline constexpr platform::UINT WA_CLICKACTIVE = 2;

// ---- icons (window_icons.h) ------------------------------------------------
inline constexpr platform::WPARAM ICON_SMALL = 0;
inline constexpr platform::WPARAM ICON_BIG = 1;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;

// ---- virtual keys (digits and letters are their ASCII capitals) -----------
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F12 = 0x7B;

// ---- packing of parameters (windowsx.h's GET_X_LPARAM and friends) --------
namespace platform {

inline LPARAM MakeLParam(int low, int high) {
  return static_cast<LPARAM>(static_cast<int32_t>((static_cast<uint32_t>(high & 0xFFFF) << 16) |
                                                  static_cast<uint32_t>(low & 0xFFFF)));
}
inline int LoWord(uintptr_t value) { return static_cast<int>(value & 0xFFFF); }
inline int HiWord(uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFF); }
// The signed x and y of a mouse message's lParam.
inline int XFromLParam(LPARAM lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
inline int YFromLParam(LPARAM lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }
// The signed wheel delta (multiples of WHEEL_DELTA) of WM_MOUSEWHEEL's wParam.
inline int WheelDeltaFromWParam(WPARAM wParam) { return static_cast<int16_t>((wParam >> 16) & 0xFFFF); }

}  // namespace platform
