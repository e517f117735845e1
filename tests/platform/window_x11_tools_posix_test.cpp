// Desktop tools see our X11 windows as users' tools do: xdotool finds one by
// its UTF-8 title, xprop shows its WM_CLASS; and what desktop tools set
// reaches our windows: a new Xft.dpi (xrdb, xprop on RESOURCE_MANAGER) comes
// as WM_DPICHANGED, and work areas and desktop indices no desktop would set
// still give a work area on the monitor; a process that may start no thread
// goes without the display rather than ending. Runs in the X11 run of the
// window suite (the Xvfb it started is in DISPLAY).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "platform/window/core/window_backend.h"
#include "platform/window/window_test_driver.h"
#include "support/posix/no_new_threads.h"
#include "window_posix_test_tools.h"

namespace {

using namespace platform;

TEST(WindowX11Tools, XdotoolFindsTheTitleAndXpropShowsTheClass) {
  if (platform::testing::WindowBackendName() != "x11") GTEST_SKIP() << "X11 run only";
  HWND hwnd = ShowPopup(u"OrvToolsCheck", PlainProc, u"奥凡 在线升级 tools", {50, 50, 170, 130});
  ASSERT_NE(hwnd, nullptr);
  std::string id = std::to_string(reinterpret_cast<uintptr_t>(hwnd));
  EXPECT_EQ(CommandOutput("xdotool search --name '在线升级 tools'"), id + "\n");
  EXPECT_NE(CommandOutput("xprop -id " + id + " WM_CLASS").find("\"OrvToolsCheck\", \"OrvToolsCheck\""),
            std::string::npos);
  EXPECT_NE(CommandOutput("xprop -id " + id + " _NET_WM_NAME").find("奥凡 在线升级 tools"),
            std::string::npos);
  DestroyWindow(hwnd);
}

// Asking the server runs on a thread of its own, for its deadline.
TEST(WindowX11Tools, WithoutAThreadTheServerCountsAsSilent) {
  if (platform::testing::WindowBackendName() != "x11") GTEST_SKIP() << "X11 run only";
  TNoNewThreads refused;
  EXPECT_EQ(posix::CreateX11Backend(std::getenv("DISPLAY")), nullptr);
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
  HWND hwnd = ShowPopup(u"OrvDpiCheck", DpiRecordingProc, u"dpi", {100, 100, 300, 200});
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

RECT WorkArea() {
  MONITORINFO info;
  return GetMonitorInfo(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info) ? info.rcWork : RECT{};
}

// Dispatches this thread's messages until the work area is expected (bounded).
bool AwaitWorkArea(const RECT& expected) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!(WorkArea() == expected) && std::chrono::steady_clock::now() < end) {
    MsgWaitForInput(50);
    MSG msg;
    while (PeekMessage(&msg, PM_REMOVE)) DispatchMessage(&msg);
  }
  return WorkArea() == expected;
}

void SetRootCardinals(const std::string& name, const std::string& values) {
  CommandOutput("xprop -root -f " + name + " 32c -set " + name + " " + values);
}

// What other clients put on the root (and a dock's strut) never gives a work
// area off the 1280 x 1024 monitor or an empty one. Values are 32-bit
// CARDINALs as xprop writes them: 4294967196 is -100.
TEST(WindowX11Tools, HostileWorkAreasStayOnTheMonitor) {
  if (platform::testing::WindowBackendName() != "x11") GTEST_SKIP() << "X11 run only";
  struct TCase {
    const char* what;
    const char* desktop;
    const char* areas;
    const char* strut;  // _NET_WM_STRUT_PARTIAL of a mapped window; empty: none
    RECT work;
  } const cases[] = {
      {"the second desktop's", "1", "0,0,1280,1000,0,24,1280,1000", "", {0, 24, 1280, 1024}},
      {"desktop 0xFFFFFFFF", "4294967295", "0,0,1280,1000", "", {0, 0, 1280, 1024}},
      {"desktop past the list", "2", "0,0,1280,1000,0,24,1280,1000", "", {0, 0, 1280, 1024}},
      {"negative origin", "0", "4294967196,4294967196,1280,1024", "", {0, 0, 1180, 924}},
      {"negative size", "0", "10,10,4294967196,4294967196", "", {0, 0, 1280, 1024}},
      {"off the screen", "0", "5000,5000,100,100", "", {0, 0, 1280, 1024}},
      {"100000 x 100000", "0", "0,0,100000,100000", "", {0, 0, 1280, 1024}},
      {"100000 x 100000 from -50000", "0", "4294917296,4294917296,100000,100000", "", {0, 0, 1280, 1024}},
      {"zero size", "0", "0,0,0,0", "", {0, 0, 1280, 1024}},
      {"a bottom panel's strut", "0", "0,0,1280,1024", "0,0,0,40,0,0,0,0,0,0,0,1279", {0, 0, 1280, 984}},
      {"a strut over all of it", "0", "0,0,1280,1024", "0,0,0,1024,0,0,0,0,0,0,0,1279", {0, 0, 1280, 1024}},
  };
  HWND dock = ShowPopup(u"OrvDockCheck", PlainProc, u"dock", {0, 984, 1280, 1024});
  ASSERT_NE(dock, nullptr);
  const std::string dockId = std::to_string(reinterpret_cast<uintptr_t>(dock));
  const RECT sane{0, 0, 1280, 1000};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    // From a sane state first, so that each case shows its own answer.
    CommandOutput("xprop -id " + dockId + " -remove _NET_WM_STRUT_PARTIAL 2>/dev/null");
    SetRootCardinals("_NET_CURRENT_DESKTOP", "0");
    SetRootCardinals("_NET_WORKAREA", "0,0,1280,1000");
    ASSERT_TRUE(AwaitWorkArea(sane));
    if (*c.strut)
      CommandOutput("xprop -id " + dockId + " -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL " +
                    c.strut);
    SetRootCardinals("_NET_CURRENT_DESKTOP", c.desktop);
    SetRootCardinals("_NET_WORKAREA", c.areas);
    EXPECT_TRUE(AwaitWorkArea(c.work));
    const RECT work = WorkArea();
    EXPECT_TRUE(work.left >= 0 && work.top >= 0 && work.right <= 1280 && work.bottom <= 1024 &&
                work.left < work.right && work.top < work.bottom)
        << work.left << "," << work.top << "," << work.right << "," << work.bottom;
  }
  CommandOutput("xprop -root -remove _NET_WORKAREA");
  CommandOutput("xprop -root -remove _NET_CURRENT_DESKTOP");
  DestroyWindow(dock);
}

}  // namespace
