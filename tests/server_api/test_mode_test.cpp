// Test mode: the plain-http base, the proxy of API requests and the log line.
#include <algorithm>
#include <filesystem>

#include "common/text.h"
#include "platform/system/known_folders.h"
#include "server_api/api_base.h"
#include "server_api/api_test_fixture.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

namespace {

// The test proxy is named "localhost" while the server is reached as
// 127.0.0.1: Wine's WinHTTP sends the origin form, and so bypasses a proxy,
// whenever the proxy's host name equals the server's.
class TestModeTest : public ApiTest {
 protected:
  std::string Proxy() const { return "localhost:" + std::to_string(m_server->Port()); }
};

TEST_F(TestModeTest, BaseUrlsComeFromTheEnvironmentAndEndInSlash) {
  {
    ScopedEnv base("ORV_API_BASE", "https://api.example.test/v1");
    ScopedEnv test("ORV_API_BASE_TEST", "http://test.example.test/");
    EXPECT_EQ(ApiBaseUrl(false), u"https://api.example.test/v1/");
    EXPECT_EQ(ApiBaseUrl(true), u"http://test.example.test/");
  }
  ScopedEnv base("ORV_API_BASE", "");
  ScopedEnv test("ORV_API_BASE_TEST", "");
  EXPECT_EQ(ApiBaseUrl(false), kDefaultApiBase);
  EXPECT_EQ(ApiBaseUrl(true), kDefaultTestApiBase);
  EXPECT_EQ(std::u16string(kDefaultApiBase).rfind(u"https://", 0), 0u);
  EXPECT_EQ(std::u16string(kDefaultTestApiBase).rfind(u"http://", 0), 0u);
  ScopedEnv proxy("ORV_TEST_PROXY", "");
  EXPECT_EQ(TestModeProxy(), u"127.0.0.1:8888");
}

TEST_F(TestModeTest, ApiRequestsGoThroughTheTestProxy) {
  SetTestMode(true);
  ScopedEnv test("ORV_API_BASE_TEST", "http://orv-api-test.invalid/");
  ScopedEnv proxy("ORV_TEST_PROXY", Proxy());
  CConnectHelp client;  // the real machine facts and the test-mode base
  EXPECT_TRUE(client.Init(8, 1, u"1.0.0.0", 0, 0, 1, 0));
  EXPECT_TRUE(client.ReportStartup(2, 102));
  (void)client.QueryIsps();  // its answer does not matter, only its route
  const auto requests = m_server->Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& request : requests) {
    EXPECT_TRUE(request.proxied) << request.target;
    EXPECT_EQ(request.headers.find("Host")->second, "orv-api-test.invalid");
    // Wine's WinHTTP writes the default port into the proxy-form target.
    EXPECT_EQ(request.target.rfind("http://orv-api-test.invalid", 0), 0u) << request.target;
  }
  EXPECT_EQ(requests[0].path, "/microtime/");
  // Transfers never use the test proxy.
  m_server->ClearRequests();
  EXPECT_TRUE(client.DownloadToMemory(Base() + u"files/Update.exe", nullptr));
  m_env->dir().Write("f.bin", "x");
  EXPECT_TRUE(client.HttpPutFile(Base() + u"storage/f.bin", Utf8ToUtf16(m_env->dir().File("f.bin"))));
  for (const auto& request : m_server->Requests()) EXPECT_FALSE(request.proxied);
}

TEST_F(TestModeTest, ModeIsCheckedAgainAtEveryRequest) {
  ScopedEnv base("ORV_API_BASE", m_server->BaseUrl());
  ScopedEnv proxy("ORV_TEST_PROXY", Proxy());
  CConnectHelp client;  // made outside test mode: the normal base stays
  EXPECT_TRUE(client.ReportStartup(2, 102));
  SetTestMode(true);
  EXPECT_TRUE(client.ReportStartup(2, 102));
  SetTestMode(false);
  EXPECT_TRUE(client.ReportStartup(2, 102));
  const auto sent = RequestsFor("api/statistics/soft/startup");
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_FALSE(sent[0].proxied);
  EXPECT_TRUE(sent[1].proxied);
  EXPECT_EQ(sent[1].target, m_server->BaseUrl() + "?r=api/statistics/soft/startup");
  EXPECT_FALSE(sent[2].proxied);
}

TEST_F(TestModeTest, FailedRequestIsLoggedOnlyInTestMode) {
  const std::string logFile = Utf16ToUtf8(platform::GetProgramFilePath()) + ".log";
  std::filesystem::remove(logFile);
  ScopedEnv base("ORV_API_BASE", "http://127.0.0.1:1/");
  ScopedEnv proxy("ORV_TEST_PROXY", "localhost:1");
  CConnectHelp client;
  EXPECT_FALSE(client.ReportStartup(2, 102));
  EXPECT_FALSE(std::filesystem::exists(logFile));
  SetTestMode(true);
  EXPECT_FALSE(client.ReportStartup(2, 102));
  m_server->SetReply("api/config/get", RawReply("not json"));
  JsonPtr document;
  EXPECT_FALSE(client.HttpGet(Base() + u"?r=api/config/get", &document));  // proxy refuses too
  std::string log = ReadFileBytes(logFile);
  // The log is a text file: its lines end in CRLF on Windows.
  std::erase(log, '\r');
  EXPECT_TRUE(log.ends_with("] http_post_data fail : 12029\n")) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  std::filesystem::remove(logFile);
}

}  // namespace
