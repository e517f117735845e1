// X11 window backend: the monitors and keeping windows on them
// (window_x11_monitors.cpp). Monitors(TConnection&) of window_x11.h answers
// from the list kept in the connection.
#pragma once

#include "platform/window/x11/window_x11.h"

namespace platform::posix::x11 {

// Takes a RandR event or a change of the root's _NET_WORKAREA or
// _NET_CURRENT_DESKTOP; false for any other event. The calling thread's
// windows are kept whole on their work areas, and hear of it when the
// monitors themselves changed (OnMonitorsChanged).
bool OnMonitorEvent(TConnection& c, XEvent& event);

// A window of another process: its rectangle in root coordinates, and moving
// and sizing it (as GetWindowRect and SetWindowPos do on Windows).
bool ForeignRect(TConnection& c, Window window, RECT* rect);
bool ForeignPlace(TConnection& c, Window window, const RECT& rect);

}  // namespace platform::posix::x11
