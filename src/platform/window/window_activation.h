// Bringing a window to the front and into view, also another instance's.
#pragma once

#include <string>

#include "platform/window/window_system.h"

namespace platform {

// Finds the top-level window of windowClass (FindWindowW, no title), shows it
// normally unless it is both maximised and visible, brings it onto a work
// area (BringOntoWorkArea) and makes it the foreground window. False when no
// such window exists.
bool ActivateWindowOfClass(const std::u16string& windowClass);

// A window (of this or another process) that is less than wholly on the
// work area of its monitor (the one it overlaps most, else the nearest) is
// moved whole onto that work area, kept at its size; one larger than the work
// area gets its top-left corner there, so that its caption stays in reach.
// Another client may have put it far off, or its monitor went away or
// shrank. Maximised and full-screen windows stay. True when it was moved.
bool BringOntoWorkArea(HWND hwnd);

}  // namespace platform
