// What every Win32 window-system file includes: <windows.h> with the A/W
// macros that share a name with operations of window_system.h undone, so that
// platform::CreateWindowEx and friends keep their names here, then the
// interface. Backend code calls the W functions by their full names.
#pragma once

#include <windows.h>

#undef CreateWindowEx
#undef DefWindowProc
#undef SendMessage
#undef PostMessage
#undef GetMessage
#undef PeekMessage
#undef DispatchMessage
#undef RegisterClass
#undef GetWindowLongPtr
#undef SetWindowLongPtr
#undef SetWindowText
#undef GetWindowText
#undef GetClassName
#undef LoadCursor
#undef GetMonitorInfo
#undef FindWindow
#undef CREATESTRUCT
#undef WNDCLASS
#undef MONITORINFO

#include "platform/window/window_system.h"
