// https: certificates are checked against the trust store.
#include <cstdlib>
#include <filesystem>

#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/http_transport.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

namespace {

// Makes a CA and a server certificate for 127.0.0.1 signed by it.
bool MakeCertificates(const TempDir& dir) {
  const std::string d = dir.path().string();
  const std::string script =
      "cd '" + d +
      "' && "
      "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 "
      "-subj /CN=orv-test-ca >/dev/null 2>&1 && "
      "openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 "
      "-subj /CN=orv-other-ca >/dev/null 2>&1 && "
      "openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr "
      "-subj /CN=127.0.0.1 >/dev/null 2>&1 && "
      "printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\\n' > san.ext && "
      "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
      "-out server.pem -days 2 -extfile san.ext >/dev/null 2>&1";
  return std::system(script.c_str()) == 0;
}

class TlsTest : public ApiTest {
 protected:
  void SetUp() override {
    // The Windows build's cpp-httplib has no OpenSSL, and the certificates
    // are made with the openssl command of a POSIX host.
    if (!devserver::SupportsHttps())
      GTEST_SKIP() << "devserver built without TLS (no OpenSSL in its cpp-httplib)";
    ApiTest::SetUp();
    ASSERT_TRUE(MakeCertificates(m_certs));
    devserver::Options options;
    options.https = true;
    options.certFile = m_certs.File("server.pem");
    options.keyFile = m_certs.File("server.key");
    m_https = std::make_unique<devserver::Server>(options);
    std::string error;
    ASSERT_TRUE(m_https->Start(&error)) << error;
  }
  std::u16string Url() const { return Utf8ToUtf16(m_https->HttpsBaseUrl()) + u"microtime/"; }
  TempDir m_certs;
  std::unique_ptr<devserver::Server> m_https;
};

TEST_F(TlsTest, UntrustedCertificateIsRefused) {
  HttpTransport system(Url(), {});
  EXPECT_FALSE(system.SendRequest(u"GET"));
  EXPECT_EQ(system.GetLastErrorCode(), platform::kErrorHttpSecureFailure);
  ScopedEnv other("SSL_CERT_FILE", m_certs.File("other.pem"));
  HttpTransport wrongCa(Url(), {});
  EXPECT_FALSE(wrongCa.SendRequest(u"GET"));
  EXPECT_EQ(wrongCa.GetLastErrorCode(), platform::kErrorHttpSecureFailure);
  EXPECT_TRUE(m_https->Requests().empty());
}

TEST_F(TlsTest, TrustedTestCaIsAccepted) {
  ScopedEnv trust("SSL_CERT_FILE", m_certs.File("ca.pem"));
  HttpTransport client(Url(), {});
  ASSERT_TRUE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetStatusCode(), u"200");
  EXPECT_TRUE(m_https->Requests().at(0).tls);
  const std::u16string base = Utf8ToUtf16(m_https->HttpsBaseUrl());
  CConnectHelp api(CClientSetup{u"FP", 17, base, base, 1, {}, {}});
  EXPECT_TRUE(api.Init(8, 1, u"1.0.0.0", 0, 0, 1, 0));
  EXPECT_TRUE(api.ReportStartup(2, 102));
}

TEST_F(TlsTest, CheckingCanBeTurnedOffPerRequest) {
  HttpTransport client(Url(), {});
  client.SetRequireValidCertificate(false);
  EXPECT_TRUE(client.SendRequest(u"GET"));
}

}  // namespace
