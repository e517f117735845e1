// Pixels of painted controls: the order of the layers, borders, gradients,
// the progress fore image and the button's state images.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "common/text.h"
#include "skinui/control/button.h"
#include "skinui/control/label.h"
#include "skinui/control/progress.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/layout/vertical_layout.h"
#include "skinui/pixel_support.h"
#include "support/temp_dir.h"

namespace SkinUI {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kGrey = 0xFF808080, kYellow = 0xFFFFFF00, kBlack = 0xFF000000;

class ControlPaintTest : public ::testing::Test {
 protected:
  // A solid w x h PNG of colour in the temporary folder; returns the
  // descriptor that draws it.
  std::u16string Image(const std::string& name, uint32_t color, int w = 8, int h = 8) {
    m_dir.Write(name, skinui_test::MakePng(w, h, [=](int, int) { return color; }));
    return u"file='" + Utf8ToUtf16(m_dir.File(name)) + u"'";
  }
  // Attaches c as the only child of a root covering the surface, lays out and paints.
  template <class T>
  T* Show(T* c, const char16_t* attributes = u"") {
    m_root = std::make_unique<CVerticalLayoutUI>();
    c->ApplyAttributeList(attributes);
    EXPECT_TRUE(m_root->Add(c));
    EXPECT_TRUE(m_manager.InitControls(m_root.get()));
    m_root->SetPos(m_surface.GetBounds());
    Paint();
    return c;
  }
  void Paint(TUIRect area = {0, 0, 0, 0}) {
    m_surface.Clear(kWhite);
    CUICanvas dc(m_surface);
    dc.SetGradientFill(false);
    m_root->DoPaint(dc, area.IsEmpty() ? m_surface.GetBounds() : area);
  }
  uint32_t At(int x, int y) const { return m_surface.GetPixel(x, y); }

  CUIPaintManager m_manager;
  TempDir m_dir;
  CUISurface m_surface{40, 32};
  std::unique_ptr<CVerticalLayoutUI> m_root;
};

TEST_F(ControlPaintTest, LayersPaintInOrder) {
  // Background colour, then the background image (left half only), then the
  // state image (top-left quarter), then the border on top of everything.
  std::u16string bk = Image("bk.png", kGreen) + u" dest='0,0,20,32'";
  std::u16string normal = Image("normal.png", kBlue) + u" dest='0,0,10,10'";
  auto* b = new CButtonUI;
  b->SetBkImage(bk);
  b->SetNormalImage(normal);
  Show(b, u"bkcolor=\"#FFFF0000\" bordercolor=\"#FF000000\" bordersize=\"1\"");
  EXPECT_EQ(At(30, 20), kRed);
  EXPECT_EQ(At(15, 20), kGreen);
  EXPECT_EQ(At(5, 5), kBlue);
  EXPECT_EQ(At(0, 5), kBlack);
  EXPECT_EQ(At(39, 20), kBlack);
}

TEST_F(ControlPaintTest, BorderForms) {
  struct TCase {
    const char16_t* attributes;
    std::vector<std::pair<TUIPoint, uint32_t>> pixels;
  } cases[] = {
      {u"bordercolor=\"#FF0000FF\" bordersize=\"2\"",
       {{{0, 10}, kBlue}, {{1, 10}, kBlue}, {{2, 10}, kWhite}, {{39, 31}, kBlue}, {{20, 30}, kBlue}}},
      {u"bordercolor=\"#FF0000FF\" leftbordersize=\"3\" bottombordersize=\"1\"",
       {{{0, 5}, kBlue},
        {{2, 5}, kBlue},
        {{3, 5}, kWhite},
        {{20, 0}, kWhite},
        {{39, 5}, kWhite},
        {{20, 31}, kBlue},
        {{20, 30}, kWhite}}},
      {u"bordercolor=\"#FF0000FF\" bordersize=\"1\" borderround=\"16,16\"",
       {{{0, 0}, kWhite}, {{20, 0}, kBlue}, {{0, 16}, kBlue}, {{39, 31}, kWhite}, {{20, 15}, kWhite}}},
      {u"bkcolor=\"#FF00FF00\" borderround=\"16,16\"",
       {{{0, 0}, kWhite}, {{20, 15}, kGreen}, {{1, 1}, kWhite}}},
      {u"bordercolor=\"#FF0000FF\" focusbordercolor=\"#FFFF0000\" bordersize=\"1\"", {{{0, 10}, kBlue}}},
  };
  for (const auto& t : cases) {
    Show(new CControlUI, t.attributes);
    for (const auto& [p, color] : t.pixels) {
      EXPECT_EQ(At(p.x, p.y), color) << "at " << p.x << "," << p.y;
    }
  }
}

TEST_F(ControlPaintTest, FocusedBorderColourWhenFocused) {
  auto* c =
      Show(new CControlUI, u"bordercolor=\"#FF0000FF\" focusbordercolor=\"#FFFF0000\" bordersize=\"1\"");
  c->SetFocus();
  ASSERT_TRUE(c->IsFocused());
  Paint();
  EXPECT_EQ(At(0, 10), kRed);
}

TEST_F(ControlPaintTest, TranslucentBackgroundFillsTheWholeItemOnPartialRepaint) {
  auto* c = new CControlUI;
  Show(c, u"bkcolor=\"#80FF0000\"");
  m_surface.Clear(kWhite);
  CUICanvas dc(m_surface);
  c->DoPaint(dc, {0, 0, 4, 4});
  EXPECT_EQ(At(30, 30), At(1, 1));
  EXPECT_NE(At(30, 30), kWhite);
  Show(new CControlUI, u"bkcolor=\"#FFFF0000\"");
  m_surface.Clear(kWhite);
  m_root->GetItemAt(0)->DoPaint(dc, {0, 0, 4, 4});
  EXPECT_EQ(At(30, 30), kWhite) << "an opaque colour fills only the repainted part";
  EXPECT_EQ(At(1, 1), kRed);
}

// The distinct colours down the middle column.
std::set<uint32_t> Bands(const CUISurface& s, int from, int to) {
  std::set<uint32_t> colors;
  for (int y = from; y < to; ++y) colors.insert(s.GetPixel(20, y));
  return colors;
}

TEST_F(ControlPaintTest, GradientBands) {
  m_surface = CUISurface(40, 64);
  Show(new CControlUI, u"bkcolor=\"#FF000000\" bkcolor2=\"#FFFFFFFF\"");
  EXPECT_EQ(Bands(m_surface, 0, 64).size(), 16u);
  EXPECT_EQ(At(20, 0), kBlack);
  Show(new CControlUI, u"bkcolor=\"#FF000000\" bkcolor2=\"#FFFF0000\" bkcolor3=\"#FF0000FF\"");
  EXPECT_EQ(Bands(m_surface, 0, 32).size(), 8u);
  EXPECT_EQ(Bands(m_surface, 32, 64).size(), 8u);
  EXPECT_EQ(At(20, 32), kRed) << "the lower half starts at the middle colour";
}

TEST_F(ControlPaintTest, ProgressForeImageFollowsTheValue) {
  m_surface = CUISurface(200, 12);
  struct TCase {
    int value;
    int redUntil;  // first column that is not red
  } cases[] = {{0, 0}, {50, 100}, {100, 200}, {150, 200}, {-5, 0}};
  for (const TCase& t : cases) {
    auto* bar = new CProgressUI;
    bar->SetForeImage(Image("fore.png", kRed, 4, 4));
    bar->SetValue(t.value);
    Show(bar, u"bkcolor=\"#FF00FF00\"");
    for (int x : {0, 99, 100, 199}) {
      EXPECT_EQ(At(x, 6), x < t.redUntil ? kRed : kGreen) << "value " << t.value << " column " << x;
    }
  }
}

TEST_F(ControlPaintTest, ProgressCropsInsteadOfStretching) {
  m_surface = CUISurface(100, 12);
  // Left half red, right half blue: cropped, the 30 % bar shows red only;
  // stretched, it shows both halves.
  m_dir.Write("split.png", skinui_test::MakePng(100, 12, [](int x, int) { return x < 50 ? kRed : kBlue; }));
  std::u16string fore = u"file='" + Utf8ToUtf16(m_dir.File("split.png")) + u"'";
  for (bool stretch : {false, true}) {
    auto* bar = new CProgressUI;
    bar->SetForeImage(fore);
    bar->SetValue(30);
    bar->SetStretchForeImage(stretch);
    Show(bar);
    EXPECT_EQ(At(25, 6), stretch ? kBlue : kRed);
    EXPECT_EQ(At(5, 6), kRed);
  }
}

TEST_F(ControlPaintTest, EmptyProgressRangeIsWidened) {
  auto* bar = Show(new CProgressUI, u"min=\"5\" max=\"5\" value=\"9\"");
  EXPECT_EQ(bar->GetMaxValue(), 6);
  EXPECT_EQ(bar->GetValue(), 6);
}

TEST_F(ControlPaintTest, ButtonStateImages) {
  auto* b = new CButtonUI;
  b->SetNormalImage(Image("n.png", kBlue));
  b->SetHotImage(Image("h.png", kGreen));
  b->SetPushedImage(Image("p.png", kRed));
  b->SetFocusedImage(Image("f.png", kYellow));
  b->SetDisabledImage(Image("d.png", kGrey));
  Show(b);
  EXPECT_EQ(At(20, 16), kBlue);
  TUIEvent e;
  e.mouse = {20, 16};
  e.type = kEventMouseEnter;
  b->Event(e);
  Paint();
  EXPECT_EQ(At(20, 16), kGreen);
  e.type = kEventButtonDown;
  b->Event(e);
  Paint();
  EXPECT_EQ(At(20, 16), kRed);
  e.type = kEventButtonUp;
  b->Event(e);
  e.type = kEventMouseLeave;
  b->Event(e);
  b->SetFocus();
  Paint();
  EXPECT_EQ(At(20, 16), kYellow);
  b->SetEnabled(false);
  Paint();
  EXPECT_EQ(At(20, 16), kGrey);
}

TEST_F(ControlPaintTest, ButtonHotBackgroundAndForeImage) {
  auto* b = new CButtonUI;
  b->SetNormalImage(Image("n.png", kBlue));
  b->SetForeImage(Image("fore.png", kYellow) + u" dest='0,0,4,4'");
  Show(b, u"hotbkcolor=\"#FF00FF00\"");
  EXPECT_EQ(At(20, 16), kBlue);
  EXPECT_EQ(At(1, 1), kYellow);
  TUIEvent e;
  e.type = kEventMouseEnter;
  b->Event(e);
  Paint();
  EXPECT_EQ(At(20, 16), kGreen);
  EXPECT_EQ(At(1, 1), kGreen) << "a hot background colour ends the state images";
}

TEST_F(ControlPaintTest, ContainerClipsChildrenToItsInsetButNotFloatingOnes) {
  auto* box = new CContainerUI;
  auto* wide = new CControlUI;
  auto* floating = new CControlUI;
  wide->ApplyAttributeList(u"minwidth=\"60\" minheight=\"50\" bkcolor=\"#FFFF0000\"");
  floating->ApplyAttributeList(u"float=\"true\" pos=\"0,0,8,8\" bkcolor=\"#FF0000FF\"");
  ASSERT_TRUE(box->Add(wide) && box->Add(floating));
  Show(box, u"inset=\"10,10,10,10\"");
  EXPECT_EQ(wide->GetPos(), (TUIRect{10, 10, 70, 60}));
  EXPECT_EQ(At(20, 15), kRed);
  EXPECT_EQ(At(35, 15), kWhite) << "the inset clips a child that overflows";
  EXPECT_EQ(At(2, 2), kBlue) << "a floating child may cover the inset";
}

TEST_F(ControlPaintTest, LabelTextInsideItsPaddingInTheStateColour) {
  auto* label = Show(new CLabelUI,
                     u"text=\"ORV ORV\" textcolor=\"#FFFF0000\" disabledtextcolor=\"#FF0000FF\" "
                     u"textpadding=\"20,0,0,0\" align=\"left\"");
  // Pixels in columns [fromX, toX) for which pick is true.
  auto count = [&](auto pick, int fromX, int toX) {
    int n = 0;
    for (int y = 0; y < m_surface.GetHeight(); ++y) {
      for (int x = fromX; x < toX; ++x) n += pick(At(x, y)) ? 1 : 0;
    }
    return n;
  };
  auto ink = [](uint32_t p) { return p != kWhite; };
  auto reddish = [](uint32_t p) { return RedOf(p) > GreenOf(p) + 60 && RedOf(p) > BlueOf(p) + 60; };
  auto bluish = [](uint32_t p) { return BlueOf(p) > GreenOf(p) + 60 && BlueOf(p) > RedOf(p) + 60; };
  EXPECT_GT(count(reddish, 20, 40), 0);
  EXPECT_EQ(count(ink, 0, 20), 0) << "nothing left of the text padding";
  label->SetEnabled(false);
  Paint();
  EXPECT_EQ(count(reddish, 20, 40), 0);
  EXPECT_GT(count(bluish, 20, 40), 0);
}

}  // namespace
}  // namespace SkinUI
