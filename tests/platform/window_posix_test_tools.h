// What the POSIX window tests share: a window procedure that leaves
// everything to the default one, and the output of a desktop tool (xprop,
// xdotool) run on the test's display.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/window_system.h"

inline platform::LRESULT PlainProc(platform::HWND hwnd, platform::UINT message, platform::WPARAM wParam,
                                   platform::LPARAM lParam) {
  return platform::DefWindowProc(hwnd, message, wParam, lParam);
}

inline std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  char buffer[256];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
  return output;
}
