// The button's events: click on release inside, space and carriage return,
// disabled and mouse-disabled buttons.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skinui/control/button.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/layout/vertical_layout.h"

namespace SkinUI {
namespace {

// A layout that records the events its children pass up.
class CRecordingLayout : public CVerticalLayoutUI {
 public:
  std::vector<int> passed;

 protected:
  void OnMouseEnter(TUIEvent& event) override { passed.push_back(event.type); }
  void OnMouseLeave(TUIEvent& event) override { passed.push_back(event.type); }
  void OnMouseMove(TUIEvent& event) override { passed.push_back(event.type); }
  void OnButtonDown(TUIEvent& event) override { passed.push_back(event.type); }
  void OnButtonUp(TUIEvent& event) override { passed.push_back(event.type); }
  void OnKeyDown(TUIEvent& event) override { passed.push_back(event.type); }
};

class ButtonEventTest : public ::testing::Test, public INotifyUI {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_manager.AddNotifier(this));
    m_root = std::make_unique<CRecordingLayout>();
    m_button = new CButtonUI;
    m_button->SetFixedHeight(20);
    ASSERT_TRUE(m_root->Add(m_button));
    ASSERT_TRUE(m_manager.InitControls(m_root.get()));
    m_root->SetPos({0, 0, 100, 50});
  }
  void Notify(TUINotify& msg) override {
    if (msg.sType == u"click") ++m_clicks;
  }
  void Send(int type, TUIPoint at = {10, 10}, char16_t key = 0) {
    TUIEvent e;
    e.type = type;
    e.mouse = at;
    e.key = key;
    e.sender = m_button;
    m_button->Event(e);
  }

  CUIPaintManager m_manager;
  std::unique_ptr<CRecordingLayout> m_root;
  CButtonUI* m_button = nullptr;
  int m_clicks = 0;
};

TEST_F(ButtonEventTest, ClickOnReleaseInside) {
  Send(kEventButtonDown);
  EXPECT_EQ(m_button->GetButtonState() & kButtonPushed, kButtonPushed);
  EXPECT_EQ(m_clicks, 0);
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 1);
  EXPECT_EQ(m_button->GetButtonState() & (kButtonPushed | kButtonCaptured), 0u);
}

TEST_F(ButtonEventTest, NoClickWhenReleasedOutside) {
  Send(kEventButtonDown);
  Send(kEventMouseMove, {10, 40});
  EXPECT_EQ(m_button->GetButtonState() & kButtonPushed, 0u) << "pushed follows the pointer";
  Send(kEventMouseMove, {10, 10});
  EXPECT_EQ(m_button->GetButtonState() & kButtonPushed, kButtonPushed);
  Send(kEventMouseMove, {10, 40});
  Send(kEventButtonUp, {10, 40});
  EXPECT_EQ(m_clicks, 0);
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 0) << "a release without a press";
  Send(kEventButtonDown, {10, 40});
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 0) << "a press outside";
}

TEST_F(ButtonEventTest, SpaceAndCarriageReturnOnlyWhenKeyboardEnabled) {
  Send(kEventKeyDown, {}, u' ');
  EXPECT_EQ(m_clicks, 0);
  EXPECT_EQ(m_button->GetControlFlags(), uint32_t{kControlFlagSetCursor});
  m_button->SetAttribute(u"keyboard", u"true");
  EXPECT_EQ(m_button->GetControlFlags(), uint32_t{kControlFlagSetCursor | kControlFlagTabStop});
  Send(kEventKeyDown, {}, u' ');
  Send(kEventKeyDown, {}, u'\r');
  Send(kEventKeyDown, {}, u'a');
  EXPECT_EQ(m_clicks, 2);
}

TEST_F(ButtonEventTest, DisabledButtonGetsNothing) {
  m_button->SetAttribute(u"keyboard", u"true");
  m_button->SetEnabled(false);
  Send(kEventMouseEnter);
  Send(kEventButtonDown);
  Send(kEventButtonUp);
  Send(kEventKeyDown, {}, u'\r');
  EXPECT_EQ(m_clicks, 0);
  EXPECT_EQ(m_button->GetButtonState() & ~kButtonDisabled, 0u);
  EXPECT_EQ(m_button->GetControlFlags(), uint32_t{kControlFlagTabStop});
  EXPECT_FALSE(m_button->Activate());
}

TEST_F(ButtonEventTest, DisablingClearsTheState) {
  Send(kEventMouseEnter);
  Send(kEventButtonDown);
  ASSERT_NE(m_button->GetButtonState(), 0u);
  m_button->SetEnabled(false);
  EXPECT_EQ(m_button->GetButtonState(), 0u);
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 0);
}

TEST_F(ButtonEventTest, MouseDisabledButtonPassesMouseEventsToItsParent) {
  m_button->SetAttribute(u"mouse", u"false");
  Send(kEventMouseEnter);
  Send(kEventButtonDown);
  Send(kEventButtonUp);
  EXPECT_EQ(m_button->GetButtonState() & kButtonHot, 0u);
  EXPECT_EQ(m_clicks, 0);
  EXPECT_EQ(m_root->passed, (std::vector<int>{kEventMouseEnter, kEventButtonDown, kEventButtonUp}));
}

TEST_F(ButtonEventTest, HotFollowsEnterAndLeave) {
  Send(kEventMouseEnter);
  EXPECT_EQ(m_button->GetButtonState() & kButtonHot, kButtonHot);
  Send(kEventMouseLeave);
  EXPECT_EQ(m_button->GetButtonState() & kButtonHot, 0u);
}

TEST_F(ButtonEventTest, EventCallbackReturningFalseStopsTheClick) {
  int id = m_button->OnEvent.Add([](TUIEvent& e) { return e.type != kEventButtonUp; });
  Send(kEventButtonDown);
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 0);
  m_button->OnEvent.Remove(id);
  Send(kEventButtonUp);
  EXPECT_EQ(m_clicks, 1) << "still captured from the press";
}

TEST_F(ButtonEventTest, NotifyCallbacksOfTheSenderRunFirst) {
  std::vector<std::u16string> order;
  m_button->OnNotify.Add([&](TUINotify& msg) {
    order.push_back(u"callback " + msg.sType);
    return true;
  });
  Send(kEventButtonDown);
  Send(kEventButtonUp);
  ASSERT_EQ(order, (std::vector<std::u16string>{u"callback click"}));
  EXPECT_EQ(m_clicks, 1);
}

}  // namespace
}  // namespace SkinUI
