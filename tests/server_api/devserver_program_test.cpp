// The devserver program as tests and demos run it: a child process that
// prints its port, takes a reply table file and writes a request log.
#include <fstream>

#include "common/text.h"
#include "server_api/api_test_fixture.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

class DevServerProgramTest : public ::testing::Test {
 protected:
  // Starts devserver with args and returns its http port; 0 on failure.
  int Start(std::vector<std::string> args) {
    args.insert(args.begin(), BuiltProgram("devserver"));
    m_child = std::make_unique<ChildProcess>(args[0], args, m_dir.File("out.txt"));
    int port = 0;
    WaitFor(
        [&] {
          std::ifstream out(m_dir.File("out.txt"));
          std::string word;
          return out >> word >> port && word == "http";
        },
        std::chrono::seconds(10));
    return port;
  }
  TempDir m_dir;
  std::unique_ptr<ChildProcess> m_child;
};

TEST_F(DevServerProgramTest, ServesItsReplyTableAndLogsEveryRequest) {
  m_dir.Write("replies.json", R"({"clock_offset": 100, "replies": {
      "api/statistics/soft/startup": [{"status":200,"message":"success","recordset":null},
                                      {"http_status":500,"body":"{\"status\":500}"}]}})");
  const int port = Start({"--port", "0", "--config", m_dir.File("replies.json"), "--log",
                          m_dir.File("log.jsonl"), "--storage", m_dir.File("storage")});
  ASSERT_GT(port, 0);
  const std::u16string base = u"http://127.0.0.1:" + ToU16(port) + u"/";
  TestEnvironment env;
  env.SeedUserSid();
  CConnectHelp client(CClientSetup{u"FP", 17, base, base, 1, {}, {}});
  EXPECT_TRUE(client.Init(8, 1, u"1.0.0.0", 0, 0, 1, 0));
  const auto ahead = client.GetTimestamp() - std::time(nullptr);
  EXPECT_GE(ahead, 99);
  EXPECT_LE(ahead, 101);
  EXPECT_TRUE(client.ReportStartup(2, 4));
  EXPECT_FALSE(client.ReportStartup(4, 0));  // the second scripted reply repeats
  EXPECT_FALSE(client.ReportStartup(4, 0));

  std::ifstream log(m_dir.File("log.jsonl"));
  std::vector<JsonPtr> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(ParseJson(line));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_STREQ(json_string_value(json_object_get(lines[0].get(), "path")), "/microtime/");
  EXPECT_STREQ(json_string_value(json_object_get(lines[1].get(), "r")), "api/statistics/soft/startup");
  EXPECT_STREQ(json_string_value(json_object_get(lines[1].get(), "method")), "POST");
  const std::string body = json_string_value(json_object_get(lines[1].get(), "body"));
  EXPECT_TRUE(body.starts_with("Parent=4&av=0&")) << body;
  EXPECT_STREQ(json_string_value(json_object_get(json_object_get(lines[1].get(), "headers"), "User-Agent")),
               "WinHttpClient");
  m_child->Kill();
}

TEST_F(DevServerProgramTest, RefusesABadReplyTable) {
  m_dir.Write("bad.json", R"({"replies": {"api/x": 5}})");
  ChildProcess child(BuiltProgram("devserver"),
                     {BuiltProgram("devserver"), "--config", m_dir.File("bad.json")}, m_dir.File("err.txt"));
  EXPECT_EQ(child.Wait(std::chrono::seconds(10)), 1);
  ChildProcess usage(BuiltProgram("devserver"), {BuiltProgram("devserver"), "--nonsense"},
                     m_dir.File("usage.txt"));
  EXPECT_EQ(usage.Wait(std::chrono::seconds(10)), 2);
}

}  // namespace
