// The fixture of the tests that run the program as the product runs it: a
// copy of ORVUpdate.exe in <test folder>/install/, which the settings name
// as the install folder, and devserver on loopback as its API server, with
// its storage in the test folder.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dev_server.h"
#include "support/test_environment.h"

class ProgramWithServerTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Runs the copy with args after its name: its exit code, or nullopt when it
  // did not end within bound (it is then ended).
  std::optional<int> Run(std::vector<std::string> args,
                         std::chrono::milliseconds bound = std::chrono::seconds(60));

  TestEnvironment env;
  std::string installDir, program;
  std::unique_ptr<devserver::Server> server;
  std::unique_ptr<ScopedEnv> apiBase;
};
