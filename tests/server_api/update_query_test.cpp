// The update query: its query string and the reading of its answer.
#include <optional>

#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/update_server.h"

namespace {

class UpdateQueryTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    m_client = MakeClient();
  }
  bool Query(bool silent = false) {
    return m_client->QueryUpdate(m_version, 4096, m_url, 4096, m_md5, 4096, silent);
  }
  std::unique_ptr<CConnectHelp> m_client;
  char16_t m_version[4096] = u"";
  char16_t m_url[4096] = u"";
  char16_t m_md5[4096] = u"";
};

TEST_F(UpdateQueryTest, SilentQueryStringHasSlienceInItsPlace) {
  ASSERT_TRUE(Query(true));
  const auto sent = RequestsFor("api/update/v2");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].method, "GET");
  EXPECT_EQ(sent[0].target,
            "/?r=api/update/v2&av=0&category=0&os=17&qid=1&slience=1&softid=8&special=false"
            "&version=1.0.0.0&vmware=false");
  ASSERT_TRUE(Query(false));
  EXPECT_NE(RequestsFor("api/update/v2").at(1).query.find("&qid=1&slience=0&softid=8&"), std::string::npos);
}

TEST_F(UpdateQueryTest, DemoServerOffersAnUpdate) {
  ASSERT_TRUE(Query());
  EXPECT_EQ(std::u16string(m_version), u"1.0.0.2");
  EXPECT_EQ(std::u16string(m_url), Base() + u"files/Update.exe");
  EXPECT_EQ(std::u16string(m_md5), Base() + u"files/Update.exe.md5");
}

TEST_F(UpdateQueryTest, AnswersWithoutAnOffer) {
  m_server->SetReply("api/update/v2", devserver::EnvelopeReply(200, "success", "null"));
  EXPECT_TRUE(Query());
  EXPECT_EQ(std::u16string(m_version) + m_url + m_md5, u"");
  m_server->SetReply("api/update/v2",
                     devserver::EnvelopeReply(200, "success", R"({"version":"2.0","url":""})"));
  EXPECT_TRUE(Query());
  EXPECT_EQ(std::u16string(m_version), u"2.0");
  EXPECT_EQ(std::u16string(m_url), u"");
  m_server->SetReply("api/update/v2",
                     devserver::EnvelopeReply(200, "fail", R"({"version":"3.0","url":"u"})"));
  EXPECT_FALSE(Query());
  EXPECT_EQ(std::u16string(m_version), u"2.0");
  m_server->SetReply("api/update/v2", RawReply(R"({"status":200,"message":"success"})"));
  EXPECT_TRUE(Query());
  EXPECT_EQ(std::u16string(m_version), u"");
}

TEST_F(UpdateQueryTest, ValueLongerThanItsBufferWritesNothing) {
  const std::string longUrl = "http://x/" + std::string(4087, 'a');  // 4096 characters
  m_server->SetReply(
      "api/update/v2",
      devserver::EnvelopeReply(200, "success", R"({"version":"9.9","url":")" + longUrl + R"(","md5":"m"})"));
  EXPECT_FALSE(Query());
  EXPECT_EQ(std::u16string(m_version), u"");
  const std::string fits = longUrl.substr(0, 4095);
  m_server->SetReply(
      "api/update/v2",
      devserver::EnvelopeReply(200, "success", R"({"version":"9.9","url":")" + fits + R"(","md5":"m"})"));
  EXPECT_TRUE(Query());
  EXPECT_EQ(std::u16string(m_url).size(), 4095u);
}

// A job's own client answers with values: the offer, none, or a failed
// check, under the same bound on a text as the buffers above.
TEST_F(UpdateQueryTest, JobClientAnswersWithValues) {
  const std::shared_ptr<IUpdateServer> job = MakeUpdateServer(*m_client);
  const std::string fits = "http://x/" + std::string(4086, 'a');  // 4095 characters
  const struct {
    std::string recordset;
    std::optional<std::u16string> url;  // nothing: the check failed
  } rows[] = {{"null", u""},
              {R"({"version":"9.9","url":")" + fits + R"(","md5":"m"})", Utf8ToUtf16(fits)},
              {R"({"version":"9.9","url":")" + fits + R"(a","md5":"m"})", std::nullopt}};
  for (const auto& row : rows) {
    m_server->SetReply("api/update/v2", devserver::EnvelopeReply(200, "success", row.recordset));
    const std::optional<TUpdateOffer> offer = job->QueryUpdate(false);
    ASSERT_EQ(offer.has_value(), row.url.has_value()) << row.recordset.substr(0, 40);
    if (offer) {
      EXPECT_EQ(offer->installerUrl, *row.url);
    }
  }
  m_server->SetReply("api/update/v2", devserver::EnvelopeReply(200, "fail", "null"));
  EXPECT_FALSE(job->QueryUpdate(true).has_value());
  EXPECT_NE(RequestsFor("api/update/v2").back().query.find("&slience=1&"), std::string::npos);
}

// The checksum text comes back as a value, read up to its first zero byte;
// a failed fetch gives none.
TEST_F(UpdateQueryTest, JobClientFetchesText) {
  const std::shared_ptr<IUpdateServer> job = MakeUpdateServer(*m_client);
  devserver::Reply reply;
  reply.body = std::string("0123456789ABCDEF0123456789ABCDEF") + '\0' + "tail";  // read up to the zero
  reply.contentType = "text/plain";
  m_server->SetReply("files/Update.exe.md5", reply);
  EXPECT_EQ(job->FetchText(Base() + u"files/Update.exe.md5"), u"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_FALSE(job->FetchText(u"http://127.0.0.1:1/none").has_value());
}

}  // namespace
