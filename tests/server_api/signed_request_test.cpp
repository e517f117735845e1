// Signed request vectors (tests/data/server_api/signed_requests/<case>/):
// request.json gives the identity, path and endpoint parameters; body.txt is
// the exact form body expected on the wire, sign_input.txt the text whose
// MD5 is its signature.
#include <jansson.h>

#include <filesystem>

#include "common/md5.h"
#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "server_api/request_signing.h"
#include "support/temp_dir.h"

namespace {

const std::filesystem::path kCases =
    std::filesystem::path(ORV_SOURCE_DIR) / "tests/data/server_api/signed_requests";

struct SignedCase {
  TestIdentity identity;
  bool vm = false;
  std::string path;
  std::vector<std::pair<std::string, std::string>> params;
};

SignedCase LoadCase(const std::filesystem::path& dir) {
  json_error_t error;
  json_t* root = json_load_file((dir / "request.json").string().c_str(), 0, &error);
  EXPECT_NE(root, nullptr) << dir << ": " << error.text;
  SignedCase c;
  json_t* id = json_object_get(root, "identity");
  const auto num = [id](const char* key) { return json_integer_value(json_object_get(id, key)); };
  c.identity.softid = (int32_t)num("softid");
  c.identity.qid = (int32_t)num("qid");
  c.identity.av = (int32_t)num("av");
  c.identity.category = (int32_t)num("category");
  c.identity.special = (int32_t)num("special");
  c.identity.os = (int32_t)num("os");
  c.identity.instTime = num("instTime");
  c.identity.clock = num("clock");
  c.identity.seed = (uint32_t)num("seed");
  c.identity.version = Utf8ToUtf16(json_string_value(json_object_get(id, "version")));
  c.identity.mac = Utf8ToUtf16(json_string_value(json_object_get(id, "mac")));
  c.vm = num("vm") != 0;
  c.path = json_string_value(json_object_get(root, "path"));
  size_t i;
  json_t* pair;
  json_array_foreach(json_object_get(root, "params"), i, pair) {
    c.params.emplace_back(json_string_value(json_array_get(pair, 0)),
                          json_string_value(json_array_get(pair, 1)));
  }
  json_decref(root);
  return c;
}

class SignedRequestTest : public ApiTest {};

TEST_F(SignedRequestTest, EveryVectorIsSentByteForByte) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    SCOPED_TRACE(entry.path().filename().string());
    const SignedCase c = LoadCase(entry.path());
    WriteAppDword(u"VirtualMachine", c.vm ? 1 : 0);
    auto client = MakeUnsyncedClient(c.identity);
    CParamMap params;
    for (const auto& [key, value] : c.params) params.Insert(Utf8ToUtf16(key), Utf8ToUtf16(value));
    const std::u16string path = Utf8ToUtf16(c.path);
    const std::u16string body = client->BuildSignedBody(params, u"r", path);
    JsonPtr reply;
    ASSERT_TRUE(client->HttpPost(Base() + u"?r=" + path, body, &reply));

    const auto sent = RequestsFor(c.path);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "POST");
    EXPECT_EQ(sent[0].target, "/?r=" + c.path);
    EXPECT_EQ(sent[0].body, ReadFileBytes(entry.path() / "body.txt"));
    EXPECT_EQ(sent[0].headers.find("Content-Type")->second,
              "application/x-www-form-urlencoded; charset=utf-8");
    const std::string signInput = ReadFileBytes(entry.path() / "sign_input.txt");
    EXPECT_TRUE(sent[0].body.ends_with("&signature=" + Md5HexOf(signInput)));
    m_server->ClearRequests();
    ++cases;
  }
  EXPECT_GE(cases, 5);
}

// The same vectors from the pure form builder: no client, server or settings.
TEST(RequestSigning, EveryVectorIsBuiltWithoutAServer) {
  int cases = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    SCOPED_TRACE(entry.path().filename().string());
    const SignedCase c = LoadCase(entry.path());
    const TestIdentity& id = c.identity;
    const TRequestIdentity identity{id.qid,     id.softid, id.av, id.category,
                                    id.version, id.os,     c.vm,  id.special != 0};
    uint32_t seed = id.seed;
    const TSignedExtras extras{id.mac, id.instTime, id.clock, NextCrtRand(&seed)};
    CParamMap params;
    for (const auto& [key, value] : c.params) params.Insert(Utf8ToUtf16(key), Utf8ToUtf16(value));
    const std::string body =
        Utf16ToUtf8(BuildSignedBody(params, identity, extras, u"r", Utf8ToUtf16(c.path)));
    EXPECT_EQ(body, ReadFileBytes(entry.path() / "body.txt"));
    EXPECT_TRUE(body.ends_with("&signature=" + Md5HexOf(ReadFileBytes(entry.path() / "sign_input.txt"))));
    ++cases;
  }
  EXPECT_GE(cases, 5);
}

TEST_F(SignedRequestTest, EndpointsSendTheVectorsOfTheirPaths) {
  const auto prepare = LoadCase(kCases / "install_prepare");
  ASSERT_TRUE(MakeUnsyncedClient(prepare.identity)->ReportInstallPrepare());
  const auto launch = LoadCase(kCases / "launch_module");
  ASSERT_TRUE(MakeUnsyncedClient(launch.identity)->ReportLaunchModule(3, 7, true));

  const auto prepared = RequestsFor("api/statistics/soft/installPrepare");
  ASSERT_EQ(prepared.size(), 1u);
  EXPECT_EQ(prepared[0].body, ReadFileBytes(kCases / "install_prepare" / "body.txt"));
  const auto launched = RequestsFor("api/statistics/soft/launchModule");
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].body, ReadFileBytes(kCases / "launch_module" / "body.txt"));
  // "r" is signed but travels only in the URL.
  EXPECT_EQ(launched[0].body.find("r="), std::string::npos);
  EXPECT_TRUE(launched[0].body.starts_with("Child=7&Parent=3&av=0"));
}

TEST_F(SignedRequestTest, NonceFollowsTheSeededSequence) {
  TestIdentity identity;
  identity.clock = 1700000000;
  auto client = MakeUnsyncedClient(identity);
  std::vector<std::string> nonces;
  for (int i = 0; i < 3; ++i) {
    CParamMap params;
    const std::string body = Utf16ToUtf8(client->BuildSignedBody(params, u"", u""));
    const size_t at = body.find("signatureNonce=") + 15;
    nonces.push_back(body.substr(at, body.find('&', at) - at));
  }
  // The C runtime's rand() after srand(1).
  EXPECT_EQ(nonces, (std::vector<std::string>{"41", "18467", "6334"}));
}

TEST_F(SignedRequestTest, VmFlagIsReadForEveryRequest) {
  auto client = MakeUnsyncedClient();
  CParamMap first, second, third;
  EXPECT_NE(client->BuildSignedBody(first, u"r", u"x").find(u"vmware=false"), std::u16string::npos);
  WriteAppDword(u"VirtualMachine", 1);
  EXPECT_NE(client->BuildSignedBody(second, u"r", u"x").find(u"vmware=true"), std::u16string::npos);
  EXPECT_NE(client->BuildQueryString(third).find(u"vmware=true"), std::u16string::npos);
}

TEST(ParamMapTest, OrdinalOrderAndFirstInsertWins) {
  CParamMap params;
  params.Insert(u"av", u"1");
  params.Insert(u"Parent", u"2");
  params.Insert(u"Child", u"3");
  params.Insert(u"av", u"ignored");
  std::u16string order;
  for (const auto& [key, value] : params) order += key + u"=" + value + u";";
  EXPECT_EQ(order, u"Child=3;Parent=2;av=1;");
}

TEST_F(SignedRequestTest, PairsAndQueryStringHaveNoLeadingSeparator) {
  auto client = MakeUnsyncedClient();
  EXPECT_EQ(client->FormPair(u"a", u"b", false), u"a=b");
  EXPECT_EQ(client->FormPair(u"a", u"b", true), u"&a=b");
  EXPECT_EQ(client->SignPair(u"a", u"b"), u"ab");
  CParamMap params;
  params.Insert(u"slience", u"1");
  EXPECT_EQ(client->BuildQueryString(params),
            u"av=0&category=0&os=17&qid=1&slience=1&softid=8&special=false&version=1.0.0.0&vmware=false");
}

}  // namespace
