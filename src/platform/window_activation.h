// Bringing a window to the front and into view, also another instance's.
#pragma once

#include <string>

#include "platform/window_system.h"

namespace platform {

// Finds the top-level window of windowClass (FindWindowW, no title), shows it
// normally unless it is both maximised and visible, brings it onto a work
// area (BringOntoWorkArea) and makes it the foreground window. False when no
// such window exists.
bool ActivateWindowOfClass(const std::u16string& windowClass);

// A window (of this or another process) that lies on no part of the work
// area of the monitor it overlaps most, or on no monitor at all, is moved,
// kept at its size, into the work area of the monitor nearest its centre:
// another client may have put it far off, or its monitor went away. True
// when it was moved.
bool BringOntoWorkArea(HWND hwnd);

}  // namespace platform
