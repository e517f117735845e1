// Painting through the window: the double-buffered paint presents what the
// tree drew, a button shows its hot and pushed states, show-dirty outlines
// the painted rectangle, a layered window's alpha follows its background, and
// its repaint tick runs only while something waits to be presented.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/text.h"
#include "manager_support.h"
#include "platform/system/path_separator.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_test_driver.h"
#include "png_file.h"
#include "skinui/resources/skin_resources.h"
#include "skinui/resources/stb_image_decoder.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

namespace skinui_test {
namespace {

namespace fs = std::filesystem;
using SkinUI::CUISurface;

class ManagerPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SkinUI::CUIResources::RemoveAllShared();
    (void)SkinUI::SkinResources().SetResourceZip(u"", false);
  }
  void TearDown() override { SkinUI::SkinResources().SetResourcePath(u""); }
  static void UseFolder(const fs::path& folder) {
    SkinUI::SkinResources().SetResourcePath(Utf8ToUtf16(folder.string()) + platform::kPathSeparator);
  }
  // What the window shows: its client area captured from the screen.
  static std::vector<uint32_t> Screen(CManagerWindow& window) {
    platform::RECT rc;
    platform::GetWindowRect(window.Hwnd(), &rc);
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(platform::testing::CaptureScreen(rc, &pixels));
    return pixels;
  }
};

TEST_F(ManagerPaintTest, ThePaintMessagePresentsTheTree) {
  CManagerWindow window(40, 20);
  platform::ShowWindow(window.Hwnd(), SW_SHOWNA);
  window.Attach(
      u"<Window size=\"40,20\"><HorizontalLayout><Control bkcolor=\"#FFFF0000\"/>"
      u"<Control bkcolor=\"#FF0000FF\"/></HorizontalLayout></Window>");
  window.Paint();
  const std::vector<uint32_t> screen = Screen(window);
  ASSERT_EQ(screen.size(), 800u);
  EXPECT_EQ(screen[5 * 40 + 5], 0xFFFF0000u);
  EXPECT_EQ(screen[5 * 40 + 30], 0xFF0000FFu);
}

struct TFocusRing {
  const char* name;
  const char16_t* windowAttributes;
  uint32_t ring;
};

class FocusIndicatorTest : public ManagerPaintTest, public ::testing::WithParamInterface<TFocusRing> {};

TEST_P(FocusIndicatorTest, AFocusedTabStopShowsARingTwoPixelsInsideItsEdge) {
  CManagerWindow window(40, 20);
  platform::ShowWindow(window.Hwnd(), SW_SHOWNA);
  window.Attach(std::u16string(u"<Window size=\"40,20\" ") + GetParam().windowAttributes +
                u"><HorizontalLayout><Button name=\"b\" keyboard=\"true\" bkcolor=\"#FFFFFFFF\"/>"
                u"<Button name=\"plain\" bkcolor=\"#FFFFFFFF\"/></HorizontalLayout></Window>");
  window.Paint();
  auto& manager = window.Manager();
  ASSERT_EQ(manager.GetFocus(), manager.FindControl(u"b"));
  std::vector<uint32_t> screen = Screen(window);
  ASSERT_EQ(screen.size(), 800u);
  // The ring covers x and y 2..3 inside the 20 x 20 button; the edge and
  // the middle keep the button's own white.
  for (int at : {2, 3}) {
    EXPECT_EQ(screen[at * 40 + 10], GetParam().ring) << at;
    EXPECT_EQ(screen[10 * 40 + at], GetParam().ring) << at;
    EXPECT_EQ(screen[(19 - at) * 40 + 10], GetParam().ring) << at;
  }
  EXPECT_EQ(screen[1 * 40 + 10], 0xFFFFFFFFu);
  EXPECT_EQ(screen[10 * 40 + 10], 0xFFFFFFFFu);
  // A control that is no tab stop draws no ring even with the focus.
  manager.SetFocus(manager.FindControl(u"plain"));
  window.Paint();
  screen = Screen(window);
  EXPECT_EQ(screen[2 * 40 + 10], 0xFFFFFFFFu);
  EXPECT_EQ(screen[2 * 40 + 30], 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Colours, FocusIndicatorTest,
                         ::testing::Values(TFocusRing{"Default", u"", 0xFF000000u},
                                           TFocusRing{"FromTheSkin", u"focusindicatorcolor=\"#FF00C000\"",
                                                      0xFF00C000u}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ManagerPaintTest, ShowDirtyOutlinesThePaintedRectangleInRed) {
  CManagerWindow window(40, 20);
  window.Attach(u"<Window size=\"40,20\" showdirty=\"true\"><Control bkcolor=\"#FFFFFFFF\"/></Window>");
  window.Paint();
  const CUISurface& s = window.Manager().GetOffscreenSurface();
  EXPECT_EQ(s.GetPixel(0, 0), 0xFFDC0000u);
  EXPECT_EQ(s.GetPixel(20, 10), 0xFFFFFFFFu);
}

TEST_F(ManagerPaintTest, LayeredPixelsTakeTheBackgroundsAlpha) {
  CManagerWindow window(40, 20);
  platform::ShowWindow(window.Hwnd(), SW_SHOWNA);
  window.Attach(
      u"<Window size=\"40,20\" bktrans=\"true\"><HorizontalLayout>"
      u"<Control bkcolor=\"#FF00FF00\"/><Control/></HorizontalLayout></Window>");
  ASSERT_TRUE(window.Manager().IsLayered());
  window.PumpUntil([&] { return window.Manager().GetOffscreenSurface().GetWidth() == 40; });
  const CUISurface& s = window.Manager().GetOffscreenSurface();
  EXPECT_EQ(s.GetPixel(5, 5), 0xFF00FF00u);  // opaque drawing stays
  EXPECT_EQ(s.GetPixel(30, 5), 0u);          // nothing drawn: transparent
}

// A layered window: green left half, blue right half. Presented: painted,
// nothing waits, and the layered tick has stopped.
class LayeredTickTest : public ManagerPaintTest {
 protected:
  void AttachHalves(CManagerWindow& window) {
    ASSERT_NE(window.Attach(u"<Window size=\"40,20\" bktrans=\"true\"><HorizontalLayout>"
                            u"<Control bkcolor=\"#FF00FF00\"/><Control bkcolor=\"#FF0000FF\"/>"
                            u"</HorizontalLayout></Window>"),
              nullptr);
  }
  static void ExpectPresentedAndTickStopped(CManagerWindow& window) {
    SkinUI::CUIPaintManager& m = window.Manager();
    EXPECT_TRUE(window.PumpUntil(
        [&] { return m.GetOffscreenSurface().GetWidth() == 40 && m.GetLayeredUpdateRect().IsEmpty(); }));
    // Not running: killing it finds no timer.
    EXPECT_FALSE(platform::KillTimer(window.Hwnd(), SkinUI::CUILayeredUpdate::kTimerId));
  }
};

TEST_F(LayeredTickTest, ATickPresentsOnlyTheDirtyRectangleAndThenStops) {
  CManagerWindow window(40, 20);
  AttachHalves(window);
  ExpectPresentedAndTickStopped(window);
  // The window shows red everywhere; then only the left half is invalidated.
  const std::vector<uint32_t> red(40 * 20, 0xFFFF0000u);
  ASSERT_TRUE(platform::UpdateLayeredWindow(window.Hwnd(), nullptr, {red.data(), 40, 20, 40}, 255));
  window.Manager().Invalidate({0, 0, 20, 20});
  ExpectPresentedAndTickStopped(window);
  const std::vector<uint32_t> screen = Screen(window);
  ASSERT_EQ(screen.size(), 800u);
  EXPECT_EQ(screen[5 * 40 + 5], 0xFF00FF00u);   // repainted
  EXPECT_EQ(screen[5 * 40 + 30], 0xFFFF0000u);  // not sent again
}

TEST_F(LayeredTickTest, AHiddenWindowIsPresentedForWhenItIsShown) {
  CManagerWindow window(40, 20);
  platform::ShowWindow(window.Hwnd(), SW_HIDE);
  AttachHalves(window);
  ExpectPresentedAndTickStopped(window);
  // Shown by SetWindowPos, which sends no message that would paint it.
  platform::SetWindowPos(window.Hwnd(), nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  // Once the display has mapped it (Win32 does that on its own time).
  EXPECT_TRUE(window.PumpUntil([&] {
    const std::vector<uint32_t> screen = Screen(window);
    return screen.size() == 800u && screen[5 * 40 + 5] == 0xFF00FF00u && screen[5 * 40 + 30] == 0xFF0000FFu;
  }));
}

struct TButtonState {
  const char* name;
  bool hover;
  bool press;
};

class ButtonStateTest : public ManagerPaintTest, public ::testing::WithParamInterface<TButtonState> {};

TEST_P(ButtonStateTest, PaintsItsStateImage) {
  const fs::path folder = fs::path(ORV_SKIN_RENDER_DATA) / "button";
  UseFolder(folder);
  CManagerWindow window(240, 60);
  ASSERT_NE(window.Attach(u"skin.xml"), nullptr);
  window.Paint();
  if (GetParam().hover) window.Send(WM_MOUSEMOVE, 0, CManagerWindow::Point(40, 30));
  if (GetParam().press) window.Send(WM_LBUTTONDOWN, MK_LBUTTON, CManagerWindow::Point(40, 30));
  CUISurface surface(240, 60);
  SkinUI::CUICanvas canvas(surface);
  window.Manager().PaintClientTo(canvas);
  const std::string backend = ORV_PLATFORM_BACKEND;
  const fs::path expected =
      folder / (std::string(GetParam().name) + (backend == "posix" ? "" : "_" + backend) + ".png");
  if (GetEnvVar("ORV_UPDATE_GOLDEN").value_or("") == "1") {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 240; ++x) {
        uint32_t p = surface.GetPixel(x, y);
        rgba.insert(rgba.end(), {SkinUI::RedOf(p), SkinUI::GreenOf(p), SkinUI::BlueOf(p), 255});
      }
    }
    ASSERT_TRUE(skintool::WritePng(expected.string(), 240, 60, rgba));
  }
  if (!fs::exists(expected)) GTEST_SKIP() << "no " << expected.filename() << " for this backend";
  std::string bytes = ReadFileBytes(expected);
  std::vector<uint8_t> want;
  int w = 0, h = 0;
  ASSERT_TRUE(
      SkinUI::DecodeRgba(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &want, &w, &h));
  ASSERT_EQ(w * h, 240 * 60);
  int off = 0;
  for (int i = 0; i < w * h; ++i) {
    uint32_t p = surface.GetPixel(i % w, i / w);
    const uint8_t got[3] = {SkinUI::RedOf(p), SkinUI::GreenOf(p), SkinUI::BlueOf(p)};
    for (int c = 0; c < 3; ++c) {
      if (std::abs(got[c] - want[i * 4 + c]) > 48) {
        ++off;
        break;
      }
    }
  }
  EXPECT_LE(off, w * h / 50);
}

INSTANTIATE_TEST_SUITE_P(States, ButtonStateTest,
                         ::testing::Values(TButtonState{"normal", false, false},
                                           TButtonState{"hot", true, false},
                                           TButtonState{"pushed", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skinui_test
