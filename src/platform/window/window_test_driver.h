// Driving the window system like a user, for tests on every backend:
// pointer and key input as the system's input (headless: injected into the
// core; X11: the XTEST extension; Win32: SendInput), and what the screen
// shows. Linked from orv_platform_window_testing, never into the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/window_system.h"

namespace platform::testing {

// "headless", "x11" or "win32".
std::string WindowBackendName();

// Moves the pointer to screen, presses or releases a button (VK_LBUTTON,
// VK_RBUTTON, VK_MBUTTON) or turns the wheel (steps; positive away from the
// user), presses or releases a key (virtual-key code). False when the backend
// refused the input.
bool MoveMouse(POINT screen);
bool MouseButton(int button, bool down);
bool MouseWheel(int steps);
bool Key(int virtualKey, bool down);
// Returns once the input given so far can be read from the calling thread's
// message queue (X11: a round trip to the server).
void FlushInput();

// The screen's pixels in rect (screen coordinates) as opaque 0xFFRRGGBB
// values, row by row; what a screenshot shows.
bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels);
// CaptureScreen written as a PNG file.
bool SaveScreenPng(const RECT& rect, const std::string& path);

// Headless only: replaces the one monitor (rectangle, work area, DPI); when
// the DPI changes, the calling thread's windows get WM_DPICHANGED, as after a
// display settings change on Windows. False on other backends.
bool SetTestMonitor(const RECT& monitor, const RECT& work, UINT dpi);
// Headless only: whether the desktop blends translucent windows; a change
// sends WM_DWMCOMPOSITIONCHANGED to the calling thread's windows. False on
// other backends.
bool SetTestComposition(bool blended);

}  // namespace platform::testing
