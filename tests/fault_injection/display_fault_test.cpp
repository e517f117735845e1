// The dialog against other X clients and a dying X server: its window
// destroyed by another client, sized absurdly by another client, the server
// killed under it. The program runs as the product runs it ("-update") on an
// Xvfb of the test's own, against devserver; each case ends with exit code 0
// within its bound, never holding the update mutex for ever.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "support/child_process.h"
#include "support/posix/xvfb_server.h"
#include "support/program_with_server.h"

namespace {

constexpr auto kEndBound = std::chrono::seconds(10);

class DisplayFaultTest : public ProgramWithServerTest {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, else \"-update\" asks for elevation";
    ProgramWithServerTest::SetUp();
    ASSERT_TRUE(m_xvfb.Start("1280x800x24"));
    m_display = std::make_unique<ScopedEnv>("DISPLAY", m_xvfb.display());
    m_backend = std::make_unique<ScopedEnv>("ORV_WINDOW_BACKEND", "");
    m_dialog = std::make_unique<ChildProcess>(program, std::vector<std::string>{"ORVUpdate.exe", "-update"});
    m_window = Xdotool({"search", "--sync", "--onlyvisible", "--name", "^奥凡 在线升级$"});
    ASSERT_FALSE(m_window.empty()) << "the dialog did not appear";
  }

  // Runs xdotool (bounded) and returns what it printed, without the last
  // line end.
  std::string Xdotool(std::vector<std::string> args) {
    const std::string output = env.dir().File("xdotool.out");
    args.insert(args.begin(), {"timeout", "30", "xdotool"});
    ChildProcess tool("/usr/bin/timeout", args, output);
    if (tool.Wait(std::chrono::seconds(40)) != 0) return {};
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  // The peak resident memory of the dialog's process, in KiB.
  long PeakMemoryKib() {
    std::ifstream status("/proc/" + std::to_string(m_dialog->pid()) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
  }

  CXvfbServer m_xvfb;
  std::unique_ptr<ScopedEnv> m_display, m_backend;
  std::unique_ptr<ChildProcess> m_dialog;
  std::string m_window;
};

// Window managers and session tools destroy windows (XDestroyWindow): that
// is the end of the dialog, as its own close would be.
TEST_F(DisplayFaultTest, ADialogWhoseWindowAnotherClientDestroysEnds) {
  Xdotool({"windowclose", m_window});
  EXPECT_EQ(m_dialog->Wait(kEndBound), 0);
}

TEST_F(DisplayFaultTest, AServerThatDiesEndsTheDialogWithZero) {
  m_xvfb.Stop();
  EXPECT_EQ(m_dialog->Wait(kEndBound), 0);
}

// The window keeps to its track sizes (the dialog has one size), so its
// canvas never needs gigabytes; the dialog lives on and closes normally.
TEST_F(DisplayFaultTest, AHugeResizeByAnotherClientIsHeldToTheWindowsLimits) {
  Xdotool({"windowsize", m_window, "30000", "30000"});
  const auto held = [this] {
    return Xdotool({"getwindowgeometry", m_window}).find("650x430") != std::string::npos;
  };
  EXPECT_TRUE(WaitFor(held, std::chrono::seconds(10))) << Xdotool({"getwindowgeometry", m_window});
  EXPECT_LT(PeakMemoryKib(), 400 * 1024);
  EXPECT_EQ(Xdotool({"getwindowname", m_window}), "奥凡 在线升级") << "the dialog did not live on";
  Xdotool({"windowclose", m_window});
  EXPECT_EQ(m_dialog->Wait(kEndBound), 0);
}

}  // namespace
