// Desktop tools see our X11 windows as users' tools do: xdotool finds one by
// its UTF-8 title, xprop shows its WM_CLASS; and what desktop tools set
// reaches our windows: a new Xft.dpi (xrdb, xprop on RESOURCE_MANAGER) comes
// as WM_DPICHANGED. Runs in the X11 run of the window suite (the Xvfb it
// started is in DISPLAY).
#include <gtest/gtest.h>

#include <chrono>
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

struct TDpiChange {
  UINT dpi = 0;
  RECT suggested;
};
std::vector<TDpiChange> g_dpiChanges;

LRESULT DpiRecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_DPICHANGED) return DefWindowProc(hwnd, message, wParam, lParam);
  g_dpiChanges.push_back({static_cast<UINT>(LoWord(wParam)), *reinterpret_cast<const RECT*>(lParam)});
  return 0;
}

void SetRootResources(const std::string& text) {
  CommandOutput("xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER \"$(printf '" + text + "')\"");
}

// Dispatches this thread's messages until count DPI changes arrived (bounded).
bool AwaitDpiChanges(size_t count) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (g_dpiChanges.size() < count && std::chrono::steady_clock::now() < end) {
    MsgWaitForInput(50);
    MSG msg;
    while (PeekMessage(&msg, PM_REMOVE)) DispatchMessage(&msg);
  }
  return g_dpiChanges.size() >= count;
}

TEST(WindowX11Tools, ANewXftDpiReachesTheWindowsAsWmDpiChanged) {
  if (platform::testing::WindowBackendName() != "x11") GTEST_SKIP() << "X11 run only";
  WNDCLASS wc;
  wc.lpfnWndProc = DpiRecordingProc;
  wc.lpszClassName = u"OrvDpiCheck";
  ASSERT_TRUE(RegisterClass(wc));
  HWND hwnd = CreateWindowEx(0, u"OrvDpiCheck", u"dpi", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  SetRootResources("Xft.dpi:\\t144\\n");
  ASSERT_TRUE(AwaitDpiChanges(1));
  EXPECT_EQ(g_dpiChanges[0].dpi, 144u);
  // The same centre (200, 150), the size scaled by 144 / 96.
  EXPECT_EQ(g_dpiChanges[0].suggested, (RECT{50, 75, 350, 225}));
  EXPECT_EQ(GetDpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)), 144u);
  // Other resources change, Xft.dpi stays: nothing; then back to 96.
  SetRootResources("Xft.dpi:\\t144\\nXft.antialias:\\t1\\n");
  CommandOutput("xprop -root -remove RESOURCE_MANAGER");
  ASSERT_TRUE(AwaitDpiChanges(2));
  EXPECT_EQ(g_dpiChanges.size(), 2u);
  EXPECT_EQ(g_dpiChanges[1].dpi, 96u);
  DestroyWindow(hwnd);
}

}  // namespace
