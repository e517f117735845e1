// The control tree as screen readers read it: which controls are read, in
// which order, with which role, name, value, state and place; the default
// action and the focus; and elements whose control or window is gone.
#include <gtest/gtest.h>

#include "common/text.h"
#include "manager_support.h"
#include "platform/window/window_messages.h"
#include "skinui/manager/ui_accessible_content.h"

namespace skinui_test {
namespace {

using platform::EAccessibleRole;
using platform::TAccessibleElement;

// A title, a page with html text, a button with text and one with a
// tooltip only, a progress bar; an image, a spacer and a hidden label that
// are not read.
constexpr char16_t kSkin[] =
    u"<Window size=\"300,200\"><VerticalLayout>"
    u"<HorizontalLayout height=\"40\"><Label name=\"title\" text=\"Title\" width=\"100\"/><Control/>"
    u"<Button name=\"min\" tooltip=\"Minimise\" width=\"40\" keyboard=\"true\"/></HorizontalLayout>"
    u"<Label name=\"html\" showhtml=\"true\" height=\"40\" text=\"{c #969696}Loading...  {/c}{c "
    u"#23bf04}42%{/c}\"/>"
    u"<Label name=\"hidden\" text=\"Hidden\" visible=\"false\"/>"
    u"<Control bkcolor=\"#FF00FF00\" height=\"20\"/>"
    u"<Button name=\"go\" text=\"Go\" height=\"40\" keyboard=\"true\" default=\"true\"/>"
    u"<Progress name=\"bar\" min=\"0\" max=\"200\" value=\"85\" height=\"20\"/>"
    u"</VerticalLayout></Window>";

struct TRead {
  EAccessibleRole role;
  std::string name;
  std::string value;
  std::string action;
  uint32_t state;
};

class AccessibleContentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(m_window.Attach(kSkin), nullptr);
    m_window.Manager().AddNotifier(&m_log);
    platform::SetWindowText(m_window.Hwnd(), u"The window");
    m_window.Paint();
  }
  TRead Read(int32_t id) {
    TAccessibleElement e;
    EXPECT_TRUE(m_content.Describe(id, &e));
    return {e.role, Utf16ToUtf8(e.name), Utf16ToUtf8(e.value), Utf16ToUtf8(e.defaultAction), e.state};
  }
  int32_t IdOf(std::u16string_view name) { return m_window.Manager().FindControl(name)->GetAccessibleId(); }

  CManagerWindow m_window;
  CNotifyLog m_log;
  SkinUI::CUIAccessibleContent m_content{m_window.Manager()};
};

TEST_F(AccessibleContentTest, TheWindowHoldsEveryVisibleControlThatDescribesItselfInTreeOrder) {
  TAccessibleElement window;
  ASSERT_TRUE(m_content.Describe(platform::kAccessibleSelf, &window));
  EXPECT_EQ(window.role, EAccessibleRole::kClient);
  EXPECT_EQ(window.name, u"The window");
  const std::vector<int32_t> children = m_content.GetChildren(platform::kAccessibleSelf);
  ASSERT_EQ(children,
            (std::vector<int32_t>{IdOf(u"title"), IdOf(u"min"), IdOf(u"html"), IdOf(u"go"), IdOf(u"bar")}));
  const std::vector<std::tuple<EAccessibleRole, std::string, std::string, std::string, uint32_t>> expected{
      {EAccessibleRole::kStaticText, "Title", "", "", 0},
      {EAccessibleRole::kPushButton, "Minimise", "", "press", platform::kAccessibleFocusable},
      {EAccessibleRole::kStaticText, "Loading...  42%", "", "", 0},
      {EAccessibleRole::kPushButton, "Go", "", "press",
       platform::kAccessibleFocusable | platform::kAccessibleFocused},
      {EAccessibleRole::kProgressBar, "", "42%", "", 0}};
  for (size_t i = 0; i < children.size(); ++i) {
    const TRead r = Read(children[i]);
    EXPECT_EQ(std::tie(r.role, r.name, r.value, r.action, r.state),
              std::tie(std::get<0>(expected[i]), std::get<1>(expected[i]), std::get<2>(expected[i]),
                       std::get<3>(expected[i]), std::get<4>(expected[i])))
        << i;
    EXPECT_EQ(m_content.GetParent(children[i]), platform::kAccessibleSelf);
  }
  TAccessibleElement go;
  ASSERT_TRUE(m_content.Describe(IdOf(u"go"), &go));
  EXPECT_EQ(go.client.top, 100);
  EXPECT_EQ(go.client.bottom, 140);
  EXPECT_EQ(m_content.HitTest({150, 120}), IdOf(u"go"));
  EXPECT_EQ(m_content.HitTest({150, 90}), platform::kAccessibleSelf);  // the spacer is not read
  EXPECT_EQ(m_content.HitTest({150, 500}), platform::kAccessibleNone);
  // Hidden and disabled controls say so.
  m_window.Manager().FindControl(u"go")->SetEnabled(false);
  m_window.Manager().FindControl(u"bar")->SetVisible(false);
  EXPECT_EQ(Read(IdOf(u"go")).state & platform::kAccessibleUnavailable, platform::kAccessibleUnavailable);
  EXPECT_EQ(Read(IdOf(u"bar")).state & platform::kAccessibleInvisible, platform::kAccessibleInvisible);
  EXPECT_EQ(m_content.GetChildren(platform::kAccessibleSelf).size(), 4u);
}

TEST_F(AccessibleContentTest, TheDefaultActionClicksAndFocusMovesOnlyToTabStops) {
  m_log.Clear();
  EXPECT_TRUE(m_content.DoDefaultAction(IdOf(u"min")));
  EXPECT_FALSE(m_content.DoDefaultAction(IdOf(u"title")));  // a text has no action
  EXPECT_TRUE(m_content.TakeFocus(IdOf(u"min")));
  EXPECT_FALSE(m_content.TakeFocus(IdOf(u"html")));
  EXPECT_EQ(m_content.GetFocus(), IdOf(u"min"));
  EXPECT_EQ(m_log.Items(), (std::vector<std::string>{"click:min", "killfocus:go", "setfocus:min"}));
}

TEST_F(AccessibleContentTest, ElementsOfDestroyedControlsAndWindowsNoLongerExist) {
  const int32_t go = IdOf(u"go");
  const int32_t bar = IdOf(u"bar");
  m_window.Attach(kSkin);  // the first tree is destroyed on the next cleanup
  m_window.Send(SkinUI::CUIPaintManager::kMsgDelayedCleanup);
  TAccessibleElement element;
  EXPECT_FALSE(m_content.Describe(go, &element));
  EXPECT_FALSE(m_content.DoDefaultAction(go));
  EXPECT_FALSE(m_content.TakeFocus(bar));
  EXPECT_EQ(m_content.GetParent(go), platform::kAccessibleNone);
  EXPECT_NE(IdOf(u"go"), go);             // ids are never reused
  EXPECT_TRUE(m_content.HasExisted(go));  // gone, not unknown
  platform::DestroyWindow(m_window.Hwnd());
  EXPECT_FALSE(m_content.Describe(platform::kAccessibleSelf, &element));
  EXPECT_TRUE(m_content.HasExisted(platform::kAccessibleSelf));
  EXPECT_TRUE(m_content.GetChildren(platform::kAccessibleSelf).empty());
}

TEST_F(AccessibleContentTest, IdsThatNeverNamedAnElementAreToldApartFromGoneOnes) {
  const int32_t newest = IdOf(u"bar");
  EXPECT_TRUE(m_content.HasExisted(newest));
  EXPECT_TRUE(m_content.HasExisted(platform::kAccessibleSelf));
  for (const int32_t unknown : {newest + 1000000, INT32_MAX, -1, -newest, INT32_MIN}) {
    TAccessibleElement element;
    EXPECT_FALSE(m_content.Describe(unknown, &element)) << unknown;
    EXPECT_FALSE(m_content.HasExisted(unknown)) << unknown;
  }
}

}  // namespace
}  // namespace skinui_test
