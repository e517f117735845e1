// The system's proxy settings on Windows: a send that fails on the default
// route goes once more through the proxy of the user's Internet Explorer
// settings (the "DefaultConnectionSettings" record of the current user).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/http_transport.h"

namespace {

constexpr wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
constexpr wchar_t kSettings[] = L"DefaultConnectionSettings";

void AppendDword(std::vector<BYTE>* record, DWORD value) {
  const auto* bytes = reinterpret_cast<const BYTE*>(&value);
  record->insert(record->end(), bytes, bytes + sizeof(value));
}

// The settings record naming a fixed proxy, no bypass list and no script.
std::vector<BYTE> FixedProxyRecord(const std::string& proxy) {
  std::vector<BYTE> record;
  AppendDword(&record, 0x46);  // record version
  AppendDword(&record, 0);     // change counter
  AppendDword(&record, 2);     // flags: use the fixed proxy
  AppendDword(&record, static_cast<DWORD>(proxy.size()));
  record.insert(record.end(), proxy.begin(), proxy.end());
  AppendDword(&record, 0);  // bypass list
  AppendDword(&record, 0);  // configuration script
  record.resize(record.size() + 32, 0);
  return record;
}

// Puts the user's proxy settings in place for one test and restores them.
class UserProxySettings {
 public:
  UserProxySettings() {
    RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key,
                    nullptr);
    DWORD size = 0, type = 0;
    if (m_key && RegQueryValueExW(m_key, kSettings, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      m_saved.emplace(size);
      RegQueryValueExW(m_key, kSettings, nullptr, &type, m_saved->data(), &size);
    }
  }
  ~UserProxySettings() {
    if (!m_key) return;
    if (m_saved) {
      RegSetValueExW(m_key, kSettings, 0, REG_BINARY, m_saved->data(), static_cast<DWORD>(m_saved->size()));
    } else {
      RegDeleteValueW(m_key, kSettings);
    }
    RegCloseKey(m_key);
  }
  bool Set(const std::vector<BYTE>& record) {
    return m_key && RegSetValueExW(m_key, kSettings, 0, REG_BINARY, record.data(),
                                   static_cast<DWORD>(record.size())) == ERROR_SUCCESS;
  }

 private:
  HKEY m_key = nullptr;
  std::optional<std::vector<BYTE>> m_saved;
};

using UserProxyTest = ApiTest;

TEST_F(UserProxyTest, FailedSendIsRepeatedThroughTheUserProxyWithItsBody) {
  UserProxySettings settings;
  ASSERT_TRUE(settings.Set(FixedProxyRecord("127.0.0.1:" + std::to_string(m_server->Port()))));
  HttpTransport client(u"http://orv-origin.invalid/?r=api/default/isps", {});
  const std::string body = "a=1&b=2";
  ASSERT_TRUE(client.SetRequestBody(body.data(), body.size()));
  ASSERT_TRUE(client.SendRequest(u"POST"));
  const auto requests = m_server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].proxied);
  EXPECT_EQ(requests[0].headers.find("Host")->second, "orv-origin.invalid");
  EXPECT_EQ(requests[0].body, body);
}

TEST_F(UserProxyTest, AnExplicitProxyIsNotReplacedByTheUserProxy) {
  UserProxySettings settings;
  ASSERT_TRUE(settings.Set(FixedProxyRecord("127.0.0.1:" + std::to_string(m_server->Port()))));
  HttpTransport client(u"http://orv-origin.invalid/?r=api/default/isps", {});
  client.SetProxy(u"localhost:1");
  EXPECT_FALSE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetLastErrorCode(), platform::kErrorHttpCannotConnect);
  EXPECT_TRUE(m_server->Requests().empty());
}

TEST_F(UserProxyTest, WithoutAUserProxyTheSendFailureStands) {
  UserProxySettings settings;
  ASSERT_TRUE(settings.Set(FixedProxyRecord("")));
  HttpTransport unreachable(u"http://127.0.0.1:1/?r=api/default/isps", {});
  EXPECT_FALSE(unreachable.SendRequest(u"GET"));
  EXPECT_EQ(unreachable.GetLastErrorCode(), platform::kErrorHttpCannotConnect);
  EXPECT_TRUE(m_server->Requests().empty());
}

}  // namespace
