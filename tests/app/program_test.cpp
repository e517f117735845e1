// The program itself, run as the product runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/test_environment.h"

namespace {

// A copy of the program in its own folder, so that its log is its own.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.SeedUserSid();
    program = env.dir().File("ORVUpdate.exe");
    std::filesystem::copy_file(BuiltProgram("ORVUpdate.exe"), program);
  }
  std::optional<int> Run(std::vector<std::string> args) {
    args.insert(args.begin(), "ORVUpdate.exe");
    ChildProcess child(program, args);
    return child.Wait(std::chrono::seconds(30));
  }
  std::string Log() const { return ReadFileBytes(program + ".log"); }

  TestEnvironment env;
  std::string program;
};

}  // namespace

// The interactive modes (no switch, "-update") show a dialog that waits for its
// user; the dialog's end-to-end tests drive them to their end.
TEST_F(ProgramTest, EveryModeWithoutAUserEndsWithExitCodeZero) {
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-inst_fix", "-startby=4"}, {"-close_ad"}, {"/update"}, {"-auto"}}) {
    EXPECT_EQ(Run(args), 0) << (args.empty() ? "(none)" : args[0]);
  }
}

TEST_F(ProgramTest, AutoModeLogsBeforeItsWait) {
  env.WriteDataFile("AppTest.txt", "");
  ScopedEnv longDelay("ORV_AUTO_DELAY_MS", "600000");
  ChildProcess child(program, {"ORVUpdate.exe", "-auto"});
  EXPECT_TRUE(
      WaitFor([&] { return Log().find("] ExecAutoUpdate") != std::string::npos; }, std::chrono::seconds(10)));
  EXPECT_EQ(child.Wait(std::chrono::milliseconds(200)), std::nullopt);  // still waiting
}

TEST_F(ProgramTest, OutsideTestModeNothingIsLogged) {
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  EXPECT_EQ(Run({"-auto"}), 0);
  EXPECT_FALSE(std::filesystem::exists(program + ".log"));
}
