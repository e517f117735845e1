// The control model: attributes, scaling, placement, visibility, finding,
// events and callbacks, on controls attached to a windowless paint manager.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skinui/control/label.h"
#include "skinui/control/progress.h"
#include "skinui/control/user_data_format.h"
#include "skinui/layout/tab_layout.h"
#include "skinui/layout/vertical_layout.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/render/render_engine.h"

namespace SkinUI {
namespace {

// Records every notification the manager delivers.
class CRecorder : public INotifyUI {
 public:
  void Notify(TUINotify& msg) override { seen.push_back({msg.sType, msg.wParam, msg.lParam}); }
  struct TSeen {
    std::u16string type;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const TSeen&) const = default;
  };
  // The notifications of one type.
  std::vector<TSeen> Of(std::u16string_view type) const {
    std::vector<TSeen> out;
    for (const TSeen& s : seen) {
      if (s.type == type) out.push_back(s);
    }
    return out;
  }
  std::vector<TSeen> seen;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_manager.AddNotifier(&m_recorder)); }
  // A vertical root of 200 x 100 with the given children, attached.
  CVerticalLayoutUI* Root() {
    m_root = std::make_unique<CVerticalLayoutUI>();
    EXPECT_TRUE(m_manager.InitControls(m_root.get()));
    return m_root.get();
  }
  void SetScale(int percent) { m_manager.SetDPI(percent * 96 / 100); }

  CUIPaintManager m_manager;  // first: controls report their destruction to it
  CRecorder m_recorder;
  std::unique_ptr<CVerticalLayoutUI> m_root;
};

TEST_F(ControlTest, NegativeWidthLeavesTheFixedWidth) {
  CControlUI c;
  c.SetAttribute(u"width", u"30");
  c.SetAttribute(u"width", u"-5");
  EXPECT_EQ(c.GetFixedWidth(), 30);
}

TEST_F(ControlTest, PosWithNegativeLeftTakesTheRightAsPosition) {
  CControlUI c;
  c.SetAttribute(u"pos", u"-20,10,0,30");
  EXPECT_EQ(c.GetFixedXY().cx, 0);
  EXPECT_EQ(c.GetFixedXY().cy, 10);
  EXPECT_EQ(c.GetFixedWidth(), 20);
  EXPECT_EQ(c.GetFixedHeight(), 20);
}

TEST_F(ControlTest, SingleBorderSizeZeroesSidesOnlyWhenLast) {
  CControlUI sidesThenSize, sizeThenSides;
  sidesThenSize.ApplyAttributeList(u"bordersize=\"1,0,1,0\" bordersize=\"2\"");
  sizeThenSides.ApplyAttributeList(u"bordersize=\"2\" bordersize=\"1,0,1,0\"");
  EXPECT_EQ(sidesThenSize.GetSideBorderSize(), (TUIRect{0, 0, 0, 0}));
  EXPECT_EQ(sidesThenSize.GetBorderSize(), 2);
  EXPECT_EQ(sizeThenSides.GetSideBorderSize(), (TUIRect{1, 0, 1, 0}));
  EXPECT_EQ(sizeThenSides.GetBorderSize(), 2);
}

TEST_F(ControlTest, AttributeListStopsAtAnythingButOneBlank) {
  struct TCase {
    const char16_t* list;
    const char16_t* name;
    const char16_t* text;
  } cases[] = {
      {u"name=\"a\" text=\"b\"", u"a", u"b"},
      {u"name=\"a\"  text=\"b\"", u"a", u""},  // two blanks
      {u"name=\"a\",text=\"b\"", u"a", u""},   // a comma
      {u"name=a text=\"b\"", u"", u""},        // no quote after '='
      {u"name=\"a\" text=\"b", u"a", u""},     // no closing quote
      {u"name = \"a\"", u"", u""},             // '=' not followed by a quote
  };
  for (const TCase& t : cases) {
    CControlUI c;
    c.ApplyAttributeList(t.list);
    EXPECT_EQ(c.GetName(), t.name);
    EXPECT_EQ(c.GetText(), t.text);
  }
}

TEST_F(ControlTest, TooltipLineBreaksAndFlags) {
  CControlUI c;
  c.ApplyAttributeList(
      u"tooltip=\"a<n>b\" shortcut=\"Xy\" menu=\"true\" keyboard=\"true\" mouse=\"false\" enabled=\"no\"");
  EXPECT_EQ(c.GetToolTip(), u"a\r\nb");
  EXPECT_EQ(c.GetShortcut(), u'X');
  EXPECT_TRUE(c.IsContextMenuUsed());
  EXPECT_TRUE(c.IsKeyboardEnabled());
  EXPECT_FALSE(c.IsMouseEnabled());
  EXPECT_FALSE(c.IsEnabled());
}

TEST_F(ControlTest, StyleAppliesTheRegisteredList) {
  m_manager.Resources().AddStyle(u"big", u"width=\"70\" height=\"20\"", false);
  CControlUI c;
  c.SetManager(&m_manager, nullptr, false);
  c.ApplyAttributeList(u"height=\"5\" style=\"big\" style=\"unknown\"");
  EXPECT_EQ(c.GetFixedWidth(), 70);
  EXPECT_EQ(c.GetFixedHeight(), 20);
}

TEST_F(ControlTest, ScalingRoundsHalvesAwayFromZeroAndSaturatesTheCeiling) {
  struct TCase {
    int scale, value, scaled;
  } cases[] = {{150, 1, 2},
               {150, 3, 5},
               {150, -3, -5},
               {125, 2, 3},
               {100, 7, 7},
               {200, kUIMaxSize, kUIMaxSize},
               {300, 0x30000000, kUIMaxSize},
               {150, kUIMaxSize, kUIMaxSize}};
  for (const TCase& t : cases) {
    SetScale(t.scale);
    CControlUI c;
    c.SetManager(&m_manager, nullptr, false);
    EXPECT_EQ(c.Scale(t.value), t.scaled) << t.scale << "% of " << t.value;
    EXPECT_EQ(c.GetMaxWidth(), kUIMaxSize) << "the default maximum at " << t.scale << "%";
  }
}

TEST_F(ControlTest, PaddingScalesAsARectangle) {
  SetScale(150);
  CControlUI c;
  c.SetManager(&m_manager, nullptr, false);
  c.SetPadding({1, 3, 4, 6});
  // left' = S(1) = 2, top' = S(3) = 5, right' = 2 + S(3) = 7, bottom' = 5 + S(3) = 10
  EXPECT_EQ(c.GetPadding(), (TUIRect{2, 5, 7, 10}));
}

TEST_F(ControlTest, SetPosNormalisesAndPlacesFloatingControlsRelativeToTheParent) {
  CVerticalLayoutUI* root = Root();
  auto* floating = new CControlUI;
  floating->SetFloat(true);
  floating->SetFloatPercent({0.5, 0, 0.5, 0});
  ASSERT_TRUE(root->Add(floating));
  root->SetPos({10, 20, 210, 120});
  floating->SetPos({5, 6, 25, 16});
  EXPECT_EQ(floating->GetPos(), (TUIRect{15, 26, 35, 36}));
  // Fixed values recomputed so that the next layout gives the same place.
  EXPECT_EQ(floating->GetFixedXY().cx, 5 - 100);
  EXPECT_EQ(floating->GetFixedWidth(), 20);
  root->SetPos({10, 20, 210, 120});
  EXPECT_EQ(floating->GetPos(), (TUIRect{15, 26, 35, 36}));

  CControlUI plain;
  plain.SetPos({50, 50, 40, 30});
  EXPECT_EQ(plain.GetPos(), (TUIRect{50, 50, 50, 50}));
}

TEST_F(ControlTest, FloatingChildAtScaleIsNotScaledTwice) {
  SetScale(150);
  CVerticalLayoutUI* root = Root();
  auto* floating = new CControlUI;
  floating->ApplyAttributeList(u"float=\"0.5,0,0.5,0\" pos=\"0,0,20,10\"");
  ASSERT_TRUE(root->Add(floating));
  root->SetPos({0, 0, 300, 150});
  // Half the 300-pixel width, then the 20 x 10 size at 150 %.
  EXPECT_EQ(floating->GetPos(), (TUIRect{150, 0, 180, 15}));
}

TEST_F(ControlTest, FindControlFlags) {
  auto any = [](CControlUI* c, void*) -> CControlUI* { return c; };
  CControlUI c;
  c.SetPos({0, 0, 10, 10});
  TUIPoint inside{5, 5}, outside{20, 5};
  EXPECT_EQ(c.FindControl(any, &inside, kFindHitTest), &c);
  EXPECT_EQ(c.FindControl(any, &outside, kFindHitTest), nullptr);
  c.SetVisible(false);
  EXPECT_EQ(c.FindControl(any, &inside, kFindVisible | kFindHitTest), nullptr);
  EXPECT_EQ(c.FindControl(any, &inside, kFindHitTest), &c);
  c.SetVisible(true);
  c.SetEnabled(false);
  EXPECT_EQ(c.FindControl(any, &inside, kFindEnabled), nullptr);
  c.SetEnabled(true);
  c.SetMouseEnabled(false);
  EXPECT_EQ(c.FindControl(any, &inside, kFindHitTest), nullptr);
  EXPECT_EQ(c.FindControl(any, &inside, kFindVisible), &c);
}

TEST_F(ControlTest, ContainerSearchesTopFirstAndRespectsMouseChild) {
  CVerticalLayoutUI* root = Root();
  auto* lower = new CControlUI;
  auto* upper = new CControlUI;
  lower->ApplyAttributeList(u"float=\"true\" pos=\"0,0,50,50\"");
  upper->ApplyAttributeList(u"float=\"true\" pos=\"10,10,60,60\"");
  ASSERT_TRUE(root->Add(lower) && root->Add(upper));
  root->SetPos({0, 0, 200, 100});
  TUIPoint p{20, 20};
  EXPECT_EQ(m_manager.FindSubControlByPoint(root, p), upper);
  auto any = [](CControlUI* c, void*) -> CControlUI* { return c; };
  EXPECT_EQ(root->FindControl(any, &p, kFindHitTest), lower);
  EXPECT_EQ(root->FindControl(any, &p, kFindHitTest | kFindMeFirst), root);
  root->SetMouseChildEnabled(false);
  EXPECT_EQ(root->FindControl(any, &p, kFindHitTest | kFindTopFirst), root);
}

TEST_F(ControlTest, HidingTheFocusedControlClearsTheFocus) {
  CVerticalLayoutUI* root = Root();
  auto* c = new CControlUI;
  ASSERT_TRUE(root->Add(c));
  c->SetFocus();
  ASSERT_EQ(m_manager.GetFocus(), c);
  EXPECT_TRUE(c->IsFocused());
  c->SetVisible(false);
  EXPECT_EQ(m_manager.GetFocus(), nullptr);
  EXPECT_FALSE(c->IsFocused());
}

TEST_F(ControlTest, HiddenContainerKeepsTheChildrensOwnFlags) {
  CVerticalLayoutUI* root = Root();
  auto* box = new CVerticalLayoutUI;
  auto* leaf = new CControlUI;
  ASSERT_TRUE(box->Add(leaf) && root->Add(box));
  box->SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  box->SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
  root->SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  auto* late = new CControlUI;  // added while the container is hidden
  ASSERT_TRUE(box->Add(late));
  EXPECT_FALSE(late->IsVisible());
}

TEST_F(ControlTest, EventCallbacksStopAtTheFirstFalse) {
  CControlUI c;
  c.SetManager(&m_manager, nullptr, false);
  std::vector<int> calls;
  c.OnEvent.Add([&](TUIEvent&) {
    calls.push_back(1);
    return true;
  });
  int second = c.OnEvent.Add([&](TUIEvent&) {
    calls.push_back(2);
    return false;
  });
  c.OnEvent.Add([&](TUIEvent&) {
    calls.push_back(3);
    return true;
  });
  TUIEvent timer;
  timer.type = kEventTimer;
  timer.wParam = 7;
  c.Event(timer);
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
  EXPECT_TRUE(m_recorder.seen.empty()) << "the timer hook must not run";
  c.OnEvent.Remove(second);
  c.Event(timer);
  ASSERT_EQ(m_recorder.seen.size(), 1u);
  EXPECT_EQ(m_recorder.seen[0], (CRecorder::TSeen{u"timer", 7, 0}));
}

TEST_F(ControlTest, InitSizeAndDestroyCallbacks) {
  std::vector<std::string> fired;
  {
    CVerticalLayoutUI* root = Root();
    auto* c = new CControlUI;
    c->OnInit.Add([&](CControlUI*) {
      fired.push_back("init");
      return true;
    });
    c->OnSize.Add([&](CControlUI*) {
      fired.push_back("size");
      return true;
    });
    c->OnDestroy.Add([&](CControlUI*) {
      fired.push_back("destroy");
      return true;
    });
    ASSERT_TRUE(root->Add(c));
    root->SetPos({0, 0, 10, 10});
    m_root.reset();
  }
  EXPECT_EQ(fired, (std::vector<std::string>{"init", "size", "destroy"}));
}

TEST_F(ControlTest, ContextMenuNotifiesOnlyWhenUsed) {
  CVerticalLayoutUI* root = Root();
  auto* c = new CControlUI;
  ASSERT_TRUE(root->Add(c));
  TUIEvent menu;
  menu.type = kEventContextMenu;
  menu.wParam = 3;
  menu.lParam = 4;
  c->Event(menu);
  EXPECT_TRUE(m_recorder.seen.empty());
  c->SetContextMenuUsed(true);
  c->Event(menu);
  ASSERT_EQ(m_recorder.seen.size(), 1u);
  EXPECT_EQ(m_recorder.seen[0], (CRecorder::TSeen{u"menu", 3, 4}));
}

TEST_F(ControlTest, RemovedChildIsDestroyedThroughDelayedCleanup) {
  CVerticalLayoutUI* root = Root();
  auto* c = new CControlUI;
  bool destroyed = false;
  c->OnDestroy.Add([&](CControlUI*) {
    destroyed = true;
    return true;
  });
  ASSERT_TRUE(root->Add(c));
  EXPECT_FALSE(root->Add(nullptr));
  CControlUI stranger;
  EXPECT_FALSE(root->Remove(&stranger));
  ASSERT_TRUE(root->Remove(c));
  EXPECT_FALSE(destroyed) << "destroyed at the next delayed-cleanup message";
  EXPECT_EQ(c->GetParent(), nullptr);
  root->SetDelayedDestroy(false);
  auto* d = new CControlUI;
  bool gone = false;
  d->OnDestroy.Add([&](CControlUI*) {
    gone = true;
    return true;
  });
  ASSERT_TRUE(root->Add(d) && root->RemoveAt(0));
  EXPECT_TRUE(gone);
  root->SetAutoDestroy(false);
  std::unique_ptr<CControlUI> kept(new CControlUI);
  ASSERT_TRUE(root->Add(kept.get()) && root->Remove(kept.get()));
  EXPECT_EQ(kept->GetParent(), nullptr) << "handed back unparented, not destroyed";
  EXPECT_EQ(root->GetCount(), 0);
}

TEST_F(ControlTest, TabSelectionNotifiesOnlyOnChange) {
  auto tabs = std::make_unique<CTabLayoutUI>();
  auto* page0 = new CControlUI;
  auto* page1 = new CControlUI;
  auto* page2 = new CControlUI;
  ASSERT_TRUE(tabs->Add(page0) && tabs->Add(page1) && tabs->Add(page2));
  ASSERT_TRUE(m_manager.InitControls(tabs.get()));
  EXPECT_EQ(tabs->GetCurSel(), 0);
  EXPECT_FALSE(page1->IsVisible());
  EXPECT_TRUE(tabs->SelectItem(0));
  EXPECT_TRUE(m_recorder.seen.empty());
  EXPECT_FALSE(tabs->SelectItem(3));
  EXPECT_TRUE(tabs->SelectItem(2));
  EXPECT_EQ(m_recorder.Of(u"tabselect"), (std::vector<CRecorder::TSeen>{{u"tabselect", 2, 0}}));
  EXPECT_EQ(m_manager.GetFocus(), page2);
  EXPECT_TRUE(page2->IsVisible());
  EXPECT_FALSE(page0->IsVisible());
  tabs->SetDelayedDestroy(false);
  ASSERT_TRUE(tabs->Remove(page0));
  EXPECT_EQ(tabs->GetCurSel(), 1) << "a page removed before the selection moves it";
  ASSERT_TRUE(tabs->Remove(page2));
  EXPECT_EQ(tabs->GetCurSel(), 0);
  EXPECT_TRUE(page1->IsVisible());
  tabs.reset();
}

TEST_F(ControlTest, TabPageInsertedBeforeTheSelectionKeepsTheSelection) {
  CTabLayoutUI tabs;
  auto* first = new CControlUI;
  auto* inserted = new CControlUI;
  ASSERT_TRUE(tabs.Add(first));
  ASSERT_TRUE(tabs.AddAt(inserted, 0));
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(tabs.GetItemAt(tabs.GetCurSel()), first);
  EXPECT_FALSE(inserted->IsVisible());
}

TEST_F(ControlTest, LabelAlignmentAttributes) {
  struct TCase {
    const char16_t* name;
    const char16_t* value;
    uint32_t style;
  } cases[] = {
      {u"align", u"left center", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
      {u"align", u"right", DT_RIGHT | DT_VCENTER | DT_SINGLELINE},
      {u"valign", u"vcenter", DT_VCENTER | DT_SINGLELINE},
      {u"valign", u"top", DT_SINGLELINE},
      {u"valign", u"bottom", DT_BOTTOM | DT_SINGLELINE},
      {u"singleline", u"false", DT_VCENTER},
      {u"endellipsis", u"true", DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS},
      {u"pathellipsis", u"true", DT_VCENTER | DT_SINGLELINE | kTextPathEllipsis},
  };
  for (const TCase& t : cases) {
    CLabelUI label;
    label.SetAttribute(t.name, t.value);
    EXPECT_EQ(label.GetTextStyle(), t.style);
  }
}

TEST_F(ControlTest, NewTextLaysTheParentOutOnlyWhenItCanChangeTheSize) {
  CVerticalLayoutUI* root = Root();
  auto* sized = new CLabelUI;
  auto* stretched = new CLabelUI;
  sized->ApplyAttributeList(u"width=\"80\" height=\"20\"");
  stretched->ApplyAttributeList(u"height=\"20\"");
  ASSERT_TRUE(root->Add(sized) && root->Add(stretched));
  root->SetPos({0, 0, 200, 100});
  sized->SetText(u"50%");
  EXPECT_FALSE(root->IsUpdateNeeded());
  EXPECT_EQ(sized->GetText(), u"50%");
  stretched->SetText(u"50%");
  EXPECT_TRUE(root->IsUpdateNeeded());
}

TEST_F(ControlTest, SingleLineLabelIsItsFontHeightPlusEightHigh) {
  CVerticalLayoutUI* root = Root();
  auto* label = new CLabelUI;
  auto* padded = new CLabelUI;
  label->SetText(u"Update");
  padded->ApplyAttributeList(u"text=\"Update\" textpadding=\"4,3,6,2\"");
  ASSERT_TRUE(root->Add(label) && root->Add(padded));
  const TUIFontInfo* font = m_manager.GetFontInfo(-1);
  ASSERT_NE(font, nullptr);
  TUISize s = label->EstimateSize({500, 500});
  EXPECT_EQ(s.cy, font->tm.height + 8);
  EXPECT_GT(s.cx, 0);
  TUISize p = padded->EstimateSize({500, 500});
  EXPECT_EQ(p.cy, font->tm.height + 8 + 5);
  EXPECT_EQ(p.cx, s.cx + 10);
}

TEST_F(ControlTest, MultiLineLabelGrowsWithItsLines) {
  CVerticalLayoutUI* root = Root();
  auto* one = new CLabelUI;
  auto* two = new CLabelUI;
  one->ApplyAttributeList(u"singleline=\"false\" text=\"line\"");
  two->ApplyAttributeList(u"singleline=\"false\" showhtml=\"true\" text=\"line{n}line\"");
  ASSERT_TRUE(root->Add(one) && root->Add(two));
  TUISize a = one->EstimateSize({300, 300}), b = two->EstimateSize({300, 300});
  EXPECT_GT(a.cy, 0);
  EXPECT_EQ(b.cy, 2 * a.cy);
  EXPECT_EQ(b.cx, a.cx);
}

TEST_F(ControlTest, ProgressSettersAndInterfaces) {
  CProgressUI bar;
  bar.ApplyAttributeList(u"min=\"10\" max=\"20\" value=\"15\" hor=\"false\" isstretchfore=\"false\"");
  EXPECT_EQ(bar.GetMinValue(), 10);
  EXPECT_EQ(bar.GetMaxValue(), 20);
  EXPECT_EQ(bar.GetValue(), 15);
  EXPECT_FALSE(bar.IsHorizontal());
  EXPECT_FALSE(bar.IsStretchForeImage());
  EXPECT_EQ(bar.GetFixedHeight(), 12);
  EXPECT_EQ(bar.GetClass(), u"Progress");
  EXPECT_NE(bar.GetInterface(u"Label"), nullptr);
  EXPECT_NE(bar.GetInterface(u"Control"), nullptr);
  EXPECT_EQ(bar.GetInterface(u"Button"), nullptr);
}

TEST_F(ControlTest, UserDataFormat) {
  EXPECT_EQ(FormatUserData(u"%s 在线升级", {std::u16string(u"奥凡")}), u"奥凡 在线升级");
  EXPECT_EQ(FormatUserData(u"{c #23bf04}%d%%{/c}", {42LL}), u"{c #23bf04}42%{/c}");
  EXPECT_EQ(FormatUserData(u"%d and %s, %x", {-3LL}), u"-3 and , %x");
  EXPECT_EQ(FormatUserData(u"100%", {}), u"100%");
}

}  // namespace
}  // namespace SkinUI
