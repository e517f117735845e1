#include "server_api/api_test_fixture.h"

#include <filesystem>
#include <fstream>

#include "paths_and_log/folders.h"
#include "common/text.h"
#include "settings/cfg_app.h"

namespace {

class CfgAppWriter : public CCfgApp {
 public:
  long WriteDword(const std::u16string& name, uint32_t value) {
    return m_key.SetValue(name, platform::kRegDword, &value, sizeof(value));
  }
};

}  // namespace

devserver::Reply RawReply(const std::string& body, int httpStatus) {
  devserver::Reply reply;
  reply.body = body;
  reply.httpStatus = httpStatus;
  return reply;
}

void ApiTest::SetUp() {
  m_env = std::make_unique<TestEnvironment>();
  m_env->SeedUserSid();
  devserver::Options options;
  options.storageDir = m_env->dir().File("storage");
  m_server = std::make_unique<devserver::Server>(options);
  std::string error;
  ASSERT_TRUE(m_server->Start(&error)) << error;
}

void ApiTest::TearDown() {
  m_server.reset();
  m_env.reset();
}

std::u16string ApiTest::Base() const { return Utf8ToUtf16(m_server->BaseUrl()); }

std::unique_ptr<CConnectHelp> ApiTest::MakeClient(const TestIdentity& identity) {
  CClientSetup setup;
  setup.fingerprint = identity.mac;
  setup.osCode = identity.os;
  setup.signedBase = Base();
  setup.queryBase = Base();
  setup.seed = identity.seed;
  setup.limits = identity.limits;
  if (identity.clock != 0) setup.clock = [clock = identity.clock] { return clock; };
  auto client = std::make_unique<CConnectHelp>(std::move(setup));
  (void)client->Init(identity.softid, identity.qid, identity.version, identity.av, identity.category,
                     identity.instTime, identity.special);
  return client;
}

std::unique_ptr<CConnectHelp> ApiTest::MakeUnsyncedClient(const TestIdentity& identity) {
  m_server->SetReply("microtime/", devserver::EnvelopeReply(503, "busy", "null"));
  auto client = MakeClient(identity);
  m_server->SetReplies("microtime/", {});
  return client;
}

std::vector<devserver::LoggedRequest> ApiTest::RequestsFor(const std::string& path) const {
  std::vector<devserver::LoggedRequest> found;
  for (auto& request : m_server->Requests()) {
    if (request.r == path) found.push_back(request);
  }
  return found;
}

void ApiTest::WriteAppDword(const std::u16string& name, uint32_t value) {
  ASSERT_EQ(CfgAppWriter().WriteDword(name, value), 0);
}

void ApiTest::SetTestMode(bool on) {
  const std::filesystem::path marker = std::filesystem::path(GetDataDir()) / "AppTest.txt";
  if (on) {
    std::ofstream(marker) << "test";
  } else {
    std::filesystem::remove(marker);
  }
}
