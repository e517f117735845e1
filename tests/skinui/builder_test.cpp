// The skin builder: resources at the top of a skin (shared and local),
// Fonts and Styles files, Include, the Window settings and DPI scaling, and
// the order in which a control receives its attributes.
#include <gtest/gtest.h>

#include "common/text.h"
#include "manager_support.h"
#include "platform/system/path_separator.h"
#include "platform/window/window_test_driver.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/control/label.h"
#include "skinui/layout/container.h"
#include "skinui/resources/skin_resources.h"
#include "support/temp_dir.h"

namespace skinui_test {
namespace {

using SkinUI::CControlUI;
using SkinUI::CUIPaintManager;
using SkinUI::CUIResources;
using SkinUI::CUISkinBuilder;

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CUIResources::RemoveAllShared();
    auto& resources = SkinUI::SkinResources();
    (void)resources.SetResourceZip(u"", false);
    resources.SetResourcePath(Utf8ToUtf16(m_dir.path().string()) + platform::kPathSeparator);
  }
  void TearDown() override {
    CUIResources::RemoveAllShared();
    SkinUI::SkinResources().SetResourcePath(u"");
  }
  void Write(const std::string& name, const std::string& text) { m_dir.Write(name, text); }
  static int ChildCount(CControlUI* control) {
    auto* c = static_cast<SkinUI::IContainerUI*>(control->GetInterface(u"IContainer"));
    return c ? c->GetCount() : -1;
  }

  TempDir m_dir;
};

TEST_F(BuilderTest, IncludeWithCountTwoAddsTheFileTwiceToTheParent) {
  // The controls of a skin file are the children of its root element.
  Write("row.xml", "<Window><Label name=\"row\" height=\"20\"/></Window>");
  Write("main.xml",
        "<Window><VerticalLayout><Include source=\"row.xml\" count=\"2\"/><Control/>"
        "<Include source=\"row.xml\" count=\"0\"/><Include/></VerticalLayout></Window>");
  CManagerWindow window;
  CControlUI* root = window.Attach(u"main.xml");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ChildCount(root), 3);
}

TEST_F(BuilderTest, AnIncludeWithoutParentBecomesTheResult) {
  Write("body.xml", "<Window><VerticalLayout name=\"body\"/></Window>");
  CUISkinBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(u"<Window><Include source=\"body.xml\"/></Window>"));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetName(), u"body");
}

TEST_F(BuilderTest, AFontsFileRegistersItsFontsSharedWhenEitherElementSaysSo) {
  Write("fonts.xml",
        "<Fonts><Font id=\"3\" name=\"Sans\" size=\"14\" bold=\"true\"/>"
        "<Font id=\"4\" name=\"Sans\" size=\"9\" shared=\"true\"/><Font size=\"9\"/></Fonts>");
  CManagerWindow window;
  ASSERT_NE(window.Attach(u"<Window><Fonts xmlfile=\"fonts.xml\"/><Control/></Window>"), nullptr);
  auto& manager = window.Manager();
  EXPECT_EQ(manager.Resources().GetFontCount(false), 1);
  EXPECT_EQ(manager.Resources().GetFontCount(true), 1);
  EXPECT_EQ(manager.GetFontInfo(3)->iSize, 14);
  EXPECT_TRUE(manager.GetFontInfo(3)->bBold);
  EXPECT_EQ(manager.FindFont(u"Sans", 9, false, false, false), 4);

  CManagerWindow second;
  ASSERT_NE(second.Attach(u"<Window><Fonts xmlfile=\"fonts.xml\" shared=\"true\"/><Control/></Window>"),
            nullptr);
  EXPECT_EQ(second.Manager().Resources().GetFontCount(false), 0);
  EXPECT_EQ(second.Manager().Resources().GetFontCount(true), 2);
}

TEST_F(BuilderTest, AFontWithoutIdTakesTheCountOfItsTable) {
  CManagerWindow window;
  window.Attach(
      u"<Window><Font id=\"0\" name=\"Sans\"/><Font id=\"7\" name=\"Sans\" size=\"13\"/>"
      u"<Font id=\"9\" name=\"Sans\" size=\"15\"/><Font name=\"Sans\" size=\"20\" default=\"true\"/>"
      u"<Control/></Window>");
  EXPECT_EQ(window.Manager().GetFontInfo(3)->iSize, 20);
  EXPECT_EQ(window.Manager().Resources().GetDefaultFontInfo()->iSize, 20);
}

TEST_F(BuilderTest, SharedStylesKeepTheFirstLocalOnesTheLastAndLocalHidesShared) {
  CManagerWindow a, b;
  a.Attach(
      u"<Window><Style name=\"s\" value=\"1\" shared=\"true\"/>"
      u"<Style name=\"s\" value=\"2\" shared=\"true\"/><Style name=\"l\" value=\"x\"/>"
      u"<Style name=\"l\" value=\"y\"/><Control/></Window>");
  b.Attach(u"<Window><Style name=\"s\" value=\"3\" shared=\"true\"/><Control/></Window>");
  EXPECT_EQ(a.Manager().Resources().GetStyle(u"s"), u"1");
  EXPECT_EQ(b.Manager().Resources().GetStyle(u"s"), u"1");
  EXPECT_EQ(a.Manager().Resources().GetStyle(u"l"), u"y");
  EXPECT_EQ(b.Manager().Resources().GetStyle(u"l"), u"");
  b.Manager().Resources().AddStyle(u"s", u"local", false);
  EXPECT_EQ(b.Manager().Resources().GetStyle(u"s"), u"local");
  EXPECT_EQ(a.Manager().Resources().GetStyle(u"s"), u"1");
  // Default lists replace in their table; shared fonts keep the first.
  a.Manager().Resources().AddDefaultAttributeList(u"Label", u"a", true);
  b.Manager().Resources().AddDefaultAttributeList(u"Label", u"b", true);
  EXPECT_EQ(a.Manager().Resources().GetDefaultAttributeList(u"Label"), u"b");
  const auto* first = a.Manager().Resources().AddFont(5, u"Sans", 11, false, false, false, true);
  EXPECT_EQ(b.Manager().Resources().AddFont(5, u"Serif", 30, false, false, false, true), first);
}

TEST_F(BuilderTest, DefaultListComesBeforeTheElementAndStyleWhereItStands) {
  CManagerWindow window;
  CControlUI* root = window.Attach(
      u"<Window><Default name=\"Label\" value=\"text=&quot;d&quot; width=&quot;10&quot;\"/>"
      u"<Style name=\"t\" value=\"text=&quot;styled&quot;\"/><VerticalLayout>"
      u"<Label name=\"plain\" width=\"20\"/><Label name=\"after\" text=\"own\" style=\"t\"/>"
      u"<Label name=\"before\" style=\"t\" text=\"own\"/><Label name=\"none\" text=\"own\" style=\"nope\"/>"
      u"</VerticalLayout></Window>");
  ASSERT_NE(root, nullptr);
  auto& manager = window.Manager();
  EXPECT_EQ(manager.FindControl(u"plain")->GetText(), u"d");
  EXPECT_EQ(manager.FindControl(u"plain")->GetFixedWidth(true), 20);
  EXPECT_EQ(manager.FindControl(u"after")->GetText(), u"styled");
  EXPECT_EQ(manager.FindControl(u"before")->GetText(), u"own");
  EXPECT_EQ(manager.FindControl(u"none")->GetText(), u"own");
  EXPECT_EQ(manager.FindControl(u"plain")->GetParent(), root);
}

TEST_F(BuilderTest, UnknownElementsGoToTheCallbackOrAreSkippedWithTheirSubtree) {
  struct CCallback : SkinUI::IDialogBuilderCallback {
    CControlUI* CreateControl(std::u16string_view name) override {
      names.emplace_back(name);
      return name == u"Special" ? new SkinUI::CLabelUI : nullptr;
    }
    std::vector<std::u16string> names;
  } callback;
  CUISkinBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(
      u"<Window><VerticalLayout><Special/><Mystery><Label/></Mystery><Edit/></VerticalLayout></Window>", {},
      &callback));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(callback.names, (std::vector<std::u16string>{u"Special", u"Mystery", u"Edit"}));
  EXPECT_EQ(ChildCount(root.get()), 1);
}

TEST_F(BuilderTest, AParentWithoutContainerEndsTheLevel) {
  CControlUI parent;
  CUISkinBuilder builder;
  EXPECT_EQ(builder.Create(u"<Window><Label/><Label/></Window>", {}, nullptr, nullptr, &parent), nullptr);
}

TEST_F(BuilderTest, UnreadableOrMalformedSkinsBuildNothing) {
  Write("bad.xml", "<Window><Label></Window>");
  CUISkinBuilder builder;
  EXPECT_EQ(builder.Create(u"missing.xml"), nullptr);
  EXPECT_EQ(builder.Create(u"bad.xml"), nullptr);
  EXPECT_EQ(builder.Create(u"<Window/>"), nullptr);
}

TEST_F(BuilderTest, WindowAttributesNeedANativeWindow) {
  CUIPaintManager manager;  // never initialised with a window
  CUISkinBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(
      u"<Window size=\"650,430\" caption=\"0,0,0,30\"><Control/></Window>", {}, nullptr, &manager));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(manager.GetWindowAttributes().initSize.cx, 0);
  EXPECT_EQ(manager.GetWindowAttributes().caption.bottom, 0);
}

TEST_F(BuilderTest, WindowAttributesReachTheManager) {
  CManagerWindow window;
  window.Attach(
      u"<Window size=\"400,300\" sizebox=\"4,4,4,4\" caption=\"0,0,0,32\" roundcorner=\"5,5\" "
      u"mininfo=\"200,100\" maxinfo=\"800,600\" opacity=\"200\" showdirty=\"true\" "
      u"defaultfontcolor=\"#FF112233\" disabledfontcolor=\"#FF445566\" linkfontcolor=\"#FF000001\" "
      u"linkhoverfontcolor=\"#FF000002\" selectedcolor=\"#FF000003\"><Control/></Window>");
  auto& m = window.Manager();
  platform::RECT rc;
  platform::GetWindowRect(window.Hwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 400);
  const SkinUI::TUIWindowAttributes& attributes = m.GetWindowAttributes();
  EXPECT_EQ(attributes.caption, (SkinUI::TUIRect{0, 0, 0, 32}));
  EXPECT_EQ(attributes.sizeBox, (SkinUI::TUIRect{4, 4, 4, 4}));
  EXPECT_EQ(attributes.roundCorner.cx, 5);
  EXPECT_EQ(attributes.minSize.cx, 200);
  EXPECT_EQ(attributes.maxSize.cy, 600);
  EXPECT_EQ(attributes.opacity, 200);
  EXPECT_TRUE(attributes.showUpdateRect);
  EXPECT_EQ(m.Resources().Colors().font, 0xFF112233u);
  EXPECT_EQ(m.Resources().Colors().disabledFont, 0xFF445566u);
  EXPECT_EQ(m.GetSelectedBkColor(), 0xFF000003u);
  // The window shows every size of the skin at its scale, its limits too.
  m.SetDPI(192);
  const SkinUI::TUIWindowAttributes scaled = m.GetScaledWindowAttributes();
  EXPECT_EQ(scaled.caption.bottom, 64);
  EXPECT_EQ(scaled.minSize.cx, 400);
  EXPECT_EQ(scaled.maxSize.cy, 1200);
  m.SetDPI(96);
  // With a root attached, a new size is stored without resizing.
  window.Attach(u"<Window size=\"650,430\"><Control/></Window>");
  platform::GetWindowRect(window.Hwnd(), &rc);
  EXPECT_EQ(rc.right - rc.left, 400);
  EXPECT_EQ(m.GetWindowAttributes().initSize.cx, 650);
}

struct TDpiCase {
  unsigned dpi;
  platform::RECT monitor;  // its work area too
  int scale;
  int width;
  int height;
};

class BuilderDpiTest : public BuilderTest, public ::testing::WithParamInterface<TDpiCase> {
 protected:
  void TearDown() override {
    platform::testing::SetTestMonitor({0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96);
    BuilderTest::TearDown();
  }
};

TEST_P(BuilderDpiTest, TheWindowIsScaledFromItsTopLeft) {
  if (!platform::testing::SetTestMonitor(GetParam().monitor, GetParam().monitor, GetParam().dpi)) {
    GTEST_SKIP() << "the monitor's DPI can be set only on the headless backend";
  }
  CManagerWindow window(100, 100, 40, 30);
  ASSERT_NE(window.Attach(u"<Window size=\"650,430\"><Control/></Window>"), nullptr);
  platform::RECT rc;
  platform::GetWindowRect(window.Hwnd(), &rc);
  EXPECT_EQ(window.Manager().GetDPIScale(), GetParam().scale);
  EXPECT_EQ((std::vector<int>{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}),
            (std::vector<int>{40, 30, GetParam().width, GetParam().height}));
}

INSTANTIATE_TEST_SUITE_P(Dpi, BuilderDpiTest,
                         ::testing::Values(TDpiCase{96, {0, 0, 1920, 1080}, 100, 650, 430},
                                           TDpiCase{144, {0, 0, 1920, 1080}, 150, 975, 645},
                                           TDpiCase{192, {0, 0, 1920, 1080}, 200, 1300, 860},
                                           // 200 % does not fit: the largest 25 % step that does
                                           TDpiCase{192, {0, 0, 1280, 800}, 175, 1138, 753},
                                           TDpiCase{288, {0, 0, 1280, 1024}, 175, 1138, 753},
                                           // below 100 % on a screen smaller than the skin, down to 50 %
                                           TDpiCase{120, {0, 0, 640, 480}, 75, 488, 323},
                                           TDpiCase{96, {0, 0, 320, 240}, 50, 325, 215}));

}  // namespace
}  // namespace skinui_test
