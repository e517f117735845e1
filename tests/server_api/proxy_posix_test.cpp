// The system's proxy settings on POSIX: the usual proxy variables.
#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/http_transport.h"
#include "support/test_environment.h"

namespace {

using SystemProxyTest = ApiTest;

TEST_F(SystemProxyTest, ProxyVariablesAreTheDefault) {
  ScopedEnv proxy("http_proxy", "http://127.0.0.1:" + std::to_string(m_server->Port()));
  ScopedEnv noProxy("no_proxy", "");
  HttpTransport client(u"http://orv-origin.invalid/microtime/", {});
  ASSERT_TRUE(client.SendRequest(u"GET"));
  EXPECT_TRUE(m_server->Requests().at(0).proxied);
}

}  // namespace
