// The reply envelope and the clock synchronisation.
#include <cmath>

#include "server_api/api_test_fixture.h"

namespace {

class EnvelopeTest : public ApiTest {
 protected:
  // Whether a report is accepted when the server answers with body.
  bool Accepted(const std::string& body, int httpStatus = 200) {
    m_server->SetReply("api/statistics/soft/startup", RawReply(body, httpStatus));
    return m_client->ReportStartup(2, 102);
  }
  void SetUp() override {
    ApiTest::SetUp();
    m_client = MakeClient();
  }
  std::unique_ptr<CConnectHelp> m_client;
};

TEST_F(EnvelopeTest, OnlyIntegerStatusAndExactSuccessAreAccepted) {
  EXPECT_TRUE(Accepted(R"({"status":200,"message":"success","recordset":null})"));
  EXPECT_TRUE(Accepted(R"({"status":200,"message":"success"})"));
  EXPECT_FALSE(Accepted(R"({"status":"200","message":"success"})"));
  EXPECT_FALSE(Accepted(R"({"status":200.0,"message":"success"})"));
  EXPECT_FALSE(Accepted(R"({"status":200})"));
  EXPECT_FALSE(Accepted(R"({"status":200,"message":"Success"})"));
  EXPECT_FALSE(Accepted(R"({"status":200,"message":"success "})"));
  EXPECT_FALSE(Accepted(R"({"status":200,"message":1})"));
  EXPECT_FALSE(Accepted(R"(["status",200])"));
  EXPECT_FALSE(Accepted("not json"));
  EXPECT_FALSE(Accepted(""));
}

TEST_F(EnvelopeTest, HttpErrorRepliesAreJudgedByTheirJsonOnly) {
  EXPECT_TRUE(Accepted(R"({"status":200,"message":"success","recordset":null})", 404));
  EXPECT_FALSE(Accepted(R"({"status":500,"message":"error","recordset":null})", 500));
  JsonPtr reply;
  m_server->SetReply("api/config/get", RawReply(R"({"status":404,"message":"missing"})", 404));
  ASSERT_TRUE(m_client->HttpGet(Base() + u"?r=api/config/get", &reply));
  EXPECT_EQ(json_integer_value(json_object_get(reply.get(), "status")), 404);
}

TEST_F(EnvelopeTest, EnvelopeTestsReadTheDocument) {
  JsonPtr ok = ParseJson(R"({"status":200,"message":"success"})");
  JsonPtr empty = ParseJson("{}");
  EXPECT_TRUE(m_client->IsStatusOk(ok.get()));
  EXPECT_TRUE(m_client->IsMessageSuccess(ok.get()));
  EXPECT_FALSE(m_client->IsStatusOk(empty.get()));
  EXPECT_FALSE(m_client->IsMessageSuccess(empty.get()));
  JsonPtr embeddedNul = ParseJson(R"({"message":"success\u0000x"})");
  EXPECT_FALSE(m_client->IsMessageSuccess(embeddedNul.get()));
}

class ClockTest : public ApiTest {};

TEST_F(ClockTest, ServerAheadMovesEveryLaterTimestamp) {
  m_server->SetClockOffset(100);
  auto client = MakeClient();
  ASSERT_TRUE(client->ReportStartup(2, 4));
  ASSERT_TRUE(client->ReportStartup(4, 0));
  const auto sent = RequestsFor("api/statistics/soft/startup");
  ASSERT_EQ(sent.size(), 2u);
  for (const auto& request : sent) {
    const size_t at = request.body.find("timestamp=") + 10;
    const long long stamp = std::stoll(request.body.substr(at));
    // Within a second of the server's own clock plus the offset.
    EXPECT_LE(std::fabs(stamp - (request.time + 100)), 1.5) << request.body;
  }
}

TEST_F(ClockTest, FractionalTimeIsCutTowardZero) {
  TestIdentity identity;
  identity.clock = 1700000000;
  m_server->SetReply("microtime/", RawReply(R"({"status":200,"time":1699999000.9})"));
  auto client = MakeClient(identity);
  // offset = 1700000000 - 1699999000; the timestamp is the server's whole second.
  EXPECT_EQ(client->GetTimestamp(), 1699999000);
}

TEST_F(ClockTest, FailedSynchronisationKeepsTheOffset) {
  TestIdentity identity;
  identity.clock = 1700000000;
  m_server->SetReply("microtime/", RawReply(R"({"status":200,"time":1699999000})"));
  auto client = MakeClient(identity);
  ASSERT_EQ(client->GetTimestamp(), 1699999000);
  for (const char* body :
       {R"({"status":"200","time":5})", R"({"status":200,"time":"5"})", R"({"status":200})", "garbage"}) {
    m_server->SetReply("microtime/", RawReply(body));
    EXPECT_FALSE(client->SyncServerTime()) << body;
    EXPECT_EQ(client->GetTimestamp(), 1699999000) << body;
  }
  // "message" is not looked at by the clock request.
  m_server->SetReply("microtime/", RawReply(R"({"status":200,"message":"x","time":1699999900})"));
  EXPECT_TRUE(client->SyncServerTime());
  EXPECT_EQ(client->GetTimestamp(), 1699999900);
}

// A clock no server can have would overflow the offset arithmetic; it is
// ignored and the offset from the last sane reply stays.
TEST_F(ClockTest, AbsurdTimeIsIgnored) {
  TestIdentity identity;
  identity.clock = 1700000000;
  m_server->SetReply("microtime/", RawReply(R"({"status":200,"time":1699999000})"));
  auto client = MakeClient(identity);
  ASSERT_EQ(client->GetTimestamp(), 1699999000);
  for (const char* time : {"1e19", "1e300", "-1e19", "-5", "0", "9223372036854775807", "-9223372036854775808",
                           "4102444800", "946684799.9"}) {
    m_server->SetReply("microtime/", RawReply(std::string(R"({"status":200,"time":)") + time + "}"));
    EXPECT_FALSE(client->SyncServerTime()) << time;
    EXPECT_EQ(client->GetTimestamp(), 1699999000) << time;
  }
}

TEST_F(ClockTest, InitStoresIdentityAndReportsTheSynchronisation) {
  auto client = std::make_unique<CConnectHelp>(CClientSetup{u"FP", 17, Base(), Base(), 1, {}, {}});
  EXPECT_TRUE(client->Init(8, 5, u"1.0.0.0", 3, 0, 42, 1));
  const auto clock = RequestsFor("");
  ASSERT_FALSE(clock.empty());
  EXPECT_EQ(clock[0].path, "/microtime/");
  EXPECT_EQ(clock[0].query, "");
  ASSERT_TRUE(client->ReportStartup(2, 102));
  const std::string body = RequestsFor("api/statistics/soft/startup").at(0).body;
  EXPECT_NE(body.find("&qid=5&"), std::string::npos);
  EXPECT_NE(body.find("av=3&"), std::string::npos);
  EXPECT_NE(body.find("&instTime=42&"), std::string::npos);
  EXPECT_NE(body.find("&special=true&"), std::string::npos);
  EXPECT_NE(body.find("&module=2&"), std::string::npos);
  EXPECT_NE(body.find("Parent=102&"), std::string::npos);
}

}  // namespace
