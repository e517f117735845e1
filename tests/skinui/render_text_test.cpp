#include <gtest/gtest.h>

#include "skinui/pixel_support.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

using skinui_test::CTestHost;

class RenderTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.AddFontWithId(-1, u"微软雅黑", 12);
    m_host.AddFontWithId(0, u"微软雅黑", 16);
  }
  TUIRect Measure(std::u16string_view text, uint32_t style, TUIRect rect = {0, 0, 300, 200}) {
    CUICanvas dc(m_surface);
    CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, text, 0xFF000000, nullptr, nullptr, nullptr, 0,
                                  style | DT_CALCRECT);
    return rect;
  }
  // Bounding box of pixels for which pick is true.
  TUIRect Ink(const std::function<bool(uint32_t)>& pick) const {
    TUIRect box{INT32_MAX, INT32_MAX, -1, -1};
    for (int y = 0; y < m_surface.GetHeight(); ++y) {
      for (int x = 0; x < m_surface.GetWidth(); ++x) {
        if (!pick(m_surface.GetPixel(x, y))) continue;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
               std::max(box.bottom, y + 1)};
      }
    }
    return box;
  }
  CTestHost m_host;
  CUISurface m_surface{200, 40};
};

bool Greyish(uint32_t p) {
  int r = RedOf(p), g = GreenOf(p), b = BlueOf(p);
  return p != 0xFFFFFFFF && std::abs(r - g) < 8 && std::abs(g - b) < 8 && r < 0xC0;
}
bool Greenish(uint32_t p) { return GreenOf(p) > RedOf(p) + 40 && GreenOf(p) > BlueOf(p) + 40; }

TEST_F(RenderTextTest, GreyAbcAndGreenPercentOnOneLine) {
  m_surface.Clear(0xFFFFFFFF);
  CUICanvas dc(m_surface);
  TUIRect rect{4, 4, 196, 36};
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"{c #969696}abc{/c}{c #23bf04}50%{/c}", 0xFF000000,
                                nullptr, nullptr, nullptr, 0, DT_SINGLELINE | DT_VCENTER);
  TUIRect grey = Ink(Greyish), green = Ink(Greenish);
  ASSERT_FALSE(grey.IsEmpty());
  ASSERT_FALSE(green.IsEmpty());
  EXPECT_LE(grey.right, green.left + 1);  // "50%" follows "abc"
  EXPECT_LT(green.top, grey.bottom);      // on the same line
  EXPECT_LT(grey.top, green.bottom);
  EXPECT_GT(green.Width(), grey.Width());  // three wide glyphs against three narrow ones
  EXPECT_TRUE(skinui_test::MatchesGolden(m_surface, skinui_test::TextGolden("html_grey_green"), 48, 30));
}

TEST_F(RenderTextTest, MeasureOnlyDrawsNothingAndGivesTheExtent) {
  CUICanvas dc(m_surface);
  TUIRect rect = Measure(u"abc", DT_SINGLELINE);
  EXPECT_EQ(rect.left, 0);
  EXPECT_GT(rect.right, 10);
  const TUIFontInfo* font = m_host.GetFontInfo(0);
  EXPECT_EQ(rect.bottom, font->tm.height + font->tm.externalLeading);
  EXPECT_TRUE(Ink([](uint32_t p) { return p != 0; }).IsEmpty());
  EXPECT_EQ(Measure(u"<{>x<}>{<}{>}", DT_SINGLELINE).right, Measure(u"{r}{x}<>{/r}", DT_SINGLELINE).right);
  EXPECT_EQ(Measure(u"a{x 10}b", DT_SINGLELINE).right, Measure(u"ab", DT_SINGLELINE).right + 10);
  EXPECT_EQ(Measure(u"a{y 40}b", DT_SINGLELINE).bottom, 40);
  EXPECT_GT(Measure(u"{b}abcdef{/b}", DT_SINGLELINE).right, Measure(u"abcdef", DT_SINGLELINE).right);
  EXPECT_EQ(Measure(u"50%", DT_SINGLELINE).right, Measure(u"{r}50%{/r}", DT_SINGLELINE).right);
}

TEST_F(RenderTextTest, LineBreaksWordBreakAndEllipsis) {
  int line = Measure(u"a", DT_SINGLELINE).bottom;
  EXPECT_EQ(Measure(u"a{n}b", DT_SINGLELINE).bottom, line);
  EXPECT_EQ(Measure(u"a{n}b", 0).bottom, 2 * line);
  EXPECT_EQ(Measure(u"a\nb", 0).bottom, 2 * line);
  int word = Measure(u"wwww", DT_SINGLELINE).right;
  TUIRect narrow{0, 0, word + word / 2, 400};
  TUIRect wrapped = Measure(u"wwww wwww wwww", DT_WORDBREAK, narrow);
  EXPECT_EQ(wrapped.bottom, 3 * line);
  EXPECT_LE(wrapped.right, narrow.right);
  TUIRect cut = Measure(u"wwww wwww wwww", DT_SINGLELINE | DT_END_ELLIPSIS, narrow);
  EXPECT_EQ(cut.bottom, line);
  EXPECT_LE(cut.right, narrow.right);
  EXPECT_GT(cut.right, Measure(u"...", DT_SINGLELINE).right);
  EXPECT_EQ(Measure(u"{p 6}para{/p}", 0).bottom, line + 6);
}

TEST_F(RenderTextTest, LinksAreRecordedAndHoverChangesColour) {
  m_surface.Clear(0xFFFFFFFF);
  CUICanvas dc(m_surface);
  TUIRect rect{0, 0, 200, 40};
  TUIRect links[2];
  std::u16string targets[2];
  int count = 2;
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"go {a https://x.test}here{/a} now", 0xFF000000, links,
                                targets, &count, 0, DT_SINGLELINE);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(targets[0], u"https://x.test");
  EXPECT_GT(links[0].left, 0);
  EXPECT_GT(links[0].Width(), 10);
  TUIRect blue = Ink([](uint32_t p) { return BlueOf(p) > RedOf(p) + 60; });
  EXPECT_GE(blue.left, links[0].left);
  EXPECT_LE(blue.right, links[0].right + 1);
  EXPECT_GE(m_host.FindFont(u"微软雅黑", 16, false, true, false), 0);  // the underlined variant

  m_host.SetMouse({links[0].left + 2, links[0].top + 2});
  m_surface.Clear(0xFFFFFFFF);
  count = 2;
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"go {a https://x.test}here{/a} now", 0xFF000000, links,
                                targets, &count, 0, DT_SINGLELINE);
  EXPECT_TRUE(Ink([](uint32_t p) { return BlueOf(p) > RedOf(p) + 60; }).IsEmpty());
  EXPECT_FALSE(Ink([](uint32_t p) { return RedOf(p) > GreenOf(p) + 60; }).IsEmpty());
  count = 0;
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"{a x}y{/a}", 0xFF000000, links, targets, &count, 0,
                                DT_SINGLELINE);
  EXPECT_EQ(count, 0);
}

TEST_F(RenderTextTest, AlignmentSelectionAndInlineImage) {
  m_surface.Clear(0xFFFFFFFF);
  CUICanvas dc(m_surface);
  TUIRect rect{0, 0, 200, 40};
  CUIRenderEngine::DrawText(dc, &m_host, rect, u"A&B", 0xFF000000, 0, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  TUIRect ink = Ink([](uint32_t p) { return RedOf(p) < 0x80; });
  EXPECT_NEAR(ink.left + ink.right, 200, 6);
  EXPECT_NEAR(ink.top + ink.bottom, 40, 8);
  EXPECT_GT(Measure(u"{r}A&B{/r}", DT_SINGLELINE).right, Measure(u"AB", DT_SINGLELINE).right);

  m_surface.Clear(0xFFFFFFFF);
  rect = {0, 0, 200, 40};
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"{s}sel{/s}", 0xFF000000, nullptr, nullptr, nullptr, 0,
                                DT_SINGLELINE);
  EXPECT_EQ(m_surface.GetPixel(0, 0), 0xFFBAE4FFu);

  m_host.Dir().Write("frames.png", skinui_test::MakePng(
                                       20, 10, [](int x, int) { return x < 10 ? 0xFFFF0000 : 0xFF00FF00; }));
  m_surface.Clear(0xFFFFFFFF);
  rect = {0, 0, 200, 40};
  CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, u"{i frames.png 2 1}", 0xFF000000, nullptr, nullptr,
                                nullptr, 0, DT_SINGLELINE);
  EXPECT_EQ(m_surface.GetPixel(0, 39), 0xFFFFFFFFu);
  TUIRect green = Ink([](uint32_t p) { return p == 0xFF00FF00; });
  EXPECT_EQ(green.Width(), 10);
  EXPECT_EQ(green.Height(), 10);
  EXPECT_TRUE(Ink([](uint32_t p) { return p == 0xFFFF0000; }).IsEmpty());
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

TEST(RenderTextChinese, TitleRendersThroughTheFallbackFace) {
  skinui_test::CTestHost host;
  host.AddFontWithId(0, u"微软雅黑", 14, true);
  CUISurface surface(160, 30);
  surface.Clear(0xFFFFFFFF);
  CUICanvas dc(surface);
  TUIRect rect{0, 0, 160, 30};
  CUIRenderEngine::DrawText(dc, &host, rect, u"奥凡 在线升级", 0xFF333333, 0, DT_SINGLELINE | DT_VCENTER);
  int ink = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 160; ++x) ink += surface.GetPixel(x, y) != 0xFFFFFFFF;
  }
  EXPECT_GT(ink, 300);
  EXPECT_TRUE(skinui_test::MatchesGolden(surface, skinui_test::TextGolden("chinese_title"), 48, 40));
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

class HtmlTagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.AddFontWithId(-1, u"微软雅黑", 12);
    m_host.AddFontWithId(0, u"微软雅黑", 16);
  }
  TUIRect Measure(std::u16string_view text) {
    CUICanvas dc(m_surface);
    TUIRect rect{0, 0, 300, 200};
    CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, text, 0xFF000000, nullptr, nullptr, nullptr, 0,
                                  DT_SINGLELINE | DT_CALCRECT);
    return rect;
  }
  TUIRect Draw(std::u16string_view text, uint32_t background) {
    m_surface.Clear(background);
    CUICanvas dc(m_surface);
    TUIRect rect{0, 0, 200, 40};
    CUIRenderEngine::DrawHtmlText(dc, &m_host, rect, text, 0xFF000000, nullptr, nullptr, nullptr, 0,
                                  DT_SINGLELINE);
    TUIRect box{INT32_MAX, INT32_MAX, -1, -1};
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 200; ++x) {
        if (m_surface.GetPixel(x, y) == background) continue;
        box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
               std::max(box.bottom, y + 1)};
      }
    }
    return box;
  }
  skinui_test::CTestHost m_host;
  CUISurface m_surface{200, 40};
};

TEST_F(HtmlTagTest, FontTagsByIndexAndByFace) {
  EXPECT_EQ(Measure(u"{f 0}abc{/f}").right, Measure(u"abc").right);
  EXPECT_GT(Measure(u"{f 微软雅黑 24 bold}abc{/f}").right, Measure(u"abc").right);
  EXPECT_GE(m_host.FindFont(u"微软雅黑", 24, true, false, false), 0);
  EXPECT_GE(Measure(u"{f 微软雅黑}abc{/f}").right, 1);  // size defaults to 10
  EXPECT_GE(m_host.FindFont(u"微软雅黑", 10, false, false, false), 0);
  EXPECT_GT(Measure(u"{i}a{/i}b").right, Measure(u"ab").right);  // half a blank after italics
  EXPECT_EQ(Measure(u"{u}ab{/u}").right, Measure(u"ab").right);
  EXPECT_GE(m_host.FindFont(u"微软雅黑", 16, false, true, false), 0);
}

TEST_F(HtmlTagTest, ColourSaturatesAndVerticalAlignment) {
  Draw(u"{c #80000000}W{/c}", 0xFF000000);
  uint32_t brightest = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) brightest = std::max(brightest, m_surface.GetPixel(x, y) & 0xFFFFFF);
  }
  EXPECT_EQ(brightest, 0xFFFFFFu);  // 0x7FFFFFFF: white
  TUIRect top = Draw(u"{y 40}{v top}W{/v}", 0xFFFFFFFF);
  TUIRect bottom = Draw(u"{y 40}W", 0xFFFFFFFF);
  TUIRect centre = Draw(u"{y 40}{v center}W{/v}", 0xFFFFFFFF);
  EXPECT_LT(top.top, centre.top);
  EXPECT_LT(centre.top, bottom.top);
  EXPECT_GT(bottom.bottom, 30);
}

TEST_F(HtmlTagTest, PlainTextKeepsBracesAndBreaksLines) {
  CUICanvas dc(m_surface);
  TUIRect one{0, 0, 300, 200};
  CUIRenderEngine::DrawText(dc, &m_host, one, u"{b}x{/b}", 0xFF000000, 0, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_GT(one.right, Measure(u"x").right * 3);
  TUIRect two{0, 0, 300, 200};
  CUIRenderEngine::DrawText(dc, &m_host, two, u"a\r\nb", 0xFF000000, 0, DT_CALCRECT);
  EXPECT_EQ(two.bottom, 2 * one.bottom);
  TUIRect none{0, 0, 300, 200};
  CUIRenderEngine::DrawText(dc, nullptr, none, u"a", 0xFF000000, 0, DT_CALCRECT);
  EXPECT_EQ(none.bottom, 200);
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

TEST(RenderTextEllipsis, CentredCutLineStaysInsideTheRectangle) {
  skinui_test::CTestHost host;
  host.AddFontWithId(0, u"微软雅黑", 14);
  CUISurface surface(120, 30);
  surface.Clear(0xFFFFFFFF);
  CUICanvas dc(surface);
  TUIRect rect{10, 0, 110, 30};
  CUIRenderEngine::DrawHtmlText(dc, &host, rect, u"a rather long version text 1.0.0.0", 0xFF000000, nullptr,
                                nullptr, nullptr, 0,
                                DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
  int first = -1, last = -1;
  for (int x = 0; x < 120; ++x) {
    for (int y = 0; y < 30; ++y) {
      if (surface.GetPixel(x, y) == 0xFFFFFFFF) continue;
      if (first < 0) first = x;
      last = x;
    }
  }
  EXPECT_GE(first, 10);
  EXPECT_LE(first, 13);  // starts at the left edge, not pushed out
  EXPECT_LT(last, 110);
  EXPECT_GT(last, 90);  // the dots reach towards the right edge
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

// A line wider than its rectangle keeps its start at the left edge and ends in
// the ellipsis, whatever its alignment; centred, it used to lose both ends.
TEST(RenderTextEllipsis, LongLineShowsItsStartAndEndsInDotsInEveryAlignment) {
  skinui_test::CTestHost host;
  host.AddFontWithId(0, u"微软雅黑", 14);
  auto draw = [&host](std::u16string_view text, uint32_t style) {
    CUISurface surface(140, 30);
    surface.Clear(0xFFFFFFFF);
    CUICanvas dc(surface);
    TUIRect rect{10, 0, 130, 30};
    CUIRenderEngine::DrawText(dc, &host, rect, text, 0xFF000000, 0, DT_SINGLELINE | DT_VCENTER | style);
    return surface;
  };
  const std::u16string text = u"版本号：1.0.0.2 (a very long build description)";
  const CUISurface prefix = draw(u"版本号", 0);
  const CUISurface cut = draw(text, DT_END_ELLIPSIS);
  int prefixRight = 0;
  for (int x = 0; x < 140; ++x) {
    for (int y = 0; y < 30; ++y) {
      if (prefix.GetPixel(x, y) != 0xFFFFFFFF) prefixRight = x + 1;
    }
  }
  ASSERT_GT(prefixRight, 20);
  for (const uint32_t alignment : {0u, unsigned{DT_CENTER}, unsigned{DT_RIGHT}}) {
    const CUISurface drawn = draw(text, alignment);
    int differing = 0, prefixDiffering = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 140; ++x) {
        differing += drawn.GetPixel(x, y) != cut.GetPixel(x, y);
        prefixDiffering += x < prefixRight && drawn.GetPixel(x, y) != prefix.GetPixel(x, y);
      }
    }
    EXPECT_EQ(prefixDiffering, 0) << "alignment " << alignment << ": the start is not at the left edge";
    EXPECT_EQ(differing, 0) << "alignment " << alignment << ": not cut with an ellipsis";
  }
}

}  // namespace
}  // namespace SkinUI
