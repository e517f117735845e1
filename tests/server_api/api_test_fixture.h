// Shared set-up of the server API tests: a private registry and data folder,
// an in-process devserver on a free loopback port, and clients aimed at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dev_server.h"
#include "server_api/connect_help.h"
#include "support/test_environment.h"

// Identity values of a client under test.
struct TestIdentity {
  int32_t softid = 8, qid = 1, av = 0, category = 0, special = 0, os = 17;
  int64_t instTime = 1690000000;
  std::u16string version = u"1.0.0.0";
  std::u16string mac = u"0123456789ABCDEF0123456789ABCDEF";
  int64_t clock = 0;  // fixed local clock; 0 = the real clock
  uint32_t seed = 1;
  CTransferLimits limits;
};

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A client on the devserver's base URL, Init-ed with identity (the clock
  // synchronisation runs against the devserver as configured at that moment).
  std::unique_ptr<CConnectHelp> MakeClient(const TestIdentity& identity = {});
  // A client whose microtime request fails, so its clock stays unadjusted.
  std::unique_ptr<CConnectHelp> MakeUnsyncedClient(const TestIdentity& identity = {});
  std::u16string Base() const;
  // Logged requests whose "r" parameter is path.
  std::vector<devserver::LoggedRequest> RequestsFor(const std::string& path) const;
  // Writes a DWORD into the application settings key.
  void WriteAppDword(const std::u16string& name, uint32_t value);
  // Creates or removes the test-mode marker.
  void SetTestMode(bool on);

  std::unique_ptr<TestEnvironment> m_env;
  std::unique_ptr<devserver::Server> m_server;
};

// A reply object with just a body and an HTTP status.
devserver::Reply RawReply(const std::string& body, int httpStatus = 200);
