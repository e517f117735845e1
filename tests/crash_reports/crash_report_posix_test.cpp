// A crash of the running program, caused from outside by a fatal signal.
// POSIX only: Windows has no way to raise a crash in another process.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "dev_server.h"
#include "support/child_process.h"
#include "support/test_environment.h"

TEST(CrashReport, SegvWhileWaitingWritesTheDumpReportsAndExitsZero) {
  TestEnvironment env;
  env.SeedUserSid();
  env.WriteDataFile("AppTest.txt", "");
  const std::string program = env.dir().File("ORVUpdate.exe");
  std::filesystem::copy_file(BuiltProgram("ORVUpdate.exe"), program);
  devserver::Server server(devserver::Options{});
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  ScopedEnv api("ORV_API_BASE_TEST", server.BaseUrl());
  ScopedEnv proxy("ORV_TEST_PROXY", "127.0.0.1:" + std::to_string(server.Port()));
  ScopedEnv longDelay("ORV_AUTO_DELAY_MS", "600000");

  ChildProcess child(program, {"ORVUpdate.exe", "-auto"});
  ASSERT_TRUE(
      WaitFor([&] { return ReadFileBytes(program + ".log").find("ExecAutoUpdate") != std::string::npos; },
              std::chrono::seconds(20)));
  ASSERT_EQ(kill(child.pid(), SIGSEGV), 0);
  EXPECT_EQ(child.Wait(std::chrono::seconds(40)), 0);

  const std::string dump = ReadFileBytes(program + ".dmp");
  ASSERT_GE(dump.size(), 32u);
  EXPECT_EQ(dump.substr(0, 4), "MDMP");
  bool reported = false;
  for (const auto& request : server.Requests()) {
    if (request.r == "api/statistics/soft/crash") {
      reported = true;
      EXPECT_NE(("&" + request.body + "&").find("&module=2&"), std::string::npos) << request.body;
    }
  }
  EXPECT_TRUE(reported);
}
