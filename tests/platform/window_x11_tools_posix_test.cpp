// Desktop tools see our X11 windows as users' tools do: xdotool finds one by
// its UTF-8 title, xprop shows its WM_CLASS. Runs in the X11 run of the
// window suite (the Xvfb it started is in DISPLAY).
#include <gtest/gtest.h>

#include <string>

#include "platform/window_messages.h"
#include "platform/window_system.h"
#include "platform/window_test_driver.h"
#include "window_posix_test_tools.h"

namespace {

using namespace platform;

TEST(WindowX11Tools, XdotoolFindsTheTitleAndXpropShowsTheClass) {
  if (platform::testing::WindowBackendName() != "x11") GTEST_SKIP() << "X11 run only";
  WNDCLASS wc;
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = u"OrvToolsCheck";
  ASSERT_TRUE(RegisterClass(wc));
  HWND hwnd = CreateWindowEx(0, u"OrvToolsCheck", u"奥凡 在线升级 tools", WS_POPUP | WS_VISIBLE, 50, 50, 120, 80,
                             nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  std::string id = std::to_string(reinterpret_cast<uintptr_t>(hwnd));
  EXPECT_EQ(CommandOutput("xdotool search --name '在线升级 tools'"), id + "\n");
  EXPECT_NE(CommandOutput("xprop -id " + id + " WM_CLASS").find("\"OrvToolsCheck\", \"OrvToolsCheck\""), std::string::npos);
  EXPECT_NE(CommandOutput("xprop -id " + id + " _NET_WM_NAME").find("奥凡 在线升级 tools"), std::string::npos);
  DestroyWindow(hwnd);
}

}  // namespace
