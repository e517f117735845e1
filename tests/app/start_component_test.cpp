// StartComponent against the local service peer on a real pipe.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "devservice.h"
#include "server_api/server_connect.h"
#include "support/child_process.h"
#include "support/test_environment.h"

namespace {

class StartComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.SeedUserSid();
    options.installDir = env.dir().File("install");
    std::filesystem::create_directories(options.installDir);
    CopySleeper(env.dir().File("install/Component.exe"));
  }
  void Serve() {
    service = std::make_unique<CDevService>(options);
    ASSERT_TRUE(service->Listen());
    serving = std::thread([this] { service->Run(); });
  }
  void TearDown() override {
    if (service) service->Stop();
    if (serving.joinable()) serving.join();
  }

  TestEnvironment env;
  ScopedEnv pipes{"ORV_PIPE_DIR", env.dir().File("pipes")};
  DevServiceOptions options;
  std::unique_ptr<CDevService> service;
  std::thread serving;
};

}  // namespace

TEST_F(StartComponentTest, TrueWhenTheServiceStartedTheProgram) {
  Serve();
  EXPECT_TRUE(GetServerConnect()->StartComponent(u"Component.exe", u"1"));
  EXPECT_TRUE(GetServerConnect()->StartComponent(u"Component.exe", nullptr));  // no command: ""
}

TEST_F(StartComponentTest, FalseWhenTheServiceRefusesIsSilentOrAbsent) {
  EXPECT_FALSE(GetServerConnect()->StartComponent(u"Component.exe", u""));  // nobody listens
  Serve();
  EXPECT_FALSE(GetServerConnect()->StartComponent(u"missing.exe", u""));  // {"result": false}
  service->Stop();
  serving.join();
  options.answer = false;
  Serve();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(GetServerConnect()->StartComponent(u"Component.exe", u""));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));  // the 1 s wait, bounded
}
