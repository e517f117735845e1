// The endpoint methods: paths, verbs, parameters and result rules.
#include <functional>

#include "common/text.h"
#include "server_api/api_test_fixture.h"

namespace {

class CatalogueTest : public ApiTest {
 protected:
  void SetUp() override {
    ApiTest::SetUp();
    m_client = MakeClient();
  }
  void Answer(const std::string& path, const std::string& recordset) {
    m_server->SetReply(path, devserver::EnvelopeReply(200, "success", recordset));
  }
  void AnswerRaw(const std::string& path, const std::string& body) {
    m_server->SetReply(path, RawReply(body));
  }
  std::unique_ptr<CConnectHelp> m_client;
};

struct EndpointCall {
  const char* path;
  const char* verb;
  std::function<bool(CConnectHelp*)> call;
  const char* ownParams;  // expected in the body or query, "" when none
};

TEST_F(CatalogueTest, EveryEndpointUsesItsPathVerbAndParameters) {
  char16_t buffer[256];
  std::u16string text, a, b, c;
  int32_t i1, i2, i3, i4;
  const EndpointCall calls[] = {
      {"api/statistics/soft/installPrepare", "POST", [](auto* s) { return s->ReportInstallPrepare(); }, ""},
      {"api/default/uninstall", "GET", [](auto* s) { return s->QueryUninstall(); },
       "mac=0123456789ABCDEF0123456789ABCDEF"},
      {"api/statistics/soft/installCancel", "POST", [](auto* s) { return s->ReportInstallCancel(); }, ""},
      {"api/statistics/soft/installed", "POST", [](auto* s) { return s->ReportInstalled(); }, ""},
      {"api/statistics/soft/uninstalled", "POST", [](auto* s) { return s->ReportUninstalled(); }, ""},
      {"api/config/installCfg", "GET", [&](auto* s) { return s->GetInstallConfig(&i1, &i2, &i3, &i4); }, ""},
      {"api/statistics/soft/updated", "POST", [](auto* s) { return s->ReportUpdated(); }, ""},
      {"api/statistics/soft/launchModule", "POST", [](auto* s) { return s->ReportLaunchModule(3, 7, false); },
       "Child=7&Parent=3"},
      {"api/statistics/soft/startup", "POST", [](auto* s) { return s->ReportStartup(2, 4); }, "Parent=4&"},
      {"api/statistics/soft/repair", "POST", [](auto* s) { return s->ReportRepair(6); }, "&module=6&"},
      {"api/statistics/soft/repairV2", "POST", [](auto* s) { return s->ReportRepairV2(7); }, "&module=7&"},
      {"api/statistics/soft/windowprepop", "POST", [](auto* s) { return s->ReportWindowPrePop(5, 9); },
       "bind_id=9&"},
      {"api/statistics/soft/windowpopv2", "POST", [](auto* s) { return s->ReportWindowPop(5, 9); },
       "&popup=5&"},
      {"api/statistics/soft/NoShowIn7Day", "POST", [](auto* s) { return s->ReportNoShowIn7Day(1); },
       "&mini=1&"},
      {"api/statistics/soft/crash", "POST", [](auto* s) { return s->ReportCrash(2); }, "&module=2&"},
      {"api/statistics/soft/com", "POST", [](auto* s) { return s->ReportCom(3); }, "&opp=3&"},
      {"api/popup/popup", "GET", [&](auto* s) { return s->GetPopupConfig(buffer, 256); }, ""},
      {"api/config/setDp", "GET", [](auto* s) { return !s->GetDropPacketConfig(); }, ""},
      {"api/statistics/soft/dropPacket", "POST", [&](auto* s) { return s->ReportDropPacket(buffer, 256); },
       ""},
      {"api/config/competitor", "GET", [&](auto* s) { return s->GetCompetitorConfig(&text, 12); }, "&v=12&"},
      {"api/update/plug", "GET", [&](auto* s) { return s->QueryPlug(&a, &b, &c); }, ""},
      {"api/update/plugCount", "POST", [](auto* s) { return s->ReportPlugCount(u"pk"); }, "&plugkey=pk&"},
      {"api/config/get", "GET", [&](auto* s) { return s->GetConfig(&text); }, ""},
      {"api/statistics/bind/installed", "POST", [](auto* s) { return s->ReportBindInstalled(u"b1"); },
       "bindid=b1&"},
      {"api/default/deInit", "GET", [&](auto* s) { return s->GetDeInitConfig(3, 4, &text, &i1); },
       "&dv=4&module=3&"},
      {"api/default/isps", "GET", [](auto* s) { return !s->QueryIsps(); }, ""},
      {"api/statistics/soft/postRecord", "POST", [](auto* s) { return s->PostRecord(10, 2); }, "&fail=2&"},
  };
  for (const auto& call : calls) {
    SCOPED_TRACE(call.path);
    EXPECT_TRUE(call.call(m_client.get()));
    const auto sent = RequestsFor(call.path);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, call.verb);
    const std::string& carrier = sent[0].method == "POST" ? sent[0].body : sent[0].query;
    EXPECT_NE(carrier.find(call.ownParams), std::string::npos) << carrier;
    if (sent[0].method == "GET") {
      EXPECT_EQ(carrier.find("signature"), std::string::npos);
      EXPECT_EQ(carrier.find("timestamp"), std::string::npos);
    } else {
      EXPECT_TRUE(sent[0].query == "r=" + std::string(call.path));
    }
  }
}

TEST_F(CatalogueTest, InstallConfigIsPresetWhenTheServerIsUnreachable) {
  CClientSetup setup{u"FP", 17, u"http://127.0.0.1:1/", u"http://127.0.0.1:1/", 1, {}, {}};
  CConnectHelp offline(setup);
  int32_t shell = 9, desktop = 9, start = 9, task = 9;
  EXPECT_FALSE(offline.GetInstallConfig(&shell, &desktop, &start, &task));
  EXPECT_EQ((std::vector<int32_t>{shell, desktop, start, task}), (std::vector<int32_t>{1, 1, 1, 0}));
  EXPECT_FALSE(offline.GetInstallConfig(nullptr, nullptr, nullptr, nullptr));
  Answer("api/config/installCfg", R"({"shellMenu":0,"desktopIcon":2,"startMenu":"1","taskBar":1})");
  EXPECT_TRUE(m_client->GetInstallConfig(&shell, &desktop, &start, &task));
  EXPECT_EQ((std::vector<int32_t>{shell, desktop, start, task}), (std::vector<int32_t>{0, 2, 0, 1}));
  Answer("api/config/installCfg", "null");
  EXPECT_FALSE(m_client->GetInstallConfig(&shell, &desktop, &start, &task));
  EXPECT_EQ((std::vector<int32_t>{shell, desktop, start, task}), (std::vector<int32_t>{1, 1, 1, 0}));
}

TEST_F(CatalogueTest, IspsAndDropPacketNeedTheInteger1) {
  Answer("api/default/isps", R"({"isps":"1"})");
  EXPECT_FALSE(m_client->QueryIsps());
  Answer("api/default/isps", R"({"isps":1})");
  EXPECT_TRUE(m_client->QueryIsps());
  AnswerRaw("api/default/isps", R"({"status":200,"message":"success"})");
  EXPECT_FALSE(m_client->QueryIsps());
  Answer("api/config/setDp", R"({"DropPacket":1})");
  EXPECT_TRUE(m_client->GetDropPacketConfig());
  Answer("api/config/setDp", "null");
  EXPECT_FALSE(m_client->GetDropPacketConfig());
}

TEST_F(CatalogueTest, UninstallAnswerIsFalseOnlyForATextOtherThanNo) {
  CConnectHelp offline(CClientSetup{u"FP", 17, u"http://127.0.0.1:1/", u"http://127.0.0.1:1/", 1, {}, {}});
  EXPECT_TRUE(offline.QueryUninstall());
  const std::pair<const char*, bool> cases[] = {
      {R"({"status":200,"message":"success","recordset":null})", true},
      {R"({"status":200,"message":"success","recordset":"no"})", true},
      {R"({"status":200,"message":"success","recordset":"yes"})", false},
      {R"({"status":200,"message":"success","recordset":"No"})", false},
      {R"({"status":200,"message":"success","recordset":0})", true},
      {R"({"status":200,"message":"success","recordset":{"a":"yes"}})", true},
      {R"({"status":200,"message":"success"})", true},
      {R"({"status":500,"message":"success","recordset":"yes"})", true},
  };
  for (const auto& [body, expected] : cases) {
    AnswerRaw("api/default/uninstall", body);
    EXPECT_EQ(m_client->QueryUninstall(), expected) << body;
  }
}

TEST_F(CatalogueTest, JsonTextPayloadsAreCompactAndBounded) {
  Answer("api/popup/popup", R"({ "a" : [1, 2], "b": "中" })");
  char16_t buffer[32] = u"untouched";
  EXPECT_TRUE(m_client->GetPopupConfig(buffer, 32));
  EXPECT_EQ(std::u16string(buffer), u"{\"a\":[1,2],\"b\":\"中\"}");
  EXPECT_TRUE(m_client->GetPopupConfig(nullptr, 0));
  // 19 characters and the terminator do not fit in 19: nothing is cut or written.
  char16_t small[19] = u"untouched";
  EXPECT_FALSE(m_client->GetPopupConfig(small, 19));
  EXPECT_EQ(std::u16string(small), u"untouched");
  char16_t exact[20];
  EXPECT_TRUE(m_client->GetPopupConfig(exact, 20));
  AnswerRaw("api/popup/popup", R"({"status":200,"message":"success"})");
  EXPECT_FALSE(m_client->GetPopupConfig(buffer, 32));
  Answer("api/statistics/soft/dropPacket", R"("x")");
  EXPECT_TRUE(m_client->ReportDropPacket(buffer, 32));
  EXPECT_EQ(std::u16string(buffer), u"\"x\"");
  Answer("api/statistics/soft/dropPacket", "null");
  EXPECT_FALSE(m_client->ReportDropPacket(buffer, 32));
}

TEST_F(CatalogueTest, TextPayloadsAndMissingRecordsets) {
  std::u16string json = u"old";
  AnswerRaw("api/config/get", R"({"status":200,"message":"success"})");
  EXPECT_FALSE(m_client->GetConfig(&json));
  EXPECT_EQ(json, u"old");
  Answer("api/config/get", R"({"k":true})");
  EXPECT_TRUE(m_client->GetConfig(&json));
  EXPECT_EQ(json, u"{\"k\":true}");
  Answer("api/config/competitor", "[1]");
  EXPECT_TRUE(m_client->GetCompetitorConfig(&json, 1));
  EXPECT_EQ(json, u"[1]");
  std::u16string key = u"k", crx = u"c", text = u"j";
  Answer("api/update/plug", R"({"plugkey":"pk","crx":5,"json":"{}"})");
  EXPECT_TRUE(m_client->QueryPlug(&key, &crx, &text));
  EXPECT_EQ(key + u"|" + crx + u"|" + text, u"pk||{}");
  Answer("api/update/plug", "null");
  EXPECT_FALSE(m_client->QueryPlug(&key, &crx, &text));
  Answer("api/update/plugCount", "null");
  EXPECT_FALSE(m_client->ReportPlugCount(u"pk"));
}

TEST_F(CatalogueTest, DeInitConfigReadsItsConfigObject) {
  std::u16string url = u"old";
  int32_t dv = -1;
  Answer("api/default/deInit", R"({"config":{"url":"http://x/","dv":7}})");
  EXPECT_TRUE(m_client->GetDeInitConfig(1, 2, &url, &dv));
  EXPECT_EQ(url, u"http://x/");
  EXPECT_EQ(dv, 7);
  Answer("api/default/deInit", R"({"config":"none"})");
  url = u"kept";
  EXPECT_TRUE(m_client->GetDeInitConfig(1, 2, &url, &dv));
  EXPECT_EQ(url, u"kept");
  Answer("api/default/deInit", "null");
  EXPECT_FALSE(m_client->GetDeInitConfig(1, 2, &url, &dv));
}

}  // namespace
