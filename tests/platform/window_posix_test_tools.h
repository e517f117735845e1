// What the POSIX window tests share: a window procedure that leaves
// everything to the default one, a shown popup of a class of its own, and the
// output of a desktop tool (xprop, xdotool) run on the test's display.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/window/window_system.h"

inline platform::LRESULT PlainProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wParam,
                                   platform::LPARAM lParam) {
  return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

// Registers className with proc and shows a popup of it at rect; null when
// either fails.
inline platform::HWND ShowPopup(const char16_t* className, platform::WNDPROC proc, const char16_t* title,
                                const platform::RECT& rect) {
  platform::WNDCLASS wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = className;
  if (!platform::RegisterClass(wc)) return nullptr;
  return platform::CreateWindowEx(0, className, title, WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr);
}

inline std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  char buffer[256];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
  return output;
}
