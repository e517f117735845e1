// The window-system behaviour suite's program: "--backend=NAME" picks the
// display (headless, x11 with its own Xvfb, win32); "--find-class=NAME" makes
// it the second process of the FindWindow test, which finds that window,
// activates it and exits with 0 (found) or 3 (not found).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/window/window_activation.h"
#include "platform/window/window_test_driver.h"
#include "window_test_display.h"

std::string g_windowTestProgram;

namespace {

int FindAndActivate(const std::string& className) {
  std::u16string name(className.begin(), className.end());
  return platform::ActivateWindowOfClass(name) ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  g_windowTestProgram = argv[0];
  std::string backend;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--find-class=", 0) == 0) return FindAndActivate(arg.substr(13));
    if (arg.rfind("--backend=", 0) == 0) backend = arg.substr(10);
  }
  std::string error;
  if (!StartTestDisplay(backend, &error)) {
    std::fprintf(stderr, "window tests: %s\n", error.c_str());
    return 1;
  }
  // The display ends at exit, after the window system closed its connection.
  std::atexit(StopTestDisplay);
  return RUN_ALL_TESTS();
}
