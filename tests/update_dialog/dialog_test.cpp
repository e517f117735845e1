// The dialog end to end on the window system the tests run on (headless
// unless told otherwise): every state of the dialog, its buttons, the hidden
// dialog's own decisions, the progress display and the close bound, against
// devserver.
#include <chrono>
#include <functional>

#include "app/skin_archive.h"
#include "common/text.h"
#include "dialog_driver.h"
#include "dialog_fixture.h"
#include "platform/window/window_messages.h"
#include "support/child_process.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr char16_t kChecking[] = u"正在检测版本更新...";
constexpr char16_t kProgress42[] = u"{c #969696}正在下载...  {/c}{c #23bf04}42%{/c}";

class DialogUiTest : public DialogTest {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }

  // Opens the dialog and waits for the update query's answer.
  void OpenAndWaitForCheck(bool show) {
    ASSERT_TRUE(m_driver.Open(show));
    ASSERT_TRUE(m_driver.PumpUntil([this] { return RequestCount("api/update/v2") > 0; }, seconds(10)));
    m_driver.PumpUntil(
        [this] { return m_driver.TextOf(u"lab_checking") != kChecking || m_driver.PageOf(u"tab_main") == 1; },
        seconds(10));
  }
  // Clicks "一键升级" and waits until the download hangs at 42 %.
  void DownloadUntil42Percent() {
    StallInstallerAt(42);
    OpenAndWaitForCheck(true);
    ASSERT_TRUE(m_driver.Click(u"btn_update"));
    ASSERT_TRUE(
        m_driver.PumpUntil([this] { return m_driver.TextOf(u"lab_progress") == kProgress42; }, seconds(10)))
        << Utf16ToUtf8(m_driver.TextOf(u"lab_progress"));
  }

  CDialogDriver m_driver;
};

TEST_F(DialogUiTest, WindowIsThePopupOfTheSkin) {
  ASSERT_TRUE(m_driver.Open(true));
  const platform::HWND hWnd = m_driver.dialog().m_hWnd;
  EXPECT_EQ(platform::GetWindowText(hWnd), u"奥凡 在线升级");
  EXPECT_EQ(platform::GetClassName(hWnd), kTestDialogClass);
  platform::RECT rc;
  ASSERT_TRUE(platform::GetWindowRect(hWnd, &rc));
  EXPECT_EQ(rc.right - rc.left, 650);
  EXPECT_EQ(rc.bottom - rc.top, 430);
  EXPECT_TRUE(platform::IsWindowVisible(hWnd));
  EXPECT_EQ(m_driver.TextOf(u"lab_title"), u"奥凡 在线升级");
  EXPECT_EQ(m_driver.TextOf(u"lab_cur_version"), u"当前版本号 1.0.0.0");
  EXPECT_EQ(m_driver.TextOf(u"lab_checking"), kChecking);
  EXPECT_EQ(m_driver.PageOf(u"tab_main"), 0);
}

TEST_F(DialogUiTest, OfferThenOneClickStartsTheInstallerAndCloses) {
  OpenAndWaitForCheck(true);
  EXPECT_EQ(m_driver.PageOf(u"tab_main"), 1);
  EXPECT_EQ(m_driver.PageOf(u"tab_status"), 0);
  EXPECT_EQ(m_driver.TextOf(u"lab_new_version"), u"版本号 1.0.0.2");
  m_driver.PumpFor(milliseconds(200));
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);  // a shown dialog waits for the user
  ASSERT_TRUE(m_driver.Click(u"btn_update"));
  EXPECT_TRUE(m_driver.IsClosed() || m_driver.PageOf(u"tab_status") == 1);
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_TRUE(m_driver.dialog().IsInstallerStarted());
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

struct TCheckPage {
  const char* name;
  const char* message;
  const char* recordset;
  std::u16string text;
};

void PrintTo(const TCheckPage& row, std::ostream* os) { *os << row.name; }

class CheckPageTest : public DialogUiTest, public ::testing::WithParamInterface<TCheckPage> {};

TEST_P(CheckPageTest, ShownDialogStaysWithTheTextUntilClosed) {
  ReplyToQuery(GetParam().recordset, GetParam().message);
  OpenAndWaitForCheck(true);
  EXPECT_EQ(m_driver.TextOf(u"lab_checking"), GetParam().text);
  EXPECT_EQ(m_driver.PageOf(u"tab_main"), 0);
  m_driver.PumpFor(milliseconds(300));
  ASSERT_FALSE(m_driver.IsClosed());
  ASSERT_TRUE(m_driver.Click(u"btn_close"));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
}

TEST_P(CheckPageTest, HiddenDialogClosesAtOnce) {
  ReplyToQuery(GetParam().recordset, GetParam().message);
  ASSERT_TRUE(m_driver.Open(false));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(10)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(RequestCount("files/Update.exe.md5"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Answers, CheckPageTest,
                         ::testing::Values(TCheckPage{"UpToDate", "success", "null", u"当前已是最新版本！"},
                                           TCheckPage{"VersionWithoutUrl", "success",
                                                      R"({"version":"2.0","url":""})", u"当前已是最新版本！"},
                                           TCheckPage{"CheckFailed", "fail", "null", u"检测失败！"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogUiTest, HiddenDialogWithAnOfferInstallsByItself) {
  ASSERT_TRUE(m_driver.Open(false));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_TRUE(m_driver.dialog().IsInstallerStarted());
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
  const auto sent = m_server->Requests();
  EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](const auto& r) {
    return r.r == "api/update/v2" && r.query.find("&slience=1&") != std::string::npos;
  }));
}

TEST_F(DialogUiTest, HiddenDialogClosesWhenTheInstallerCannotBeStarted) {
  ReplyChecksum("0123456789ABCDEF0123456789ABCDEF");
  ASSERT_TRUE(m_driver.Open(false));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(InstallerRecord(), "");
}

TEST_F(DialogUiTest, ShownDialogShowsTheFailureWhenTheInstallerCannotBeStarted) {
  ReplyChecksum("0123456789ABCDEF0123456789ABCDE");  // 31 characters
  OpenAndWaitForCheck(true);
  ASSERT_TRUE(m_driver.Click(u"btn_update"));
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.IsShown(u"lab_error"); }, seconds(10)));
  EXPECT_EQ(m_driver.TextOf(u"lab_error"), u"抱歉安装包无法完成下载！");
  EXPECT_FALSE(m_driver.IsShown(u"lab_progress"));
  EXPECT_EQ(m_driver.PageOf(u"tab_status"), 1);
  m_driver.PumpFor(milliseconds(300));
  EXPECT_FALSE(m_driver.IsClosed());
  ASSERT_TRUE(m_driver.Click(u"sysclosebutton"));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
}

TEST_F(DialogUiTest, ProgressLabelShowsThePercentInItsColours) {
  DownloadUntil42Percent();
  EXPECT_EQ(m_driver.PageOf(u"tab_status"), 1);
  m_driver.PumpFor(milliseconds(50));
  // The glyphs' cores carry the colours exactly; their edges blend into white.
  int grey = 0, green = 0, other = 0;
  for (const uint32_t pixel : m_driver.PixelsOf(u"lab_progress")) {
    const uint32_t rgb = pixel & 0xFFFFFF;
    (rgb == 0x969696 ? grey : rgb == 0x23BF04 ? green : other)++;
  }
  EXPECT_GT(grey, 5);
  EXPECT_GT(green, 5);
  EXPECT_GT(other, 0);
}

TEST_F(DialogUiTest, ClosingDuringTheDownloadTakesAtMostASecond) {
  DownloadUntil42Percent();
  ASSERT_TRUE(m_driver.Click(u"sysclosebutton"));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(5)));
  EXPECT_LT(m_driver.CloseDelayMs(), 1250u);
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(InstallerRecord(), "");
}

TEST_F(DialogUiTest, TabReachesOneClickThroughTheTitleBarAndEnterStartsTheInstaller) {
  OpenAndWaitForCheck(true);
  ASSERT_TRUE(m_driver.PumpUntil([this] { return !m_driver.FocusName().empty(); }, seconds(2)));
  EXPECT_EQ(m_driver.FocusName(), u"btn_update");  // the page's main button
  std::vector<std::u16string> seen;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(m_driver.Press({VK_TAB}));
    seen.push_back(m_driver.FocusName());
  }
  ASSERT_TRUE(m_driver.Press({VK_SHIFT, VK_TAB}));
  seen.push_back(m_driver.FocusName());
  ASSERT_TRUE(m_driver.Press({VK_TAB}));
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"sysminbutton", u"sysclosebutton", u"btn_update",
                                               u"sysclosebutton"}));
  ASSERT_EQ(m_driver.FocusName(), u"btn_update");
  ASSERT_TRUE(m_driver.Press({VK_RETURN}));
  ASSERT_TRUE(m_driver.WaitForClose());
  EXPECT_TRUE(m_driver.dialog().IsInstallerStarted());
  ASSERT_TRUE(WaitForInstallerRecord());
  EXPECT_EQ(InstallerRecord(), "ran -inst_update\n");
}

TEST_F(DialogUiTest, EscapeDuringTheDownloadClosesAndNoInstallerRuns) {
  DownloadUntil42Percent();
  ASSERT_TRUE(m_driver.Press({VK_ESCAPE}));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(5)));
  EXPECT_LT(m_driver.CloseDelayMs(), 1250u);
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(InstallerRecord(), "");
}

TEST_F(DialogUiTest, SpaceOnTheResultPagesMainButtonCloses) {
  ReplyToQuery("null");
  OpenAndWaitForCheck(true);
  ASSERT_TRUE(m_driver.PumpUntil([this] { return m_driver.FocusName() == u"btn_close"; }, seconds(2)));
  ASSERT_TRUE(m_driver.Press({VK_SPACE}));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(3)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
}

// The ways a system closes a window, each while the offer waits.
struct TSystemClose {
  const char* name;
  std::function<bool(CDialogDriver&)> close;
};

void PrintTo(const TSystemClose& row, std::ostream* os) { *os << row.name; }

class SystemCloseTest : public DialogUiTest, public ::testing::WithParamInterface<TSystemClose> {};

TEST_P(SystemCloseTest, IsTheCloseButton) {
  OpenAndWaitForCheck(true);
  ASSERT_EQ(m_driver.PageOf(u"tab_main"), 1);
  ASSERT_TRUE(GetParam().close(m_driver));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(3)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
  EXPECT_EQ(RequestCount("files/Update.exe"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, SystemCloseTest,
                         ::testing::Values(TSystemClose{"AltF4",
                                                        [](CDialogDriver& d) {
                                                          return d.Press({VK_MENU, VK_F4});
                                                        }},
                                           TSystemClose{"WmClose",
                                                        [](CDialogDriver& d) {
                                                          return platform::PostMessage(d.dialog().m_hWnd,
                                                                                       WM_CLOSE, 0, 0);
                                                        }},
                                           TSystemClose{"ScClose",
                                                        [](CDialogDriver& d) {
                                                          return platform::PostMessage(
                                                              d.dialog().m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
                                                        }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogUiTest, MinimiseButtonMinimises) {
  OpenAndWaitForCheck(true);
  ASSERT_TRUE(m_driver.Click(u"sysminbutton"));
  ASSERT_TRUE(
      m_driver.PumpUntil([this] { return platform::IsIconic(m_driver.dialog().m_hWnd); }, seconds(2)));
  EXPECT_FALSE(m_driver.IsClosed());
}

TEST_F(DialogUiTest, CloseButtonDuringTheCheckCloses) {
  ASSERT_TRUE(m_driver.Open(true));
  ASSERT_TRUE(m_driver.Click(u"sysclosebutton"));
  ASSERT_TRUE(m_driver.WaitForClose(seconds(3)));
  EXPECT_FALSE(m_driver.dialog().IsInstallerStarted());
}

}  // namespace
