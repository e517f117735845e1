#include <gtest/gtest.h>

#include <algorithm>

#include "skinui/pixel_support.h"
#include "skinui/render/render_engine.h"
#include "skinui/render/ui_shape.h"

namespace SkinUI {
namespace {

class RenderFillTest : public ::testing::Test {
 protected:
  uint32_t At(int x, int y) const { return m_surface.GetPixel(x, y); }
  CUISurface m_surface{200, 100};
  CUICanvas m_dc{m_surface};
};

TEST_F(RenderFillTest, ColourAlphaRules) {
  m_surface.Clear(0xFF000000);
  CUIRenderEngine::DrawColor(m_dc, {0, 0, 10, 10}, 0x969696);  // six digits: alpha 0
  EXPECT_EQ(At(5, 5), 0xFF000000u);
  CUIRenderEngine::DrawColor(m_dc, {0, 0, 10, 10}, 0xFFEBF2FC);
  EXPECT_EQ(At(9, 9), 0xFFEBF2FCu);
  EXPECT_EQ(At(10, 9), 0xFF000000u);
  m_surface.Clear(0xFF000000);
  CUIRenderEngine::DrawColor(m_dc, {0, 0, 10, 10}, 0x80FFFFFF);
  EXPECT_EQ(At(0, 0), 0xFF808080u);
}

TEST_F(RenderFillTest, ClipLimitsEveryFill) {
  CClipGuard clip(m_dc, {5, 5, 8, 8});
  CUIRenderEngine::DrawColor(m_dc, {0, 0, 100, 100}, 0xFF112233);
  EXPECT_EQ(At(4, 5), 0u);
  EXPECT_EQ(At(5, 5), 0xFF112233u);
  EXPECT_EQ(At(8, 7), 0u);
}

TEST_F(RenderFillTest, GradientsSmoothBandedAndTranslucent) {
  CUIRenderEngine::DrawGradient(m_dc, {0, 0, 200, 10}, 0xFF000000, 0xFFFFFFFF, false, 64);
  EXPECT_EQ(At(0, 0), 0xFF000000u);
  EXPECT_EQ(At(100, 5), 0xFF7F7F7Fu);
  EXPECT_EQ(At(199, 9), 0xFFFDFDFDu);
  m_dc.SetGradientFill(false);
  CUIRenderEngine::DrawGradient(m_dc, {0, 10, 200, 30}, 0xFF000000, 0xFF0000FF, true, 2);
  EXPECT_EQ(At(0, 10), 0xFF000000u);  // two bands
  EXPECT_EQ(At(0, 19), 0xFF000000u);
  EXPECT_EQ(At(0, 20), 0xFF0000FFu);
  CUIRenderEngine::DrawGradient(m_dc, {0, 30, 200, 50}, 0xFF000000, 0xFF0000FF, true, 100);
  EXPECT_EQ(At(0, 30), 0xFF00000Cu);  // 64 bands over 20 rows: the first row shows band 3
  EXPECT_EQ(At(0, 49), 0xFF0000FFu);
  m_surface.Clear(0xFF000000);
  CUIRenderEngine::DrawGradient(m_dc, {0, 0, 10, 10}, 0x00FF0000, 0x00FF0000, true, 4);
  EXPECT_EQ(At(0, 0), 0xFF000000u);
  m_dc.SetGradientFill(true);
  CUIRenderEngine::DrawGradient(m_dc, {0, 0, 10, 10}, 0xFFFF0000, 0x01FF0000, true, 4);
  EXPECT_EQ(At(0, 0), 0xFF800000u);  // blended at the mean alpha 128
  m_surface.Clear();
  m_dc.SetGradientFill(false);
  CUIRenderEngine::DrawGradient(m_dc, {0, 50, 200, 100}, 0xFF23BF04, 0xFF969696, false, 8);
  m_dc.SetGradientFill(true);
  CUIRenderEngine::DrawGradient(m_dc, {0, 0, 200, 50}, 0xFF23BF04, 0xFF969696, true, 8);
  EXPECT_TRUE(skinui_test::MatchesGolden(m_surface, "gradients", 0, 0));
}

TEST_F(RenderFillTest, LinesRectsAndRoundRects) {
  CUIRenderEngine::DrawLine(m_dc, {0, 1, 10, 1}, 1, 0x00FF0000);
  EXPECT_EQ(At(0, 1), 0xFFFF0000u);
  EXPECT_EQ(At(9, 1), 0xFFFF0000u);
  EXPECT_EQ(At(10, 1), 0u);  // the end point is not drawn
  CUIRenderEngine::DrawLine(m_dc, {20, 0, 20, 10}, 3, 0xFF00FF00);
  EXPECT_EQ(At(19, 5), 0xFF00FF00u);
  EXPECT_EQ(At(21, 5), 0xFF00FF00u);
  EXPECT_EQ(At(22, 5), 0u);
  CUIRenderEngine::DrawLine(m_dc, {0, 5, 40, 5}, 1, 0xFF0000FF, kPenDot);
  EXPECT_EQ(At(0, 5), 0xFF0000FFu);
  EXPECT_EQ(At(3, 5), 0u);
  CUIRenderEngine::DrawLine(m_dc, {50, 0, 60, 10}, 1, 0xFF0000FF);
  EXPECT_EQ(At(55, 5), 0xFF0000FFu);
  m_surface.Clear();
  CUIRenderEngine::DrawRect(m_dc, {10, 10, 30, 30}, 2, 0xFF112233);
  EXPECT_EQ(At(10, 10), 0xFF112233u);
  EXPECT_EQ(At(11, 20), 0xFF112233u);
  EXPECT_EQ(At(12, 20), 0u);
  EXPECT_EQ(At(29, 29), 0xFF112233u);
  EXPECT_EQ(At(30, 30), 0u);
  m_surface.Clear();
  CUIRenderEngine::DrawRoundRect(m_dc, {10, 10, 50, 40}, 1, 10, 10, 0xFF112233);
  EXPECT_EQ(At(10, 10), 0u);  // the corner is cut
  EXPECT_EQ(At(30, 10), 0xFF112233u);
  EXPECT_EQ(At(10, 25), 0xFF112233u);
  EXPECT_EQ(At(30, 25), 0u);
  EXPECT_EQ(At(49, 25), 0xFF112233u);
  EXPECT_EQ(At(30, 39), 0xFF112233u);
}

// Every frame, clipped or not, is the set of pixels inside the rounded
// rectangle and outside the one width pixels further in.
TEST_F(RenderFillTest, RoundFramesAreThePixelsBetweenTheTwoShapes) {
  struct TCase {
    TUIRect rect;
    int width, ellipse;
    TUIRect clip;
  } const cases[] = {
      {{10, 10, 100, 40}, 1, 12, {0, 0, 200, 100}}, {{10, 10, 100, 40}, 3, 12, {0, 0, 200, 100}},
      {{10, 10, 100, 40}, 8, 6, {0, 0, 200, 100}},  {{10, 10, 100, 40}, 2, 0, {0, 0, 200, 100}},
      {{10, 10, 30, 20}, 6, 40, {0, 0, 200, 100}},  {{10, 10, 30, 20}, 20, 4, {0, 0, 200, 100}},
      {{10, 10, 100, 40}, 2, 12, {12, 5, 50, 25}},  {{10, 10, 100, 40}, 2, 12, {95, 20, 200, 30}},
  };
  for (const TCase& c : cases) {
    m_surface.Clear();
    {
      CClipGuard clip(m_dc, c.clip);
      CUIRenderEngine::DrawRoundRect(m_dc, c.rect, c.width, c.ellipse, c.ellipse, 0xFF112233);
    }
    const int rx = std::min(c.ellipse / 2, c.rect.Width() / 2),
              ry = std::min(c.ellipse / 2, c.rect.Height() / 2);
    const TUIRect inner{c.rect.left + c.width, c.rect.top + c.width, c.rect.right - c.width,
                        c.rect.bottom - c.width};
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 200; ++x) {
        const bool inClip = x >= c.clip.left && x < c.clip.right && y >= c.clip.top && y < c.clip.bottom;
        const bool frame = InsideRoundRect(c.rect, rx, ry, x, y) &&
                           !InsideRoundRect(inner, rx - c.width, ry - c.width, x, y);
        ASSERT_EQ(At(x, y), inClip && frame ? 0xFF112233u : 0u)
            << "at " << x << "," << y << " width " << c.width << " ellipse " << c.ellipse;
      }
    }
  }
}

// Radii beyond half the rectangle round it as far as it goes, to an ellipse.
TEST(RoundRectShape, RadiiBeyondHalfTheSizeGiveTheInscribedEllipse) {
  const TUIRect r{0, 0, 10, 10};
  EXPECT_TRUE(InsideRoundRect(r, 100, 100, 5, 5));
  EXPECT_TRUE(InsideRoundRect(r, 100, 100, 0, 5));
  EXPECT_FALSE(InsideRoundRect(r, 100, 100, 0, 0));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(InsideRoundRect(r, 100, 100, x, y), InsideRoundRect(r, 5, 5, x, y)) << x << "," << y;
    }
  }
}

TEST(AdjustColor, IdentityAndHueShift) {
  EXPECT_EQ(CUIRenderEngine::AdjustColor(0x80123456, 180, 100, 100), 0x80123456u);
  EXPECT_EQ(CUIRenderEngine::AdjustColor(0xFFFF0000, 300, 100, 100), 0xFF00FF00u);
  EXPECT_EQ(CUIRenderEngine::AdjustColor(0xFFFF0000, 60, 100, 100), 0xFF0000FFu);
  EXPECT_EQ(CUIRenderEngine::AdjustColor(0xFFFF0000, 180, 0, 100), 0xFF808080u);
  EXPECT_EQ(CUIRenderEngine::AdjustColor(0x40FF0000, 180, 100, 0), 0x40000000u);
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

TEST(RoundClip, CornersOutsideTheRoundingKeepTheirPixels) {
  CUISurface surface(60, 40);
  surface.Clear(0xFF000000);
  CUICanvas dc(surface);
  {
    CRoundClipGuard clip(dc, {10, 10, 50, 30}, 12, 12);
    EXPECT_EQ(dc.GetClip(), (TUIRect{10, 10, 50, 30}));
    CUIRenderEngine::DrawColor(dc, {0, 0, 60, 40}, 0xFFFFFFFF);
  }
  EXPECT_EQ(dc.GetClip(), surface.GetBounds());
  EXPECT_EQ(surface.GetPixel(10, 10), 0xFF000000u);  // cut corner
  EXPECT_EQ(surface.GetPixel(49, 29), 0xFF000000u);
  EXPECT_EQ(surface.GetPixel(16, 10), 0xFFFFFFFFu);  // the edge past the rounding
  EXPECT_EQ(surface.GetPixel(10, 16), 0xFFFFFFFFu);
  EXPECT_EQ(surface.GetPixel(30, 20), 0xFFFFFFFFu);
  EXPECT_EQ(surface.GetPixel(9, 20), 0xFF000000u);  // outside the rectangle
}

}  // namespace
}  // namespace SkinUI
