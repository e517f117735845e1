// The paint manager on a real (headless) window: the tree, delayed cleanup,
// input routing, timers, "windowinit", focus and tab order, layered repaint.
#include <gtest/gtest.h>

#include "manager_support.h"
#include "platform/window/window_messages.h"
#include "skinui/manager/paint_manager.h"

namespace skinui_test {
namespace {

using SkinUI::CControlUI;

// Three buttons side by side in a 300 x 200 window.
constexpr char16_t kButtons[] =
    u"<Window size=\"300,200\"><HorizontalLayout>"
    u"<Button name=\"b1\" width=\"100\" keyboard=\"true\"/>"
    u"<Button name=\"b2\" width=\"100\" keyboard=\"true\"/>"
    u"<Button name=\"b3\" width=\"100\" keyboard=\"true\"/>"
    u"</HorizontalLayout></Window>";

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = m_window.Attach(kButtons);
    ASSERT_NE(m_root, nullptr);
    m_window.Manager().AddNotifier(&m_log);
    m_window.Paint();  // the first layout
  }
  CControlUI* Find(std::u16string_view name) { return m_window.Manager().FindControl(name); }
  void Click(int x, int y) {
    m_window.Send(WM_LBUTTONDOWN, MK_LBUTTON, CManagerWindow::Point(x, y));
    m_window.Send(WM_LBUTTONUP, 0, CManagerWindow::Point(x, y));
  }

  CManagerWindow m_window;
  CNotifyLog m_log;
  CControlUI* m_root = nullptr;
};

TEST_F(ManagerTest, LaysOutAtThePaintAndAnnouncesWindowInitOnce) {
  EXPECT_EQ(Find(u"b2")->GetPos(), (SkinUI::TUIRect{100, 0, 200, 200}));
  m_window.Paint();
  m_window.Paint();
  EXPECT_EQ(m_log.Count(u"windowinit"), 1);
  // A new attach announces again, once.
  CControlUI* second = m_window.Attach(kButtons);
  m_window.Paint();
  m_window.Paint();
  EXPECT_EQ(m_log.Count(u"windowinit"), 2);
  EXPECT_EQ(m_window.Manager().GetRoot(), second);
}

TEST_F(ManagerTest, AnOldRootIsDestroyedOnTheNextDelayedCleanup) {
  bool destroyed = false;
  m_root->OnDestroy.Add([&](CControlUI*) { return destroyed = true; });
  m_window.Attach(kButtons);
  EXPECT_FALSE(destroyed);
  m_window.Send(SkinUI::CUIPaintManager::kMsgDelayedCleanup);
  EXPECT_TRUE(destroyed);
}

TEST_F(ManagerTest, ClickRoutesToTheButtonAndSendsClick) {
  Click(150, 50);
  EXPECT_EQ(m_log.Items().back(), "click:b2");
  // Pressed on b1, released on b3: no click.
  m_log.Clear();
  m_window.Send(WM_LBUTTONDOWN, MK_LBUTTON, CManagerWindow::Point(50, 50));
  m_window.Send(WM_MOUSEMOVE, MK_LBUTTON, CManagerWindow::Point(250, 50));
  m_window.Send(WM_LBUTTONUP, 0, CManagerWindow::Point(250, 50));
  EXPECT_EQ(m_log.Count(u"click"), 0);
}

TEST_F(ManagerTest, AButtonPressedWhenTheWindowClosesGetsButtonUp) {
  CEventLog events(Find(u"b1"));
  m_window.Send(WM_MOUSEMOVE, 0, CManagerWindow::Point(50, 50));
  m_window.Send(WM_LBUTTONDOWN, MK_LBUTTON, CManagerWindow::Point(50, 50));
  EXPECT_TRUE(m_window.Manager().IsCaptured());
  platform::LRESULT result = 0;
  // Straight to the manager: the default procedure would destroy the window.
  EXPECT_FALSE(m_window.Manager().MessageHandler(WM_CLOSE, 0, 0, result));
  EXPECT_TRUE(events.Has(SkinUI::kEventButtonUp));
  EXPECT_TRUE(events.Has(SkinUI::kEventMouseLeave));
  EXPECT_EQ(m_window.Manager().GetFocus(), nullptr);
}

TEST_F(ManagerTest, WheelDirectionIsWParamZeroUpAndOneDown) {
  CEventLog events(Find(u"b3"));
  platform::POINT screen{250, 50};
  platform::ClientToScreen(m_window.Hwnd(), &screen);
  const platform::LPARAM at = CManagerWindow::Point(screen.x, screen.y);
  m_window.Send(WM_MOUSEWHEEL, static_cast<platform::WPARAM>(static_cast<uint16_t>(-120)) << 16, at);
  EXPECT_EQ(events.Last(SkinUI::kEventScrollWheel).wParam, 1u);
  m_window.Send(WM_MOUSEWHEEL, static_cast<platform::WPARAM>(120) << 16, at);
  EXPECT_EQ(events.Last(SkinUI::kEventScrollWheel).wParam, 0u);
}

TEST_F(ManagerTest, ASecondTimerWithOneIdIsRefusedUntilKilledThenKeepsItsNativeId) {
  auto& manager = m_window.Manager();
  CControlUI* b1 = Find(u"b1");
  CEventLog events(b1);
  EXPECT_TRUE(manager.SetTimer(b1, 7, 1000));
  EXPECT_FALSE(manager.SetTimer(b1, 7, 1000));
  EXPECT_TRUE(manager.KillTimer(b1, 7));
  EXPECT_TRUE(manager.SetTimer(b1, 7, 1000));
  // The first native id is 1, and it was kept by the restart.
  m_window.Send(WM_TIMER, 1);
  EXPECT_EQ(events.Last(SkinUI::kEventTimer).wParam, 7u);
  EXPECT_EQ(m_log.Items().back(), "timer:b1");
}

TEST_F(ManagerTest, NativeTimerIdsCountModulo255) {
  auto& manager = m_window.Manager();
  CControlUI* b1 = Find(u"b1");
  CEventLog events(b1);
  for (uint32_t id = 0; id < 254; ++id) ASSERT_TRUE(manager.SetTimer(b1, id, 5000));
  manager.KillTimer(b1);
  // The counter stood at 254; 255 wraps to 0, which is no timer id: 1 follows.
  ASSERT_TRUE(manager.SetTimer(b1, 999, 5000));
  m_window.Send(WM_TIMER, 1);
  EXPECT_EQ(events.Last(SkinUI::kEventTimer).wParam, 999u);
}

TEST_F(ManagerTest, ATimerFiresThroughTheMessageLoop) {
  CEventLog events(Find(u"b2"));
  ASSERT_TRUE(m_window.Manager().SetTimer(Find(u"b2"), 3, 20));
  EXPECT_TRUE(m_window.PumpUntil([&] { return events.Has(SkinUI::kEventTimer); }));
}

TEST_F(ManagerTest, TabWalksTheTabStopsBothWaysAndSkipsHiddenAndDisabled) {
  auto& manager = m_window.Manager();
  // The first paint after the attach focused the first tab stop.
  ASSERT_NE(manager.GetFocus(), nullptr);
  EXPECT_EQ(manager.GetFocus()->GetName(), u"b1");
  Find(u"b2")->SetEnabled(false);
  platform::LRESULT result = 0;
  std::vector<std::u16string> seen;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(manager.PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, result));
    seen.push_back(manager.GetFocus()->GetName());
  }
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"b3", u"b1", u"b3"}));
  EXPECT_TRUE(manager.SetNextTabControl(false));
  EXPECT_EQ(manager.GetFocus()->GetName(), u"b1");
  manager.SetFocus(Find(u"b3"));
  Find(u"b3")->SetVisible(false);
  EXPECT_EQ(manager.GetFocus(), nullptr);  // hiding the focus clears it
  // With a layout pending, the focus moves at the paint after it.
  EXPECT_TRUE(manager.SetNextTabControl(true));
  EXPECT_EQ(manager.GetFocus(), nullptr);
  ASSERT_TRUE(m_window.PumpUntil([&] { return manager.GetFocus() != nullptr; }));
  EXPECT_EQ(manager.GetFocus()->GetName(), u"b1");
}

TEST_F(ManagerTest, FocusMovesWithKillFocusBeforeSetFocus) {
  auto& manager = m_window.Manager();
  manager.SetFocus(Find(u"b1"));
  m_log.Clear();
  manager.SetFocus(Find(u"b2"));
  manager.SetFocus(Find(u"b2"));  // the same control again changes nothing
  EXPECT_EQ(m_log.Items(), (std::vector<std::string>{"killfocus:b1", "setfocus:b2"}));
  // A control of no manager stays unfocused.
  CControlUI stray;
  manager.SetFocus(&stray);
  EXPECT_EQ(manager.GetFocus(), nullptr);
}

TEST_F(ManagerTest, KeysGoToTheFocusAndKeyUpToWhereKeyDownWent) {
  auto& manager = m_window.Manager();
  CEventLog b1(Find(u"b1"));
  CEventLog b2(Find(u"b2"));
  manager.SetFocus(Find(u"b1"));
  m_window.Send(WM_KEYDOWN, 'A');
  manager.SetFocus(Find(u"b2"));
  m_window.Send(WM_KEYUP, 'A');
  EXPECT_EQ(b1.Last(SkinUI::kEventKeyUp).key, u'A');
  EXPECT_FALSE(b2.Has(SkinUI::kEventKeyUp));
  // A space on a keyboard-enabled button activates it.
  m_window.Send(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(m_log.Items().back(), "click:b2");
}

TEST(ManagerDefault, TheDefaultButtonTakesTheFirstFocusAndEnterWhileNoTabStopHasIt) {
  CManagerWindow window;
  CNotifyLog log;
  ASSERT_NE(window.Attach(u"<Window><HorizontalLayout><Label name=\"l\" width=\"50\"/>"
                          u"<Button name=\"b1\" width=\"50\" keyboard=\"true\"/>"
                          u"<Button name=\"main\" width=\"50\" keyboard=\"true\" default=\"true\"/>"
                          u"</HorizontalLayout></Window>"),
            nullptr);
  auto& manager = window.Manager();
  manager.AddNotifier(&log);
  window.Paint();
  ASSERT_NE(manager.GetFocus(), nullptr);
  EXPECT_EQ(manager.GetFocus()->GetName(), u"main");
  // Enter goes to the focused button; with the focus on no tab stop (a
  // label) or nowhere, the default button takes it.
  manager.SetFocus(manager.FindControl(u"b1"));
  window.Send(WM_KEYDOWN, VK_RETURN);
  manager.SetFocus(manager.FindControl(u"l"));
  window.Send(WM_KEYDOWN, VK_RETURN);
  manager.SetFocus(nullptr);
  window.Send(WM_KEYDOWN, VK_RETURN);
  window.Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(log.Items(), (std::vector<std::string>{"windowinit:", "setfocus:main", "killfocus:main",
                                                   "setfocus:b1", "click:b1", "killfocus:b1", "setfocus:l",
                                                   "click:main", "killfocus:l", "click:main"}));
}

TEST(ManagerDefault, WithoutKeyboardHandlingADefaultButtonIsNoTabStopAndIgnoresEnter) {
  CManagerWindow window;
  CNotifyLog log;
  ASSERT_NE(window.Attach(u"<Window><Button name=\"main\" default=\"true\"/></Window>"), nullptr);
  window.Manager().AddNotifier(&log);
  window.Paint();
  EXPECT_EQ(window.Manager().GetFocus(), nullptr);
  window.Send(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(log.Count(u"click"), 0);
}

TEST_F(ManagerTest, AsynchronousNotificationsArriveWithTheNextMessage) {
  auto& manager = m_window.Manager();
  manager.SendNotify(Find(u"b3"), u"later", 0, 0, true);
  EXPECT_EQ(m_log.Count(u"later"), 0);
  m_window.Send(WM_NULL);
  EXPECT_EQ(m_log.Count(u"later"), 1);
  // A sender destroyed meanwhile is not announced.
  auto* lone = new CControlUI;
  manager.InitControls(lone);
  manager.SendNotify(lone, u"gone", 0, 0, true);
  delete lone;
  m_window.Send(WM_NULL);
  EXPECT_EQ(m_log.Count(u"gone"), 0);
}

TEST_F(ManagerTest, LayeredInvalidateGrowsTheDirtyRectangleUntilTheTick) {
  auto& manager = m_window.Manager();
  platform::ShowWindow(m_window.Hwnd(), SW_SHOWNA);
  manager.SetLayered(true);
  ASSERT_TRUE(manager.IsLayered());
  m_window.PumpUntil([&] { return manager.GetLayeredUpdateRect().IsEmpty(); });
  manager.Invalidate({10, 10, 20, 20});
  manager.Invalidate({50, 40, 60, 70});
  EXPECT_EQ(manager.GetLayeredUpdateRect(), (SkinUI::TUIRect{10, 10, 60, 70}));
  EXPECT_TRUE(m_window.PumpUntil([&] { return manager.GetLayeredUpdateRect().IsEmpty(); }));
}

TEST(ManagerWithoutWindow, KeepsResourcesNamesAndFocusButHandlesNoMessage) {
  SkinUI::CUIPaintManager manager;
  auto* root = new CControlUI;
  root->SetName(u"root");
  manager.AttachDialog(root);
  EXPECT_EQ(manager.FindControl(u"root"), root);
  manager.SetFocus(root);
  EXPECT_EQ(manager.GetFocus(), root);
  EXPECT_FALSE(manager.SetTimer(root, 1, 10));
  platform::LRESULT result = 0;
  EXPECT_FALSE(manager.MessageHandler(WM_PAINT, 0, 0, result));
}

}  // namespace
}  // namespace skinui_test

namespace skinui_test {
namespace {

TEST(ManagerLayout, AFloatingControlKeepsItsPlaceWhenLaidOutAgainAt150Percent) {
  CManagerWindow window(300, 150);
  window.Manager().SetDPI(144);
  ASSERT_NE(window.Attach(u"<Window size=\"200,100\"><VerticalLayout>"
                          u"<Control name=\"f\" float=\"true\" pos=\"10,10,50,30\"/>"
                          u"</VerticalLayout></Window>"),
            nullptr);
  window.Paint();
  CControlUI* floating = window.Manager().FindControl(u"f");
  const SkinUI::TUIRect first = floating->GetPos();
  EXPECT_EQ(first, (SkinUI::TUIRect{15, 15, 75, 45}));
  floating->NeedUpdate();
  window.Paint();
  EXPECT_EQ(floating->GetPos(), first);
}

}  // namespace
}  // namespace skinui_test

namespace skinui_test {
namespace {

TEST(ManagerKeys, AShortcutFocusesAndActivatesItsControlALabelsTheNextOne) {
  CManagerWindow window(300, 100);
  CNotifyLog log;
  window.Manager().AddNotifier(&log);
  ASSERT_NE(window.Attach(u"<Window size=\"300,100\"><HorizontalLayout>"
                          u"<Label name=\"lab\" shortcut=\"n\" width=\"50\"/>"
                          u"<Button name=\"next\" width=\"50\"/>"
                          u"<Button name=\"upd\" shortcut=\"u\" width=\"50\"/>"
                          u"</HorizontalLayout></Window>"),
            nullptr);
  window.Paint();
  auto& manager = window.Manager();
  platform::LRESULT result = 0;
  EXPECT_TRUE(manager.PreMessageHandler(WM_SYSCHAR, 'U', 0, result));
  EXPECT_EQ(manager.GetFocus()->GetName(), u"upd");
  EXPECT_EQ(log.Items().back(), "click:upd");
  EXPECT_TRUE(manager.PreMessageHandler(WM_SYSCHAR, 'n', 0, result));
  EXPECT_EQ(manager.GetFocus()->GetName(), u"next");
  EXPECT_FALSE(manager.PreMessageHandler(WM_SYSCHAR, 'q', 0, result));
}

TEST(ManagerMouse, HoverGoesToTheHoverControlAndLeaveClearsIt) {
  CManagerWindow window(200, 100);
  ASSERT_NE(window.Attach(u"<Window size=\"200,100\"><HorizontalLayout>"
                          u"<Button name=\"tip\" tooltip=\"a&lt;n&gt;b\" width=\"100\"/>"
                          u"<Control/></HorizontalLayout></Window>"),
            nullptr);
  window.Paint();
  CControlUI* tip = window.Manager().FindControl(u"tip");
  CEventLog events(tip);
  window.Send(WM_MOUSEMOVE, 0, CManagerWindow::Point(20, 20));
  EXPECT_TRUE(events.Has(SkinUI::kEventMouseEnter));
  window.Send(WM_MOUSEHOVER, 0, CManagerWindow::Point(20, 20));
  EXPECT_TRUE(events.Has(SkinUI::kEventMouseHover));
  window.Send(WM_MOUSELEAVE);
  EXPECT_TRUE(events.Has(SkinUI::kEventMouseLeave));
  EXPECT_EQ(window.Manager().GetMousePos().x, -1);
}

}  // namespace
}  // namespace skinui_test

namespace skinui_test {
namespace {

TEST(ManagerMouse, ContextMenuGoesToTheControlUnderThePointAndMinMaxInfoTakesTheSkinsLimits) {
  CManagerWindow window(200, 100);
  CNotifyLog log;
  window.Manager().AddNotifier(&log);
  ASSERT_NE(window.Attach(u"<Window size=\"200,100\" mininfo=\"120,80\"><HorizontalLayout>"
                          u"<Control name=\"m\" menu=\"true\" width=\"100\"/><Control/>"
                          u"</HorizontalLayout></Window>"),
            nullptr);
  window.Paint();
  platform::POINT screen{30, 30};
  platform::ClientToScreen(window.Hwnd(), &screen);
  window.Send(WM_CONTEXTMENU, 0, CManagerWindow::Point(screen.x, screen.y));
  EXPECT_EQ(log.Items().back(), "menu:m");
  platform::MINMAXINFO info;
  window.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<platform::LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 120);
  EXPECT_EQ(info.ptMinTrackSize.y, 80);
  EXPECT_EQ(window.Send(WM_ERASEBKGND), 1);
}

}  // namespace
}  // namespace skinui_test

namespace skinui_test {
namespace {

// A shared font is made by whichever window asks first; every window draws it
// at its own scale, also after that scale changes.
TEST(ManagerFonts, SharedFontsAreDrawnAtEachWindowsOwnScale) {
  CManagerWindow plain, doubled;
  constexpr int kId = 930;
  ASSERT_NE(plain.Manager().Resources().AddFont(kId, u"微软雅黑", 20, false, false, false, true), nullptr);
  doubled.Manager().SetDPI(192);
  const SkinUI::TUIFontInfo* atPlain = plain.Manager().GetFontInfo(kId);
  const SkinUI::TUIFontInfo* atDoubled = doubled.Manager().GetFontInfo(kId);
  EXPECT_EQ(atPlain->iScale, 100);
  EXPECT_EQ(atDoubled->iScale, 200);
  EXPECT_NEAR(atDoubled->tm.height, 2 * atPlain->tm.height, 2);
  EXPECT_EQ(doubled.Manager().GetFontInfo(-1)->iScale, 200);  // the default font too
  doubled.Manager().SetDPI(96);
  EXPECT_EQ(doubled.Manager().GetFontInfo(kId)->tm.height, atPlain->tm.height);
}

}  // namespace
}  // namespace skinui_test
