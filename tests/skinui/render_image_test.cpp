#include <gtest/gtest.h>

#include "common/text.h"
#include "skinui/pixel_support.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

using skinui_test::CTestHost;
using skinui_test::MakePng;
using skinui_test::MatchesGolden;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF, kMagenta = 0xFFFF00FF, kGrey = 0xFF808080;

class RenderImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("bk_main.png", 65, 28, [](int x, int) { return x < 32 ? kRed : kBlue; });
    Write("bk_progress.png", 30, 10, [](int x, int) { return x < 10 ? kRed : x < 20 ? kGreen : kBlue; });
    // The button's right half: 5-pixel corners red, edges green, centre blue.
    Write("btn_blue.png", 360, 48, [](int x, int y) {
      if (x < 180) return kWhite;
      bool edgeX = x < 185 || x >= 355, edgeY = y < 5 || y >= 43;
      return edgeX && edgeY ? kRed : edgeX || edgeY ? kGreen : kBlue;
    });
    Write("ico_update.png", 4, 4, [](int x, int y) { return (x + y) % 2 ? kGreen : kRed; });
    Write("masked.png", 2, 1, [](int x, int) { return x == 0 ? kMagenta : kGreen; });
    Write("half.png", 2, 2, [](int, int) { return 0x80FF0000; });
  }
  void Write(const std::string& name, int w, int h, std::function<uint32_t(int, int)> fn) {
    m_host.Dir().Write(name, MakePng(w, h, fn));
  }
  bool Draw(const TUIRect& item, std::u16string_view descriptor, std::u16string_view modifier = {}) {
    return CUIRenderEngine::DrawImageString(m_dc, &m_host, item, m_surface.GetBounds(), descriptor, modifier);
  }
  uint32_t At(int x, int y) const { return m_surface.GetPixel(x, y); }

  CTestHost m_host;
  CUISurface m_surface{700, 480};
  CUICanvas m_dc{m_surface};
};

TEST_F(RenderImageTest, DestRowsAt100And150Percent) {
  TUIRect control{10, 20, 660, 450};
  ASSERT_TRUE(Draw(control, u"file='bk_main.png' dest='0,0,650,280'"));
  EXPECT_EQ(At(10, 20), kRed);
  EXPECT_EQ(At(659, 299), kBlue);
  EXPECT_EQ(At(659, 300), 0u);  // row 280 of the control stays empty
  EXPECT_EQ(At(9, 20), 0u);
  m_surface.Clear();
  m_host.SetScale(150);
  ASSERT_TRUE(Draw(control, u"file='bk_main.png' dest='0,0,650,280'"));
  EXPECT_EQ(At(10, 20 + 419), kRed);  // (0,0,975,420), clipped to the control's 650 columns
  EXPECT_EQ(At(10, 20 + 420), 0u);
  EXPECT_EQ(At(659, 100), kBlue);
  EXPECT_EQ(At(660, 100), 0u);
}

TEST_F(RenderImageTest, ProgressSourceCellStretchesOverTheItem) {
  ASSERT_TRUE(Draw({0, 0, 300, 12}, u"file='bk_progress.png' source='10,0,20,10'"));
  for (int x = 0; x < 300; x += 13) EXPECT_EQ(At(x, 0), kGreen) << x;
  EXPECT_EQ(At(299, 11), kGreen);
  EXPECT_EQ(At(300, 0), 0u);
}

TEST_F(RenderImageTest, NineGridKeepsCornersWhileTheMiddleGrows) {
  TUIRect button{100, 100, 400, 180};
  ASSERT_TRUE(Draw(button, u"file='btn_blue.png' source='180,0,360,48' corner='5,5,5,5'"));
  for (int d = 0; d < 5; ++d) {
    EXPECT_EQ(At(100 + d, 100 + d), kRed);
    EXPECT_EQ(At(399 - d, 179 - d), kRed);
    EXPECT_EQ(At(399 - d, 100 + d), kRed);
    EXPECT_EQ(At(100 + d, 179 - d), kRed);
  }
  EXPECT_EQ(At(105, 100), kGreen);
  EXPECT_EQ(At(394, 104), kGreen);
  EXPECT_EQ(At(100, 105), kGreen);
  EXPECT_EQ(At(399, 174), kGreen);
  EXPECT_EQ(At(105, 105), kBlue);
  EXPECT_EQ(At(394, 174), kBlue);
  EXPECT_TRUE(MatchesGolden(m_surface, "nine_grid_button", 0, 0));
}

// Corners larger than the source, or negative, stay inside the image (they
// read past it before); a corner wider than the source takes all of it.
TEST_F(RenderImageTest, CornersAreKeptInsideTheSource) {
  for (const char16_t* corners : {u"22,22,22,22", u"-3,-3,40,40", u"0,0,4,1000"}) {
    m_surface.Clear();
    std::u16string descriptor = u"file='ico_update.png' source='0,0,4,4' corner='";
    ASSERT_TRUE(Draw({10, 10, 50, 50}, descriptor + corners + u"'")) << Utf16ToUtf8(corners);
  }
  m_surface.Clear();
  ASSERT_TRUE(Draw({10, 10, 50, 50}, u"file='ico_update.png' source='0,0,4,4' corner='22,22,22,22'"));
  EXPECT_EQ(At(10, 10), kRed);  // the top-left corner cell is the whole source
  EXPECT_EQ(At(11, 10), kGreen);
  EXPECT_EQ(At(49, 49), 0u);  // nothing is left for the other cells
}

TEST_F(RenderImageTest, BareFileNameCoversTheItem) {
  ASSERT_TRUE(Draw({0, 0, 8, 8}, u"ico_update.png"));
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(2, 0), kGreen);
  EXPECT_EQ(At(7, 7), kRed);
  EXPECT_EQ(At(8, 8), 0u);
}

TEST_F(RenderImageTest, MagentaMaskBecomesTransparent) {
  m_surface.Clear(kGrey);
  ASSERT_TRUE(Draw({0, 0, 2, 1}, u"file='masked.png' mask='#FFFF00FF'"));
  EXPECT_EQ(At(0, 0), kGrey);
  EXPECT_EQ(At(1, 0), kGreen);
  auto info = CUIRenderEngine::LoadImage(u"masked.png", u"", 0xFFFF00FF, nullptr);
  EXPECT_EQ(info, nullptr);  // not in the process-wide folder, nor a path of its own
  std::u16string fullPath = Utf8ToUtf16(m_host.Dir().File("masked.png"));
  info = CUIRenderEngine::LoadImage(fullPath, u"", 0xFFFF00FF, nullptr);
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->alphaChannel);
  EXPECT_EQ(info->bitmap.GetPixel(0, 0), 0u);
}

TEST_F(RenderImageTest, FadeHoleAndTiling) {
  m_surface.Clear(0xFF000000);
  ASSERT_TRUE(Draw({0, 0, 10, 10}, u"file='ico_update.png' fade='128'"));
  EXPECT_EQ(At(0, 0), 0xFF800000);
  m_surface.Clear();
  ASSERT_TRUE(
      Draw({0, 0, 300, 80}, u"file='btn_blue.png' source='180,0,360,48' corner='5,5,5,5' hole='true'"));
  EXPECT_EQ(At(150, 40), 0u);
  EXPECT_EQ(At(0, 0), kRed);
  m_surface.Clear();
  ASSERT_TRUE(Draw({0, 0, 25, 3}, u"file='bk_progress.png' source='5,0,15,10' xtiled='true'"));
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(5, 0), kGreen);
  EXPECT_EQ(At(15, 2), kGreen);
  EXPECT_EQ(At(24, 2), kRed);  // the last repetition is cut, not squeezed
  EXPECT_EQ(At(25, 0), 0u);
}

TEST_F(RenderImageTest, TranslucentImagesBlendPremultiplied) {
  m_surface.Clear(kBlue);
  ASSERT_TRUE(Draw({0, 0, 2, 2}, u"half.png"));
  EXPECT_EQ(At(0, 0), 0xFF80007F);
  const uint8_t junk[] = "not an image";
  EXPECT_EQ(CUIRenderEngine::DecodeImage(junk, sizeof junk, 0), nullptr);
}

TEST_F(RenderImageTest, ModifierAndPairRules) {
  // A second file draws the first one with the settings so far.
  ASSERT_TRUE(Draw({0, 0, 4, 4}, u"file='ico_update.png' dest='0,0,2,2'",
                   u"file='bk_progress.png' source='20,0,30,10'"));
  EXPECT_EQ(At(0, 0), kBlue);  // the settings carry over to the second image
  EXPECT_EQ(At(3, 3), 0u);
  m_surface.Clear();
  // A malformed pair ends the scan; pairs with empty values are ignored.
  ASSERT_TRUE(Draw({0, 0, 4, 4}, u"file='ico_update.png' dest=''  source=\"1,1,2,2\""));
  EXPECT_EQ(At(3, 3), kRed);
  m_surface.Clear();
  ASSERT_TRUE(Draw({0, 0, 4, 4}, u"file='missing.png'"));
  EXPECT_EQ(At(0, 0), 0u);
  EXPECT_FALSE(
      CUIRenderEngine::DrawImageString(m_dc, nullptr, {0, 0, 4, 4}, {0, 0, 4, 4}, u"ico_update.png"));
  // Outside the paint rectangle nothing is drawn.
  ASSERT_TRUE(CUIRenderEngine::DrawImageString(m_dc, &m_host, {0, 0, 8, 8}, {4, 4, 8, 8}, u"ico_update.png"));
  EXPECT_EQ(At(0, 0), 0u);
  EXPECT_EQ(At(5, 5), kRed);
}

TEST(ImageValues, RectAndColourParsing) {
  EXPECT_EQ(ParseRectValue(u"1, 2,3 ,4"), (TUIRect{1, 2, 3, 4}));
  EXPECT_EQ(ParseRectValue(u"5,6"), (TUIRect{5, 6, 0, 0}));
  EXPECT_EQ(ParseColorValue(u"#FFFF00FF"), 0xFFFF00FFu);
  EXPECT_EQ(ParseColorValue(u"ff969696"), 0xFF969696u);
}

}  // namespace
}  // namespace SkinUI
