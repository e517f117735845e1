// Win32 accessibility: the IAccessible object of one element of a window's
// content. It holds only the window and the element's id and finds the
// content on every call, so that it outlives both safely: once the window's
// content is disconnected or the element is gone, calls answer
// CO_E_OBJNOTCONNECTED; a child id that never named an element answers
// E_INVALIDARG.
#pragma once

#include "platform/window/win32/window_win32.h"

#include <oleacc.h>

#include "platform/window/accessibility.h"

namespace platform::win32 {

// The content registered for hwnd; null when there is none (any more).
IAccessibleContent* AccessibleContentOf(HWND hwnd);
// A new object (one reference) for element id of hwnd's content.
IAccessible* NewAccessibleObject(HWND hwnd, int32_t id);

}  // namespace platform::win32
