// Without an X server the interactive modes end at once with a message,
// instead of waiting, unseen and holding the update mutex, for a click.
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/child_process.h"
#include "support/test_environment.h"

TEST(NoDisplay, InteractiveModesEndWithAMessage) {
  // As root the program has the integrity that shows the dialog itself.
  if (geteuid() != 0) GTEST_SKIP() << "needs root, else \"-update\" asks for elevation";
  TestEnvironment env;
  env.SeedUserSid();
  ScopedEnv noDisplay("DISPLAY", "");
  ScopedEnv anyBackend("ORV_WINDOW_BACKEND", "");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"ORVUpdate.exe"},
                                               std::vector<std::string>{"ORVUpdate.exe", "-update"}}) {
    const std::string output = env.dir().File("output-" + std::to_string(args.size()) + ".txt");
    ChildProcess program(BuiltProgram("ORVUpdate.exe"), args, output);
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0) << args.size();
    EXPECT_NE(ReadFileBytes(output).find("no display to show the update dialog on"), std::string::npos);
  }
}
