// The window system's behaviour, one suite for every backend (headless, X11
// under the run's own Xvfb, Win32 under Wine): message order, the default
// window procedure's dragging and commands, timers, posted messages across
// threads, the message loop's filters and idle handlers, capture, hover and
// leave, keys, layered alpha and regions as the screen shows them, FindWindow
// from a second process, monitors and the tooltip. Input is given like a
// user's through the test driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/window/window_activation.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_system.h"
#include "platform/window/window_test_driver.h"
#include "support/child_process.h"

extern std::string g_windowTestProgram;

namespace {

using namespace platform;

struct TLogged {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What a test window records and how it answers.
struct TRecorder {
  std::vector<TLogged> log;
  int captionHeight = 0;  // client rows answering HTCAPTION
  bool failCreate = false;
  uint32_t fill = 0xFF3060C0;  // painted over the whole client area
  uint32_t keyStateShift = 0;  // GetKeyState(VK_SHIFT) seen at the last WM_KEYDOWN
  std::vector<uint32_t> pixels;

  size_t Count(UINT message) const {
    return std::count_if(log.begin(), log.end(), [&](const TLogged& l) { return l.message == message; });
  }
  const TLogged* Last(UINT message) const {
    for (auto it = log.rbegin(); it != log.rend(); ++it)
      if (it->message == message) return &*it;
    return nullptr;
  }
  // Where message first appears in the log; -1 when it does not.
  int IndexOf(UINT message) const {
    for (size_t i = 0; i < log.size(); ++i)
      if (log[i].message == message) return static_cast<int>(i);
    return -1;
  }
};

void Paint(HWND hwnd, TRecorder& recorder) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  recorder.pixels.assign(static_cast<size_t>(client.right) * client.bottom, recorder.fill);
  PresentPixels(hwnd, {recorder.pixels.data(), client.right, client.bottom, client.right}, ps.rcPaint);
  EndPaint(hwnd, &ps);
}

LRESULT RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
    SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* recorder = reinterpret_cast<TRecorder*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
  if (!recorder) return DefWindowProc(hwnd, message, wParam, lParam);
  recorder->log.push_back({message, wParam, lParam});
  switch (message) {
    case WM_CREATE:
      return recorder->failCreate ? -1 : 0;
    case WM_NCHITTEST: {
      POINT p{XFromLParam(lParam), YFromLParam(lParam)};
      ScreenToClient(hwnd, &p);
      return p.y < recorder->captionHeight ? HTCAPTION : HTCLIENT;
    }
    case WM_KEYDOWN:
      recorder->keyStateShift = GetKeyState(VK_SHIFT) < 0;
      return 0;
    case WM_PAINT:
      Paint(hwnd, *recorder);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProc(hwnd, message, wParam, lParam);
  }
}

constexpr char16_t kClass[] = u"OrvTestWindow";
constexpr int kWait = 5000;  // ms: every wait is bounded by this

class WindowSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = RecorderProc;
    wc.hCursor = LoadCursor(IDC_ARROW);
    wc.lpszClassName = kClass;
    ASSERT_TRUE(RegisterClass(wc));
  }

  void TearDown() override {
    ReleaseCapture();
    for (HWND hwnd : m_windows) DestroyWindow(hwnd);
    Pump();
  }

  // A popup window at rect (screen coordinates), shown without activation
  // unless show is false.
  HWND Create(const RECT& r, TRecorder& recorder, DWORD exStyle = 0, bool show = true, HWND owner = nullptr) {
    HWND hwnd = CreateWindowEx(exStyle, kClass, u"测试 window", WS_POPUP, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, owner, &recorder);
    if (hwnd) m_windows.push_back(hwnd);
    if (hwnd && show) {
      ShowWindow(hwnd, SW_SHOW);
      UpdateWindow(hwnd);
    }
    return hwnd;
  }

  static void Pump() {
    MSG msg;
    while (PeekMessage(&msg, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }

  // Dispatches messages until done() holds; false after kWait ms. Waits for
  // messages at most 10 ms at a time: some conditions (a child's exit, the
  // screen) come with no message.
  static bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    for (;;) {
      Pump();
      if (done()) return true;
      if (GetTickCount() - start >= static_cast<DWORD>(kWait)) return false;
      MsgWaitForInput(10);
    }
  }

  // Input like a user's, waited for until it reached the queue.
  static void MoveTo(POINT p) {
    platform::testing::MoveMouse(p);
    platform::testing::FlushInput();
  }
  static void Button(int button, bool down) {
    platform::testing::MouseButton(button, down);
    platform::testing::FlushInput();
  }
  static void Press(int key, bool down) {
    platform::testing::Key(key, down);
    platform::testing::FlushInput();
  }

  static uint32_t ScreenPixel(POINT p) {
    std::vector<uint32_t> pixels;
    if (!platform::testing::CaptureScreen({p.x, p.y, p.x + 1, p.y + 1}, &pixels)) return 0;
    return pixels[0] & 0xFFFFFF;
  }
  // The screen shows colour (0xRRGGBB) at p once painting has settled.
  static bool ShowsColour(POINT p, uint32_t colour, int tolerance = 0) {
    return PumpUntil([&] {
      uint32_t got = ScreenPixel(p);
      for (int shift = 0; shift < 24; shift += 8) {
        int a = (got >> shift) & 0xFF, b = (colour >> shift) & 0xFF;
        if (std::abs(a - b) > tolerance) return false;
      }
      return true;
    });
  }

  // Recorders outlive the test body: TearDown destroys the windows.
  TRecorder& NewRecorder() { return m_recorders.emplace_back(); }

  std::deque<TRecorder> m_recorders;
  std::vector<HWND> m_windows;
};

TEST_F(WindowSystemTest, CreationSendsItsMessagesInWindowsOrder) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 300, 250}, r, 0, false);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_LT(r.IndexOf(WM_GETMINMAXINFO), r.IndexOf(WM_NCCREATE));
  EXPECT_LT(r.IndexOf(WM_NCCREATE), r.IndexOf(WM_NCCALCSIZE));
  EXPECT_LT(r.IndexOf(WM_NCCALCSIZE), r.IndexOf(WM_CREATE));
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(GetClassName(hwnd), kClass);
  EXPECT_EQ(GetWindowText(hwnd), u"测试 window");
}

TEST_F(WindowSystemTest, CreateReturningMinusOneGivesNoWindow) {
  TRecorder& r = NewRecorder();
  r.failCreate = true;
  EXPECT_EQ(Create({100, 100, 200, 200}, r, 0, false), nullptr);
  EXPECT_EQ(r.Count(WM_NCDESTROY), 1u);
}

TEST_F(WindowSystemTest, ShowSizeMoveAndDestroyReportTheirChanges) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 300, 250}, r, 0, false);
  ShowWindow(hwnd, SW_SHOW);
  ASSERT_NE(r.Last(WM_SHOWWINDOW), nullptr);
  EXPECT_EQ(r.Last(WM_SHOWWINDOW)->wParam, 1u);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  r.log.clear();
  SetWindowPos(hwnd, nullptr, 120, 130, 250, 180, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(r.Last(WM_SIZE), nullptr);
  EXPECT_EQ(r.Last(WM_SIZE)->lParam, MakeLParam(250, 180));
  EXPECT_EQ(r.Last(WM_MOVE)->lParam, MakeLParam(120, 130));
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  EXPECT_EQ(window, (RECT{120, 130, 370, 310}));
  EXPECT_EQ(client, (RECT{0, 0, 250, 180}));
  POINT p{130, 140};
  ScreenToClient(hwnd, &p);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 10);

  r.log.clear();
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(r.Count(WM_SHOWWINDOW), 0u);  // SetWindowPos does not send it

  r.log.clear();
  ASSERT_TRUE(DestroyWindow(hwnd));
  ASSERT_GE(r.log.size(), 2u);
  EXPECT_EQ(r.log.back().message, WM_NCDESTROY);
  EXPECT_LT(r.IndexOf(WM_DESTROY), r.IndexOf(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(hwnd));
}

struct TShowCase {
  const char* name;
  int command;  // or a WM_SYSCOMMAND when sysCommand
  bool sysCommand;
  bool iconic, zoomed, visible;
  int sizeKind;  // the last WM_SIZE's wParam, -1 for none
};

TEST_F(WindowSystemTest, ShowCommandsAndSystemCommandsChangeTheState) {
  const TShowCase cases[] = {
      {"minimise", SW_MINIMIZE, false, true, false, true, SIZE_MINIMIZED},
      {"restore", SW_RESTORE, false, false, false, true, SIZE_RESTORED},
      {"maximise", SW_MAXIMIZE, false, false, true, true, SIZE_MAXIMIZED},
      {"restore again", SW_SHOWNORMAL, false, false, false, true, SIZE_RESTORED},
      {"SC_MINIMIZE", static_cast<int>(SC_MINIMIZE), true, true, false, true, SIZE_MINIMIZED},
      {"SC_RESTORE", static_cast<int>(SC_RESTORE), true, false, false, true, SIZE_RESTORED},
      {"hide", SW_HIDE, false, false, false, false, -1},
  };
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 300, 250}, r);
  for (const TShowCase& c : cases) {
    SCOPED_TRACE(c.name);
    r.log.clear();
    if (c.sysCommand)
      SendMessage(hwnd, WM_SYSCOMMAND, static_cast<WPARAM>(c.command), 0);
    else
      ShowWindow(hwnd, c.command);
    Pump();
    EXPECT_EQ(IsIconic(hwnd), c.iconic);
    EXPECT_EQ(IsZoomed(hwnd), c.zoomed);
    EXPECT_EQ(IsWindowVisible(hwnd), c.visible);
    if (c.sizeKind >= 0) {
      ASSERT_NE(r.Last(WM_SIZE), nullptr);
      EXPECT_EQ(r.Last(WM_SIZE)->wParam, static_cast<WPARAM>(c.sizeKind));
    }
  }
  RECT restored;
  GetWindowRect(hwnd, &restored);
  EXPECT_EQ(restored, (RECT{100, 100, 300, 250}));
}

TEST_F(WindowSystemTest, MaximisedWindowFillsTheWorkAreaOfItsMonitor) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 300, 250}, r);
  MONITORINFO info;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_NE(info.dwFlags & MONITORINFOF_PRIMARY, 0u);
  EXPECT_GE(GetDpiForMonitor(MonitorFromPoint({1, 1}, MONITOR_DEFAULTTOPRIMARY)), 96u);
  ShowWindow(hwnd, SW_MAXIMIZE);
  RECT rect;
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect, info.rcWork);
}

TEST_F(WindowSystemTest, CloseDestroysTheWindowThroughTheDefaultProcedure) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 200, 200}, r);
  SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_LT(r.IndexOf(WM_CLOSE), r.IndexOf(WM_DESTROY));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowSystemTest, CaptionHitDragsTheWindowAndClientClicksArrive) {
  TRecorder& r = NewRecorder();
  r.captionHeight = 30;
  HWND hwnd = Create({200, 200, 400, 350}, r);
  SetForegroundWindow(hwnd);
  // All input first, as a user's hand gives it: Windows' drag runs a loop of
  // its own inside DefWindowProc that takes the rest.
  MoveTo({210, 210});
  Button(VK_LBUTTON, true);
  MoveTo({230, 220});
  MoveTo({250, 240});
  Button(VK_LBUTTON, false);
  RECT rect{};
  EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(hwnd, &rect) && rect.left == 240 && rect.top == 230; }))
      << rect.left << "," << rect.top;
  EXPECT_EQ(r.Count(WM_LBUTTONDOWN), 0u);

  MoveTo({rect.left + 50, rect.top + 100});
  Button(VK_LBUTTON, true);
  Button(VK_LBUTTON, false);
  ASSERT_TRUE(PumpUntil([&] { return r.Count(WM_LBUTTONUP) > 0; }));
  EXPECT_EQ(r.Last(WM_LBUTTONDOWN)->lParam, MakeLParam(50, 100));
  EXPECT_EQ(r.Last(WM_LBUTTONDOWN)->wParam & MK_LBUTTON, MK_LBUTTON);
}

TEST_F(WindowSystemTest, TimersFireUntilKilled) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 200, 200}, r);
  ASSERT_EQ(SetTimer(hwnd, 7, 20), 7u);
  auto ticks = [&](WPARAM id) {
    return std::count_if(r.log.begin(), r.log.end(),
                         [&](const TLogged& l) { return l.message == WM_TIMER && l.wParam == id; });
  };
  ASSERT_TRUE(PumpUntil([&] { return ticks(7) >= 3; }));
  ASSERT_TRUE(KillTimer(hwnd, 7));
  Pump();
  auto before = ticks(7);
  SetTimer(hwnd, 8, 150);  // a later timer bounds the wait for a tick that must not come
  ASSERT_TRUE(PumpUntil([&] { return ticks(8) >= 1; }));
  EXPECT_EQ(ticks(7), before);
  EXPECT_FALSE(KillTimer(hwnd, 7));
}

TEST_F(WindowSystemTest, MessagePostedFromAnotherThreadWakesTheLoop) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 200, 200}, r);
  SetTimer(hwnd, 99, kWait);  // watchdog: GetMessage returns at the latest then
  std::thread poster([hwnd] { PostMessage(hwnd, WM_USER + 300, 7, 0); });
  MSG msg;
  while (GetMessage(&msg) > 0) {
    DispatchMessage(&msg);
    if (msg.message == WM_USER + 300 || msg.message == WM_TIMER) break;
  }
  poster.join();
  EXPECT_EQ(msg.message, WM_USER + 300);
  ASSERT_NE(r.Last(WM_USER + 300), nullptr);
  EXPECT_EQ(r.Last(WM_USER + 300)->wParam, 7u);
}

// A filter that consumes one message number and records what it was offered.
struct TFilter : CMessageFilter {
  UINT consumes = 0;
  std::vector<UINT> seen;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message >= WM_USER) seen.push_back(msg->message);
    return msg->message == consumes;
  }
};

struct TIdle : CIdleHandler {
  int calls = 0;
  BOOL OnIdle() override {
    if (++calls == 1) PostQuitMessage(5);
    return FALSE;
  }
};

TEST_F(WindowSystemTest, LoopOffersFiltersNewestFirstAndRunsIdleHandlersWhenEmpty) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 200, 200}, r);
  CMessageLoop loop;
  ASSERT_TRUE(AddMessageLoop(&loop));
  EXPECT_FALSE(AddMessageLoop(&loop));
  EXPECT_EQ(GetMessageLoop(), &loop);
  TFilter older, newer;
  older.consumes = WM_USER + 2;
  newer.consumes = WM_USER + 1;
  TIdle idle;
  loop.AddMessageFilter(&older);
  loop.AddMessageFilter(&newer);
  loop.AddIdleHandler(&idle);
  Pump();
  PostMessage(hwnd, WM_USER + 1, 0, 0);
  PostMessage(hwnd, WM_USER + 2, 0, 0);
  PostMessage(hwnd, WM_USER + 3, 0, 0);
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(newer.seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
  EXPECT_EQ(older.seen, (std::vector<UINT>{WM_USER + 2, WM_USER + 3}));
  EXPECT_EQ(r.Count(WM_USER + 1) + r.Count(WM_USER + 2), 0u);
  EXPECT_EQ(r.Count(WM_USER + 3), 1u);
  EXPECT_EQ(idle.calls, 1);
  EXPECT_TRUE(loop.RemoveIdleHandler(&idle));
  EXPECT_FALSE(loop.RemoveIdleHandler(&idle));
  EXPECT_TRUE(RemoveMessageLoop());
  EXPECT_EQ(GetMessageLoop(), nullptr);
}

TEST_F(WindowSystemTest, CaptureKeepsTheMouseUntilReleased) {
  TRecorder& a = NewRecorder();
  TRecorder& b = NewRecorder();
  HWND left = Create({100, 100, 300, 300}, a);
  HWND right = Create({400, 100, 600, 300}, b);
  MoveTo({150, 150});
  SetCapture(left);
  EXPECT_EQ(GetCapture(), left);
  MoveTo({450, 160});
  ASSERT_TRUE(PumpUntil([&] {
    auto* move = a.Last(WM_MOUSEMOVE);
    return move && XFromLParam(move->lParam) == 350;
  }));
  EXPECT_EQ(YFromLParam(a.Last(WM_MOUSEMOVE)->lParam), 60);
  EXPECT_EQ(b.Count(WM_MOUSEMOVE), 0u);
  ReleaseCapture();
  EXPECT_EQ(a.Count(WM_CAPTURECHANGED), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
  MoveTo({460, 170});
  EXPECT_TRUE(PumpUntil([&] { return b.Count(WM_MOUSEMOVE) > 0; }));
  (void)right;
}

TEST_F(WindowSystemTest, TrackedMouseGetsHoverThenLeave) {
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({100, 100, 300, 300}, r);
  MoveTo({150, 150});
  ASSERT_TRUE(PumpUntil([&] { return r.Count(WM_MOUSEMOVE) > 0; }));
  TRACKMOUSEEVENT track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd;
  track.dwHoverTime = 50;
  ASSERT_TRUE(TrackMouseEvent(&track));
  ASSERT_TRUE(PumpUntil([&] { return r.Count(WM_MOUSEHOVER) > 0; }));
  EXPECT_EQ(r.Last(WM_MOUSEHOVER)->lParam, MakeLParam(50, 50));
  EXPECT_EQ(r.Count(WM_MOUSELEAVE), 0u);
  MoveTo({700, 700});
  EXPECT_TRUE(PumpUntil([&] { return r.Count(WM_MOUSELEAVE) > 0; }));
}

struct TKeyCase {
  int key;
  bool shift;
  char16_t character;  // the WM_CHAR it types, 0 for none
};

TEST_F(WindowSystemTest, KeysReachTheFocusWindowWithVirtualKeyCodes) {
  const TKeyCase cases[] = {{'A', false, u'a'},
                            {'B', true, u'B'},
                            {'7', false, u'7'},
                            {VK_RETURN, false, u'\r'},
                            {VK_LEFT, false, 0}};
  TRecorder& other = NewRecorder();
  TRecorder& r = NewRecorder();
  HWND first = Create({400, 100, 500, 200}, other);
  HWND hwnd = Create({100, 100, 300, 300}, r);
  SetForegroundWindow(first);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == hwnd && r.Count(WM_SETFOCUS) > 0; }));
  for (const TKeyCase& c : cases) {
    SCOPED_TRACE(c.key);
    r.log.clear();
    if (c.shift) Press(VK_SHIFT, true);
    Press(c.key, true);
    Press(c.key, false);
    if (c.shift) Press(VK_SHIFT, false);
    ASSERT_TRUE(PumpUntil([&] {
      auto* up = r.Last(WM_KEYUP);
      return up && up->wParam == static_cast<WPARAM>(c.shift ? VK_SHIFT : c.key);
    }));
    auto down = std::find_if(r.log.begin(), r.log.end(), [&](const TLogged& l) {
      return l.message == WM_KEYDOWN && l.wParam == static_cast<WPARAM>(c.key);
    });
    ASSERT_NE(down, r.log.end());
    EXPECT_EQ(r.keyStateShift, c.shift ? 1u : 0u);
    auto* typed = r.Last(WM_CHAR);
    if (c.character) {
      ASSERT_NE(typed, nullptr);
      EXPECT_EQ(typed->wParam, static_cast<WPARAM>(c.character));
    } else {
      EXPECT_EQ(typed, nullptr);
    }
  }
  SetFocus(first);
  EXPECT_EQ(r.Count(WM_KILLFOCUS), 1u);
}

TEST_F(WindowSystemTest, PaintedPixelsAreWhatTheScreenShows) {
  TRecorder& r = NewRecorder();
  r.fill = 0xFF20A040;
  HWND hwnd = Create({100, 100, 260, 220}, r);
  EXPECT_TRUE(ShowsColour({150, 150}, 0x20A040));
  r.fill = 0xFFC03010;
  RECT part{10, 10, 20, 20};
  InvalidateRect(hwnd, &part, false);
  EXPECT_TRUE(ShowsColour({115, 115}, 0xC03010));
  EXPECT_EQ(ScreenPixel({150, 150}), 0x20A040u);  // outside the invalidated part

  std::string png = (std::filesystem::temp_directory_path() /
                     ("orv-window-test-" + std::to_string(GetTickCount()) + ".png"))
                        .string();
  ASSERT_TRUE(platform::testing::SaveScreenPng({100, 100, 260, 220}, png));
  std::ifstream file(png, std::ios::binary);
  std::string signature(8, '\0');
  file.read(signature.data(), 8);
  EXPECT_EQ(signature, std::string("\x89PNG\r\n\x1a\n", 8));
  file.close();
  std::filesystem::remove(png);
}

TEST_F(WindowSystemTest, LayeredWindowBlendsByAlphaAndLetsTheMouseThroughTransparentPixels) {
  TRecorder& below = NewRecorder();
  TRecorder& layered = NewRecorder();
  below.fill = 0xFF000000;
  HWND back = Create({100, 100, 400, 300}, below);
  HWND top = Create({150, 150, 350, 250}, layered, WS_EX_LAYERED);
  ASSERT_NE(top, nullptr);
  ASSERT_TRUE(ShowsColour({120, 120}, 0x000000));
  std::vector<uint32_t> pixels(200 * 100, 0);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) pixels[y * 200 + x] = 0x80808080;  // white at half alpha, premultiplied
  ASSERT_TRUE(UpdateLayeredWindow(top, nullptr, {pixels.data(), 200, 100, 200}, 255));
  EXPECT_TRUE(ShowsColour({170, 200}, 0x808080, 2));
  EXPECT_TRUE(ShowsColour({320, 200}, 0x000000));
  MoveTo({320, 200});
  Button(VK_LBUTTON, true);
  Button(VK_LBUTTON, false);
  EXPECT_TRUE(PumpUntil([&] { return below.Count(WM_LBUTTONUP) > 0; }));
  EXPECT_EQ(layered.Count(WM_LBUTTONDOWN), 0u);
  (void)back;
}

TEST_F(WindowSystemTest, LayeredUpdateWithADirtyRectangleChangesOnlyThatPart) {
  TRecorder& layered = NewRecorder();
  HWND top = Create({150, 150, 350, 250}, layered, WS_EX_LAYERED);
  ASSERT_NE(top, nullptr);
  std::vector<uint32_t> pixels(200 * 100, 0xFFC03010);
  ASSERT_TRUE(UpdateLayeredWindow(top, nullptr, {pixels.data(), 200, 100, 200}, 255));
  ASSERT_TRUE(ShowsColour({320, 200}, 0xC03010));
  std::fill(pixels.begin(), pixels.end(), 0xFF20A040);
  RECT leftHalf{0, 0, 100, 100};
  ASSERT_TRUE(UpdateLayeredWindow(top, nullptr, {pixels.data(), 200, 100, 200}, 255, &leftHalf));
  EXPECT_TRUE(ShowsColour({170, 200}, 0x20A040));
  EXPECT_EQ(ScreenPixel({320, 200}), 0xC03010u);  // outside the dirty rectangle
}

TEST_F(WindowSystemTest, RoundRegionClipsTheWindow) {
  TRecorder& below = NewRecorder();
  TRecorder& shaped = NewRecorder();
  below.fill = 0xFF00FF00;
  shaped.fill = 0xFFFF0000;
  Create({100, 100, 400, 400}, below);
  HWND hwnd = Create({150, 150, 350, 350}, shaped);
  ASSERT_TRUE(SetWindowRoundRgn(hwnd, {0, 0, 201, 201}, 60, 60, true));
  EXPECT_TRUE(ShowsColour({250, 250}, 0xFF0000));  // centre
  EXPECT_TRUE(ShowsColour({151, 151}, 0x00FF00));  // cut corner
  EXPECT_TRUE(ShowsColour({349, 250}, 0xFF0000));  // last column is inside (the +1)
  ASSERT_TRUE(ClearWindowRgn(hwnd, true));
  EXPECT_TRUE(ShowsColour({151, 151}, 0xFF0000));
}

TEST_F(WindowSystemTest, SecondProcessFindsTheWindowByClassAndActivatesIt) {
  std::u16string className =
      u"OrvFindMe" + std::u16string(1, u'A' + static_cast<char16_t>(GetTickCount() % 26));
  WNDCLASS wc;
  wc.lpfnWndProc = RecorderProc;
  wc.lpszClassName = className;
  ASSERT_TRUE(RegisterClass(wc));
  TRecorder& other = NewRecorder();
  TRecorder& r = NewRecorder();
  HWND elsewhere = Create({500, 100, 600, 200}, other);
  HWND hwnd = CreateWindowEx(0, className, u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, &r);
  m_windows.push_back(hwnd);
  EXPECT_EQ(FindWindow(className), hwnd);
  SetForegroundWindow(elsewhere);
  Pump();
  r.log.clear();
  ChildProcess finder(g_windowTestProgram,
                      {"window_tests", "--find-class=" + std::string(className.begin(), className.end())});
  std::optional<int> code;
  ASSERT_TRUE(PumpUntil([&] { return (code = finder.Wait(std::chrono::milliseconds(10))).has_value(); }));
  if (platform::testing::WindowBackendName() == "headless") {
    EXPECT_EQ(*code, 3);  // another process never sees headless windows
    return;
  }
  EXPECT_EQ(*code, 0);
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == hwnd; }));
}

// A window placed at `from` (offsets from the work area's top-left corner;
// ends from its bottom-right when `fromEnd`), and where it must end.
struct TBringCase {
  const char* what;
  RECT from;
  POINT fromEnd;  // 1: that coordinate of `from` counts from the far edge
  POINT to;       // offsets of the top-left corner it ends at; {-1, -1}: it stays
  POINT toEnd;
};

TEST_F(WindowSystemTest, BringOntoWorkAreaMovesAWindowWholeOntoItsMonitor) {
  if (platform::testing::WindowBackendName() == "win32")
    GTEST_SKIP() << "the rule as this program applies it";
  MONITORINFO info;
  ASSERT_TRUE(GetMonitorInfo(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info));
  const RECT work = info.rcWork;
  constexpr int kW = 300, kH = 200;
  // Larger, within the largest size a window may be made (its monitor and a little).
  const int bigW = work.right - work.left + 10, bigH = work.bottom - work.top + 10;
  const TBringCase cases[] = {
      {"wholly inside", {10, 10, 10 + kW, 10 + kH}, {0, 0}, {-1, -1}, {0, 0}},
      {"29 columns inside the left edge", {29 - kW, 40, 29, 40 + kH}, {0, 0}, {0, 40}, {0, 0}},
      {"half off the right edge", {-kW / 2, 40, kW / 2, 40 + kH}, {1, 0}, {-kW, 40}, {1, 0}},
      {"its bottom row below the work area", {40, 1 - kH, 40 + kW, 1}, {0, 1}, {40, -kH}, {0, 1}},
      {"far above and left", {-5000, -5000, -5000 + kW, -5000 + kH}, {0, 0}, {0, 0}, {0, 0}},
      {"far below and right", {20000, 20000, 20000 + kW, 20000 + kH}, {1, 1}, {-kW, -kH}, {1, 1}},
      {"larger than the work area", {-50, -40, bigW - 50, bigH - 40}, {0, 0}, {0, 0}, {0, 0}},
  };
  auto x = [&](int offset, bool fromEnd) { return (fromEnd ? work.right : work.left) + offset; };
  auto y = [&](int offset, bool fromEnd) { return (fromEnd ? work.bottom : work.top) + offset; };
  TRecorder& r = NewRecorder();
  HWND hwnd = Create({work.left, work.top, work.left + kW, work.top + kH}, r);
  for (const TBringCase& c : cases) {
    SCOPED_TRACE(c.what);
    const RECT from{x(c.from.left, c.fromEnd.x), y(c.from.top, c.fromEnd.y), x(c.from.right, c.fromEnd.x),
                    y(c.from.bottom, c.fromEnd.y)};
    const int width = from.right - from.left, height = from.bottom - from.top;
    ASSERT_TRUE(
        SetWindowPos(hwnd, nullptr, from.left, from.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE));
    const bool stays = c.to.x == -1 && c.to.y == -1;
    EXPECT_EQ(BringOntoWorkArea(hwnd), !stays);
    RECT now;
    ASSERT_TRUE(GetWindowRect(hwnd, &now));
    const int left = stays ? from.left : x(c.to.x, c.toEnd.x);
    const int top = stays ? from.top : y(c.to.y, c.toEnd.y);
    EXPECT_EQ(now, (RECT{left, top, left + width, top + height}));
  }
  // Full screen: left as it is.
  const RECT& m = info.rcMonitor;
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, m.left, m.top, m.right - m.left, m.bottom - m.top, SWP_NOZORDER));
  EXPECT_FALSE(BringOntoWorkArea(hwnd));
}

TEST_F(WindowSystemTest, ToolTipShowsBelowThePointAndHides) {
  TRecorder& r = NewRecorder();
  HWND owner = Create({100, 100, 300, 300}, r);
  HWND tip = CreateToolTipWindow(owner);
  ASSERT_NE(tip, nullptr);
  m_windows.insert(m_windows.begin(), tip);
  ASSERT_TRUE(ShowToolTip(tip, u"检查更新 tooltip", {150, 150}, 200));
  Pump();
  EXPECT_TRUE(IsWindowVisible(tip));
  RECT rect;
  GetWindowRect(tip, &rect);
  EXPECT_GT(rect.top, 150);
  EXPECT_GT(rect.right - rect.left, 20);
  ASSERT_TRUE(HideToolTip(tip));
  Pump();
  EXPECT_FALSE(IsWindowVisible(tip));
}

}  // namespace
