// Without an X server the interactive modes end at once with a message,
// instead of waiting, unseen and holding the update mutex, for a click.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include "support/child_process.h"
#include "support/posix/xvfb_server.h"
#include "support/program_with_server.h"
#include "support/test_environment.h"

TEST(NoDisplay, InteractiveModesEndWithAMessage) {
  // As root the program has the integrity that shows the dialog itself.
  if (geteuid() != 0) GTEST_SKIP() << "needs root, else \"-update\" asks for elevation";
  TestEnvironment env;
  env.SeedUserSid();
  ScopedEnv noDisplay("DISPLAY", "");
  ScopedEnv anyBackend("ORV_WINDOW_BACKEND", "");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"ORVUpdate.exe"}, std::vector<std::string>{"ORVUpdate.exe", "-update"}}) {
    const std::string output = env.dir().File("output-" + std::to_string(args.size()) + ".txt");
    ChildProcess program(BuiltProgram("ORVUpdate.exe"), args, output);
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0) << args.size();
    EXPECT_NE(ReadFileBytes(output).find("no display to show the update dialog on"), std::string::npos);
  }
}

// A stopped X server (SIGSTOP) accepts a connection but never answers it: the
// interactive mode gives up on it within its bound and ends with the message,
// and "-auto" still asks for updates, its hidden dialog off any screen.
class FrozenDisplayTest : public ProgramWithServerTest {};

TEST_F(FrozenDisplayTest, IsGivenUpOnAndTheSilentModeStillAsksForUpdates) {
  CXvfbServer xvfb;
  ASSERT_TRUE(xvfb.Start());
  ASSERT_EQ(kill(xvfb.pid(), SIGSTOP), 0);
  ScopedEnv display("DISPLAY", xvfb.display());
  ScopedEnv anyBackend("ORV_WINDOW_BACKEND", "");
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  if (geteuid() == 0) {
    EXPECT_EQ(Run({"-update"}, std::chrono::seconds(30)), 0);
  }
  EXPECT_EQ(Run({"-auto"}, std::chrono::seconds(60)), 0);
  const auto requests = server->Requests();
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(),
                          [](const devserver::LoggedRequest& r) { return r.r == "api/update/v2"; }));
}
