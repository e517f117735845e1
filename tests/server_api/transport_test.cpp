// HttpTransport against devserver: verbs, attempts, redirects, headers,
// proxies and limits; and the header readers on their own.
#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/http_transport.h"
#include "server_api/reply_headers.h"
#include "support/test_environment.h"

namespace {

class TransportTest : public ApiTest {
 protected:
  std::u16string Url(const std::string& path) const { return Base() + Utf8ToUtf16(path); }
};

TEST_F(TransportTest, RefusesEmptyUrlAndOtherVerbsWithoutSending) {
  HttpTransport empty(u"", {});
  EXPECT_FALSE(empty.SendRequest(u"GET"));
  EXPECT_EQ(empty.GetLastErrorCode(), 3u);
  HttpTransport other(Url("microtime/"), {});
  EXPECT_FALSE(other.SendRequest(u"DELETE"));
  EXPECT_EQ(other.GetLastErrorCode(), 87u);
  EXPECT_TRUE(m_server->Requests().empty());
  HttpTransport lower(Url("microtime/"), {});
  ASSERT_TRUE(lower.SendRequest(u"get"));
  EXPECT_EQ(m_server->Requests().at(0).method, "GET");
  EXPECT_EQ(lower.GetStatusCode(), u"200");
}

TEST_F(TransportTest, CutOffHtmlIsTriedThreeTimesThenFailsWith13) {
  m_server->SetReply("api/popup/popup", RawReply("<html><body>proxy says"));
  HttpTransport client(Url("?r=api/popup/popup"), {});
  EXPECT_FALSE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetLastErrorCode(), 13u);
  EXPECT_EQ(RequestsFor("api/popup/popup").size(), 3u);

  m_server->SetReplies("api/config/get",
                       {RawReply("<html>"), RawReply("<html>x"), RawReply(R"({"status":200})")});
  HttpTransport retried(Url("?r=api/config/get"), {});
  ASSERT_TRUE(retried.SendRequest(u"GET"));
  EXPECT_EQ(retried.GetReplyText(), u"{\"status\":200}");
  EXPECT_EQ(RequestsFor("api/config/get").size(), 3u);
}

TEST_F(TransportTest, CutOffHtmlCheckAppliesOnlyToGetWithRedirects) {
  m_server->SetReply("api/popup/popup", RawReply("<html>"));
  HttpTransport post(Url("?r=api/popup/popup"), {});
  ASSERT_TRUE(post.SetRequestBody("a", 1));
  EXPECT_TRUE(post.SendRequest(u"POST"));
  HttpTransport noRedirects(Url("?r=api/popup/popup"), {});
  EXPECT_TRUE(noRedirects.SendRequest(u"GET", true));
  m_server->SetReply("api/popup/popup", RawReply("<html></html>"));
  HttpTransport whole(Url("?r=api/popup/popup"), {});
  EXPECT_TRUE(whole.SendRequest(u"GET"));
  EXPECT_EQ(RequestsFor("api/popup/popup").size(), 3u);
}

TEST_F(TransportTest, BrokenRepliesAreTriedThreeTimesWithTheWholeBody) {
  devserver::Reply cut = RawReply(std::string(1000, 'q'));
  cut.truncateTo = 10;
  m_server->SetReplies("api/config/get", {cut, cut, RawReply(R"({"status":200})")});
  HttpTransport client(Url("?r=api/config/get"), {});
  ASSERT_TRUE(client.SetRequestBody("a=1&b=2", 7));
  ASSERT_TRUE(client.SendRequest(u"POST"));
  EXPECT_EQ(client.GetReplyText(), u"{\"status\":200}");
  const auto sent = RequestsFor("api/config/get");
  ASSERT_EQ(sent.size(), 3u);
  for (const auto& request : sent) EXPECT_EQ(request.body, "a=1&b=2");

  m_server->SetReply("api/popup/popup", cut);
  HttpTransport failing(Url("?r=api/popup/popup"), {});
  EXPECT_FALSE(failing.SendRequest(u"GET"));
  EXPECT_EQ(failing.GetLastErrorCode(), platform::kErrorHttpConnectionError);
  EXPECT_EQ(RequestsFor("api/popup/popup").size(), 3u);
}

TEST_F(TransportTest, UnreachableServerFailsWithTheConnectError) {
  HttpTransport client(u"http://127.0.0.1:1/", {});
  EXPECT_FALSE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetLastErrorCode(), platform::kErrorHttpCannotConnect);
}

TEST_F(TransportTest, RedirectsAreFollowedUnlessDisabled) {
  devserver::Reply redirect = RawReply("moved", 302);
  redirect.headers = {{"Location", "{base}microtime/"}};
  m_server->SetReply("api/config/get", redirect);
  HttpTransport follow(Url("?r=api/config/get"), {});
  ASSERT_TRUE(follow.SendRequest(u"GET"));
  EXPECT_EQ(follow.GetStatusCode(), u"200");
  EXPECT_NE(follow.GetReplyText().find(u"\"time\""), std::u16string::npos);
  EXPECT_EQ(follow.GetReplyHeaders().find(u"302"), std::u16string::npos);
  HttpTransport stay(Url("?r=api/config/get"), {});
  ASSERT_TRUE(stay.SendRequest(u"GET", true));
  EXPECT_EQ(stay.GetStatusCode(), u"302");
  EXPECT_EQ(stay.GetReplyText(), u"moved");
}

TEST_F(TransportTest, SendsItsHeadersAndReadsTheReplyHeaders) {
  devserver::Reply reply = RawReply("{}");
  reply.contentType = "application/json; charset=UTF-8";
  reply.headers = {{"Set-Cookie", "a=1; Path=/"}, {"Set-Cookie", "b=2"}};
  m_server->SetReply("api/config/get", reply);
  HttpTransport client(Url("?r=api/config/get"), {});
  client.SetRequestHeaders(u"X-One: 1\r\nX-Two: 2\r\nx-one: 3\r\n");
  client.SetRequestCookies(u"sid=9");
  ASSERT_TRUE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetCharset(), u"UTF-8");
  EXPECT_EQ(client.GetReplyCookies(), u"a=1; Path=/; b=2;");
  EXPECT_EQ(client.GetContentLength(), 2u);
  const auto headers = m_server->Requests().at(0).headers;
  EXPECT_EQ(headers.find("X-One")->second, "1; 3");
  EXPECT_EQ(headers.find("Cookie")->second, "sid=9");
  EXPECT_EQ(headers.find("User-Agent")->second, "WinHttpClient");
  EXPECT_EQ(headers.count("Accept"), 0u);
}

TEST_F(TransportTest, ReceiveTimeoutEndsAStalledReply) {
  devserver::Reply slow = RawReply("{}");
  slow.delayMs = 2500;
  m_server->SetReply("api/config/get", slow);
  HttpTransport client(Url("?r=api/config/get"), {});
  client.SetTimeouts(0, 1000, 1000, 300);
  client.SetMaxReplyBytes(1);
  EXPECT_FALSE(client.SendRequest(u"GET"));
  EXPECT_EQ(client.GetLastErrorCode(), platform::kErrorHttpTimeout);
}

// API replies and downloads into memory are held whole.
TEST_F(TransportTest, RepliesHeldInMemoryAreLimitedTo16MiB) {
  const std::string big = "{\"pad\":\"" + std::string(kMaxApiReplyBytes, 'x') + "\"}";
  m_server->SetReply("api/config/get", RawReply(big));
  auto client = MakeClient();
  JsonPtr document;
  EXPECT_FALSE(client->HttpGet(Base() + u"?r=api/config/get", &document));
  EXPECT_FALSE(client->DownloadToMemory(Base() + u"?r=api/config/get", nullptr));
  EXPECT_EQ(client->GetDownloadedSize(), 0u);
  HttpTransport limited(Url("?r=api/config/get"), {});
  limited.SetMaxReplyBytes(1024);
  EXPECT_FALSE(limited.SendRequest(u"GET"));
  EXPECT_EQ(limited.GetLastErrorCode(), platform::kErrorNotEnoughMemory);
}

TEST_F(TransportTest, ExplicitProxyWithCredentials) {
  devserver::Options options;
  options.proxyAuth = "orv:secret";
  devserver::Server proxy(options);
  std::string error;
  ASSERT_TRUE(proxy.Start(&error)) << error;
  const std::u16string proxyAddress = u"127.0.0.1:" + ToU16(proxy.Port());
  HttpTransport anonymous(u"http://orv-origin.invalid/?r=api/default/isps", {});
  anonymous.SetProxy(proxyAddress);
  ASSERT_TRUE(anonymous.SendRequest(u"GET"));
  EXPECT_EQ(anonymous.GetStatusCode(), u"407");
  HttpTransport named(u"http://orv-origin.invalid/?r=api/default/isps", {});
  named.SetProxy(proxyAddress);
  named.SetProxyCredentials(u"orv", u"secret");
  ASSERT_TRUE(named.SendRequest(u"GET"));
  EXPECT_EQ(named.GetStatusCode(), u"200");
  const auto last = proxy.Requests().back();
  EXPECT_TRUE(last.proxied);
  EXPECT_EQ(last.headers.find("Host")->second, "orv-origin.invalid");
}

TEST(ReplyHeadersTest, ValuesAreFoundCaseSensitively) {
  const std::u16string headers =
      u"HTTP/1.1 200 OK\r\ncontent-length: 9\r\nContent-Length: 12\r\n"
      u"Content-Type: text/html; charset=\r\nX: charset=gb_2312-80;\r\n"
      u"Set-Cookie:   one=1  \r\nset-cookie: no=0\r\nSet-Cookie: two=2;\r\n\r\n";
  EXPECT_EQ(FindContentLength(headers), 12u);
  EXPECT_EQ(FindCharset(headers), u"gb_2312-80");
  EXPECT_EQ(JoinSetCookies(headers), u"one=1; two=2;");
  EXPECT_EQ(FindContentLength(u"Content-Length: x"), std::nullopt);
  EXPECT_EQ(JoinSetCookies(u"HTTP/1.1 200 OK\r\n"), u"");
}

TEST(ReplyHeadersTest, RequestHeaderLinesAreMergedByName) {
  EXPECT_EQ(MergeHeaderLines(u"A: 1\r\nB: 2\r\n\r\na: 3\r\nbroken\r\n"),
            (std::vector<std::u16string>{u"A: 1; 3", u"B: 2"}));
  EXPECT_TRUE(MergeHeaderLines(u"").empty());
}

}  // namespace
