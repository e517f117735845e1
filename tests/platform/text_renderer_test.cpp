#include "platform/text/text_renderer.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

int InkPixels(const std::vector<uint32_t>& pixels) {
  int n = 0;
  for (uint32_t p : pixels) n += p != 0;
  return n;
}

TEST(TextRenderer, MissingFaceFallsBackToAChineseCapableFont) {
  auto font = CreateTextFont({u"微软雅黑", 16, false, false, false});
  ASSERT_NE(font, nullptr);
  const TTextMetrics& tm = font->GetMetrics();
  EXPECT_GE(tm.height, 16);
  EXPECT_LE(tm.height, 24);
  EXPECT_EQ(tm.height, tm.ascent + tm.descent);
  EXPECT_GT(tm.aveCharWidth, 0);
  int width = font->MeasureRun(u"奥凡");
  EXPECT_GE(width, 28);  // two full-width glyphs
  std::vector<uint32_t> pixels(64 * 32, 0);
  TTextTarget target{pixels.data(), 64, 32, 64, 0, 0, 64, 32};
  font->DrawRun(target, 2, 2, u"奥凡", 0x000000);
  EXPECT_GT(InkPixels(pixels), 60);
}

// Some faces with Chinese glyphs have no Latin ones: what stands in for a
// missing face must draw both. A missing glyph draws the same box whatever
// the character, so two characters that draw alike are not really there.
TEST(TextRenderer, AMissingFaceIsReplacedByOneWithChineseAndLatinGlyphs) {
  auto font = CreateTextFont({u"Orv No Such Face", 16, false, false, false});
  ASSERT_NE(font, nullptr);
  auto drawn = [&](std::u16string_view text) {
    std::vector<uint32_t> pixels(32 * 32, 0);
    font->DrawRun({pixels.data(), 32, 32, 32, 0, 0, 32, 32}, 4, 4, text, 0x000000);
    return pixels;
  };
  const std::u16string_view pairs[][2] = {{u"1", u"7"}, {u"A", u"x"}, {u"版", u"本"}};
  for (const auto& pair : pairs) {
    EXPECT_NE(drawn(pair[0]), drawn(pair[1])) << "one box for both of a pair";
    EXPECT_GT(InkPixels(drawn(pair[0])), 5);
  }
}

TEST(TextRenderer, ExtentsStylesAndClipping) {
  auto regular = CreateTextFont({u"DejaVu Sans", 14, false, false, false});
  auto bold = CreateTextFont({u"DejaVu Sans", 14, true, false, false});
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  std::vector<int> extents;
  regular->MeasureExtents(u"abc", &extents);
  ASSERT_EQ(extents.size(), 3u);
  EXPECT_LT(extents[0], extents[1]);
  EXPECT_EQ(extents[2], regular->MeasureRun(u"abc"));
  EXPECT_GT(bold->MeasureRun(u"abcdef"), regular->MeasureRun(u"abcdef"));

  auto underlined = CreateTextFont({u"DejaVu Sans", 14, false, false, true});
  std::vector<uint32_t> plain(80 * 30, 0), under(80 * 30, 0), clipped(80 * 30, 0);
  regular->DrawRun({plain.data(), 80, 30, 80, 0, 0, 80, 30}, 0, 0, u"ab", 0xFF0000);
  underlined->DrawRun({under.data(), 80, 30, 80, 0, 0, 80, 30}, 0, 0, u"ab", 0xFF0000);
  EXPECT_GT(InkPixels(under), InkPixels(plain));
  regular->DrawRun({clipped.data(), 80, 30, 80, 0, 0, 5, 30}, 0, 0, u"ab", 0xFF0000);
  for (int y = 0; y < 30; ++y) {
    for (int x = 5; x < 80; ++x) ASSERT_EQ(clipped[y * 80 + x], 0u);
  }
  uint32_t strongest = 0;
  for (uint32_t p : plain) strongest = std::max(strongest, p);
  EXPECT_EQ(strongest, 0xFFFF0000u);  // premultiplied red, fully covered pixels opaque
}

TEST(TextRenderer, RunsPartlyOutsideTheTargetAndEmptyRuns) {
  auto font = CreateTextFont({u"DejaVu Sans", 20, false, true, false});
  ASSERT_NE(font, nullptr);
  std::vector<int> extents{1, 2};
  font->MeasureExtents(u"", &extents);
  EXPECT_TRUE(extents.empty());
  EXPECT_EQ(font->MeasureRun(u""), 0);
  // A guard row above and below the 40 x 10 target catches stray writes.
  std::vector<uint32_t> pixels(40 * 12, 0);
  TTextTarget target{pixels.data() + 40, 40, 10, 40, 0, 0, 40, 10};
  font->DrawRun(target, -6, -7, u"WWWWWW", 0x0000FF);
  font->DrawRun(target, 30, 4, u"WWWWWW", 0x0000FF);
  font->DrawRun(target, 0, 0, u"", 0x0000FF);
  font->DrawRun(target, 100, 100, u"W", 0x0000FF);
  for (int x = 0; x < 40; ++x) {
    ASSERT_EQ(pixels[x], 0u);
    ASSERT_EQ(pixels[11 * 40 + x], 0u);
  }
  EXPECT_GT(InkPixels(pixels), 20);
}

}  // namespace
}  // namespace platform
