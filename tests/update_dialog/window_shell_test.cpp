// The window shell around the dialog: the shadow window glued to it with the
// margins of "dlg_lace.xml", hidden while the dialog is minimised or the
// desktop does not blend it, never changing what the screen shows of the
// dialog, the caption's hit test (drag over labels, click over buttons), and
// a new DPI while the dialog is open.
#include "app/skin_archive.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_test_driver.h"
#include "skinui/control/control.h"

namespace {

using std::chrono::seconds;

class WindowShellTest : public DialogTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }

  platform::HWND Dialog() { return m_driver.dialog().m_hWnd; }
  platform::HWND Shadow() { return m_driver.dialog().m_wndLace.m_hWnd; }
  platform::RECT RectOf(platform::HWND hWnd) {
    platform::RECT rc;
    platform::GetWindowRect(hWnd, &rc);
    return rc;
  }
  // The hit-test code for the middle of the named control.
  platform::LRESULT HitTestOver(std::u16string_view name) {
    const SkinUI::TUIRect& rc = m_driver.Find(name)->GetPos();
    return HitTestAt({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
  }
  platform::LRESULT HitTestAt(platform::POINT client) {
    platform::ClientToScreen(Dialog(), &client);
    const platform::LPARAM point = (client.x & 0xFFFF) | ((client.y & 0xFFFF) << 16);
    return platform::SendMessage(Dialog(), WM_NCHITTEST, 0, point);
  }

  CDialogDriver m_driver;
};

TEST_F(WindowShellTest, ShadowSitsEightPixelsAroundTheDialog) {
  ASSERT_TRUE(m_driver.Open(true));
  ASSERT_TRUE(platform::SetWindowPos(Dialog(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return RectOf(Shadow()).left == 92; }, seconds(2)));
  EXPECT_EQ(RectOf(Shadow()), (platform::RECT{92, 92, 92 + 666, 92 + 446}));
  EXPECT_EQ(platform::IsWindowVisible(Shadow()), platform::IsCompositionEnabled());
  EXPECT_EQ(platform::GetWindow(Shadow(), GW_OWNER), Dialog());
  EXPECT_FALSE(platform::IsWindowEnabled(Shadow()));
}

TEST_F(WindowShellTest, ShadowHidesWhileTheDialogIsMinimised) {
  if (!platform::IsCompositionEnabled())
    GTEST_SKIP() << "this desktop does not blend: no shadow is ever shown";
  ASSERT_TRUE(m_driver.Open(true));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return platform::IsWindowVisible(Shadow()); }, seconds(2)));
  platform::ShowWindow(Dialog(), SW_MINIMIZE);
  ASSERT_TRUE(m_driver.PumpUntil([this] { return !platform::IsWindowVisible(Shadow()); }, seconds(2)));
  platform::ShowWindow(Dialog(), SW_RESTORE);
  EXPECT_TRUE(m_driver.PumpUntil([this] { return platform::IsWindowVisible(Shadow()); }, seconds(2)));
}

// The screen shows the dialog the same with or without its shadow, and a
// desktop that stops blending hides the shadow rather than showing its soft
// pixels as a dark frame; one that starts again shows it.
TEST_F(WindowShellTest, ShadowFollowsTheDesktopsBlendingAndNeverCoversTheDialog) {
  if (!platform::testing::SetTestComposition(true)) GTEST_SKIP() << "the test desktop is headless only";
  ASSERT_TRUE(m_driver.Open(true));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return platform::IsWindowVisible(Shadow()); }, seconds(2)));
  std::vector<uint32_t> withShadow, withoutShadow;
  ASSERT_TRUE(platform::testing::CaptureScreen(RectOf(Shadow()), &withShadow));
  ASSERT_TRUE(platform::testing::SetTestComposition(false));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return !platform::IsWindowVisible(Shadow()); }, seconds(2)));
  ASSERT_TRUE(platform::testing::CaptureScreen(RectOf(Shadow()), &withoutShadow));
  const platform::RECT shadow = RectOf(Shadow()), dialog = RectOf(Dialog());
  const int width = shadow.right - shadow.left;
  for (int y = dialog.top; y < dialog.bottom; ++y) {
    for (int x = dialog.left; x < dialog.right; ++x) {
      const size_t at = static_cast<size_t>(y - shadow.top) * width + (x - shadow.left);
      ASSERT_EQ(withShadow[at], withoutShadow[at]) << "at " << x << "," << y;
    }
  }
  ASSERT_TRUE(platform::testing::SetTestComposition(true));
  EXPECT_TRUE(m_driver.PumpUntil([this] { return platform::IsWindowVisible(Shadow()); }, seconds(2)));
}

TEST_F(WindowShellTest, HiddenDialogHasNoShadowShown) {
  ASSERT_TRUE(m_driver.Open(false));
  m_driver.PumpFor(std::chrono::milliseconds(100));
  EXPECT_FALSE(platform::IsWindowVisible(Shadow()));
}

TEST_F(WindowShellTest, CaptionDragsOverLabelsButNotOverButtons) {
  ASSERT_TRUE(m_driver.Open(true));
  EXPECT_EQ(HitTestOver(u"lab_title"), HTCAPTION);
  EXPECT_EQ(HitTestOver(u"lab_checking"), HTCAPTION);
  EXPECT_EQ(HitTestOver(u"sysminbutton"), HTCLIENT);
  EXPECT_EQ(HitTestOver(u"sysclosebutton"), HTCLIENT);
  EXPECT_EQ(HitTestOver(u"btn_close"), HTCLIENT);  // below the caption
  EXPECT_EQ(HitTestAt({325, 300}), HTCLIENT);
  EXPECT_EQ(HitTestAt({0, 0}), HTCAPTION);  // no sizebox: no resize border
}

// A DPI that reaches the window as the system sends it (WM_DPICHANGED's
// wParam, on every backend): one outside 48..960 is 96's, and a sane one
// after it is followed.
TEST_F(WindowShellTest, AnInsaneDpiInWmDpiChangedIs96) {
  ASSERT_TRUE(m_driver.Open(true));
  for (const unsigned dpi : {0u, 1u, 47u, 961u, 0xFFFFu, 144u, 0u}) {
    platform::RECT suggested = RectOf(Dialog());
    platform::SendMessage(Dialog(), WM_DPICHANGED, dpi << 16 | dpi,
                          reinterpret_cast<platform::LPARAM>(&suggested));
    const platform::RECT rc = RectOf(Dialog());
    const bool sane = dpi == 144;
    EXPECT_EQ(m_driver.dialog().m_pm.GetDPIScale(), sane ? 150 : 100) << dpi;
    EXPECT_EQ(rc.right - rc.left, sane ? 975 : 650) << dpi;
    EXPECT_EQ(rc.bottom - rc.top, sane ? 645 : 430) << dpi;
  }
}

constexpr platform::RECT kScreen{0, 0, 1920, 1080};

// The monitor's DPI changes while the dialog is open (the headless backend's
// monitor; other backends are driven by the end-to-end tests).
class WindowShellDpiTest : public WindowShellTest {
 protected:
  void SetUp() override {
    WindowShellTest::SetUp();
    if (!platform::testing::SetTestMonitor(kScreen, kScreen, 96)) GTEST_SKIP() << "headless only";
  }
  void Open(const platform::RECT& screen = kScreen) {
    ASSERT_TRUE(platform::testing::SetTestMonitor(screen, screen, 96));
    ASSERT_TRUE(m_driver.Open(true));
    ASSERT_TRUE(platform::SetWindowPos(Dialog(), nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    ASSERT_TRUE(m_driver.PumpUntil([this] { return RectOf(Shadow()).left == 392; }, seconds(2)));
  }
  platform::SIZE SizeAt(unsigned dpi, const platform::RECT& screen) {
    platform::testing::SetTestMonitor(screen, screen, dpi);
    const platform::RECT rc = RectOf(Dialog());
    return {rc.right - rc.left, rc.bottom - rc.top};
  }
  void TearDown() override {
    platform::testing::SetTestMonitor(kScreen, kScreen, 96);
    WindowShellTest::TearDown();
  }
  // Pumps until the shadow sits margin pixels around the dialog.
  bool ShadowAround(int margin) {
    return m_driver.PumpUntil(
        [&] {
          const platform::RECT d = RectOf(Dialog());
          return RectOf(Shadow()) ==
                 platform::RECT{d.left - margin, d.top - margin, d.right + margin, d.bottom + margin};
        },
        seconds(2));
  }
};

TEST_F(WindowShellDpiTest, TheDialogIsRescaledAroundItsCentre) {
  Open();
  const SkinUI::TUIRect closeAt100 = m_driver.Find(u"btn_close")->GetPos();
  ASSERT_TRUE(platform::testing::SetTestMonitor(kScreen, kScreen, 144));
  // 650 x 430 centred on (725, 515) becomes 975 x 645 around the same centre.
  EXPECT_EQ(RectOf(Dialog()), (platform::RECT{238, 193, 238 + 975, 193 + 645}));
  EXPECT_EQ(m_driver.dialog().m_pm.GetDPIScale(), 150);
  EXPECT_EQ(m_driver.dialog().m_pm.GetFontInfo(201)->iScale, 150);
  EXPECT_EQ(m_driver.dialog().m_pm.GetScaledWindowAttributes().caption.bottom, 420);
  ASSERT_TRUE(m_driver.PumpUntil([&] { return m_driver.Find(u"btn_close")->GetPos().top != closeAt100.top; },
                                 seconds(2)));
  const SkinUI::TUIRect close = m_driver.Find(u"btn_close")->GetPos();
  EXPECT_NEAR(close.left, closeAt100.left * 3 / 2, 1);
  EXPECT_NEAR(close.top, closeAt100.top * 3 / 2, 1);
  EXPECT_NEAR(close.Width(), closeAt100.Width() * 3 / 2, 1);
  EXPECT_TRUE(ShadowAround(12));
  // And back.
  ASSERT_TRUE(platform::testing::SetTestMonitor(kScreen, kScreen, 96));
  EXPECT_EQ(RectOf(Dialog()), (platform::RECT{400, 300, 400 + 650, 300 + 430}));
  EXPECT_TRUE(ShadowAround(8));
}

TEST_F(WindowShellDpiTest, ADialogTooLargeForTheScreenTakesTheLargestStepThatFits) {
  // 200 % would be 1300 x 860 on a 1280 x 800 screen: 175 % is 1138 x 753,
  // kept on the screen.
  Open();
  const platform::RECT small{0, 0, 1280, 800};
  ASSERT_TRUE(platform::testing::SetTestMonitor(small, small, 192));
  EXPECT_EQ(m_driver.dialog().m_pm.GetDPIScale(), 175);
  EXPECT_EQ(RectOf(Dialog()), (platform::RECT{1280 - 1138, 800 - 753, 1280, 800}));
  EXPECT_TRUE(ShadowAround(14));
}

struct TDpiStep {
  unsigned dpi;
  int width, height;
};

// Each size is the skin's at the DPI's scale, or at the step that fits, after
// a fitted one as after insane ones, which count as 96.
TEST_F(WindowShellDpiTest, EveryDpiGivesTheSkinsSizeAtItsScale) {
  const platform::RECT small{0, 0, 1280, 800};
  Open(small);
  for (const TDpiStep& step : {TDpiStep{192, 1138, 753},
                               {96, 650, 430},
                               {144, 975, 645},
                               {0, 650, 430},
                               {144, 975, 645},
                               {1, 650, 430},
                               {144, 975, 645},
                               {4294967295u, 650, 430},
                               {144, 975, 645},
                               {22369622, 650, 430},
                               {960, 1138, 753},
                               {48, 325, 215},
                               {96, 650, 430}}) {
    const platform::SIZE size = SizeAt(step.dpi, small);
    EXPECT_EQ(size.cx, step.width) << step.dpi;
    EXPECT_EQ(size.cy, step.height) << step.dpi;
  }
}

TEST_F(WindowShellDpiTest, ManyChangesDoNotMoveTheSize) {
  Open();
  const unsigned dpis[] = {100, 110, 120, 132, 144, 168, 97};
  for (unsigned i = 0; i < 300; ++i) SizeAt(dpis[i * 7919 % 7], kScreen);
  const platform::SIZE size = SizeAt(96, kScreen);
  EXPECT_EQ(size.cx, 650);
  EXPECT_EQ(size.cy, 430);
}

// A click that comes before the dialog is painted at a new DPI meets the
// controls where that DPI puts them: the close button's place at 150 %.
TEST_F(WindowShellDpiTest, AClickJustAfterANewDpiMeetsTheControlsAtTheNewScale) {
  Open();
  const SkinUI::TUIRect close = m_driver.Find(u"sysclosebutton")->GetPos();
  ASSERT_TRUE(platform::testing::SetTestMonitor(kScreen, kScreen, 144));
  platform::POINT point{(close.left + close.right) * 3 / 4, (close.top + close.bottom) * 3 / 4};
  platform::ClientToScreen(Dialog(), &point);
  using namespace platform::testing;
  ASSERT_TRUE(MoveMouse(point) && MouseButton(VK_LBUTTON, true) && MouseButton(VK_LBUTTON, false));
  FlushInput();
  EXPECT_TRUE(m_driver.WaitForClose(seconds(5)));
}

// A screen smaller than the dialog at 100 %: drawn at 50 % it fits as far as
// it can, and its main button is where a click reaches it.
TEST_F(WindowShellDpiTest, OnATinyScreenTheDialogIsScaledDownAndItsButtonWorks) {
  const platform::RECT tiny{0, 0, 320, 240};
  ASSERT_TRUE(platform::testing::SetTestMonitor(tiny, tiny, 96));
  ASSERT_TRUE(m_driver.Open(true));
  EXPECT_EQ(m_driver.dialog().m_pm.GetDPIScale(), 50);
  EXPECT_EQ(RectOf(Dialog()), (platform::RECT{-2, 12, -2 + 325, 12 + 215}));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.PageOf(u"tab_main") == 1; }, seconds(10)));
  ASSERT_TRUE(m_driver.Click(u"btn_update"));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_TRUE(m_driver.dialog().IsInstallerStarted());
}

}  // namespace
