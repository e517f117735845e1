// devservice, in-process and as a child process, driven by the real client.
#include <filesystem>
#include <thread>

#include "common/text.h"
#include "devservice.h"
#include "lpc/lpc_fixture.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

// The text of a file another process writes, once it can be read; empty
// after the limit. A file renamed into place on Windows stays locked for a
// moment after it appears, so its existence alone is not enough.
std::string WaitForText(const std::filesystem::path& path) {
  std::string text;
  WaitFor([&] { return !(text = ReadFileBytes(path)).empty(); }, CTestPeer::kWaitLimit);
  return text;
}

JsonPtr StartParams(const std::string& name, const std::string& cmd) {
  return JsonPtr(json_pack("{s:i, s:s, s:s}", "pid", 1234, "name", name.c_str(), "cmd", cmd.c_str()));
}

class DevServiceTest : public ::testing::Test {
 protected:
  void StartInProcess(DevServiceOptions options) {
    options.pipeName = m_name;
    if (options.installDir.empty()) options.installDir = ORV_MARKER_DIR;
    options.logFile = m_dir.File("service.log");
    m_service = std::make_unique<CDevService>(options);
    ASSERT_TRUE(m_service->Listen());
    m_thread = std::thread([this] { m_service->Run(); });
    ASSERT_TRUE(m_client->Connect(m_name.c_str()));
  }

  void TearDown() override {
    m_client->Release();
    if (m_service != nullptr) m_service->Stop();
    if (m_thread.joinable()) m_thread.join();
  }

  std::string m_name = UniquePipeName();
  TempDir m_dir;
  ILPCClient* m_client = CreateLPCClient();
  std::unique_ptr<CDevService> m_service;
  std::thread m_thread;
};

TEST_F(DevServiceTest, StartsTheNamedProgramAndAnswersTrue) {
  StartInProcess({});
  const std::string marker = m_dir.File("started.txt");
  JsonPtr holder(json_object());
  ASSERT_TRUE(m_client->CallMethod(
      "StartComponent", StartParams(ORV_MARKER_NAME, "\"" + marker + "\" -update").get(), holder.get(), 5));
  EXPECT_EQ(CompactText(holder.get()), R"({"result":true})");
  EXPECT_EQ(WaitForText(marker), "-update");
  const std::string log = ReadFileBytes(m_dir.File("service.log"));
  EXPECT_NE(log.find(R"(received {"jsonrpc":"2.0","method":"MethodSupport","params":[]})"),
            std::string::npos);
  EXPECT_NE(log.find(R"("method":"StartComponent","params":{"pid":1234,"name":")"), std::string::npos);
}

TEST_F(DevServiceTest, StartsProgramsWhoseNamesAreNotAscii) {
  const std::string name = "标记_" + std::string(ORV_MARKER_NAME);
  std::filesystem::copy_file(std::filesystem::path(ORV_MARKER_DIR) / ORV_MARKER_NAME,
                             m_dir.path() / std::filesystem::path(Utf8ToUtf16(name)));
  DevServiceOptions options;
  options.installDir = m_dir.path();
  StartInProcess(options);
  const std::string marker = m_dir.File("unicode.txt");
  JsonPtr holder(json_object());
  ASSERT_TRUE(m_client->CallMethod("StartComponent", StartParams(name, "\"" + marker + "\" -x").get(),
                                   holder.get(), 5));
  EXPECT_EQ(CompactText(holder.get()), R"({"result":true})");
  EXPECT_EQ(WaitForText(marker), "-x");
}

TEST_F(DevServiceTest, RefusesNamesOutsideTheInstallFolderAndUnknownMethods) {
  StartInProcess({});
  for (const char* name :
       {"../lpc_marker", "", "..", "sub/lpc_marker", "sub\\lpc_marker", "c:lpc_marker", "no_such_program"}) {
    JsonPtr holder(json_object());
    ASSERT_TRUE(m_client->CallMethod("StartComponent", StartParams(name, "").get(), holder.get(), 5));
    EXPECT_EQ(CompactText(holder.get()), R"({"result":false})") << name;
  }
  JsonPtr holder(json_object());
  ASSERT_TRUE(m_client->CallMethod("StartComponent", Json(R"({"cmd":""})").get(), holder.get(), 5));
  EXPECT_EQ(CompactText(holder.get()), R"({"error":{"code":-32602,"message":"Invalid params"}})");
  JsonPtr other(json_object());
  ASSERT_TRUE(m_client->CallMethod("Nope", Json("[]").get(), other.get(), 5));
  EXPECT_EQ(CompactText(other.get()), R"({"error":{"code":-32601,"message":"Method not found"}})");
  JsonPtr echo(json_object());
  ASSERT_TRUE(m_client->CallMethod("Echo", Json(R"({"x":[1]})").get(), echo.get(), 5));
  EXPECT_EQ(CompactText(echo.get()), R"({"result":{"x":[1]}})");
}

TEST_F(DevServiceTest, SilentServiceMakesTheCallTimeOut) {
  DevServiceOptions options;
  options.answer = false;
  StartInProcess(options);
  JsonPtr holder(json_object());
  EXPECT_FALSE(m_client->CallMethod("Echo", Json("[]").get(), holder.get(), 1));
  EXPECT_EQ(CompactText(holder.get()), "{}");
}

TEST_F(DevServiceTest, LateServiceMakesTheCallTimeOutAndItsAnswerIsDropped) {
  DevServiceOptions options;
  options.answerDelayMs = 1500;
  StartInProcess(options);
  JsonPtr late(json_object());
  EXPECT_FALSE(m_client->CallMethod("Echo", Json("[1]").get(), late.get(), 1));
  JsonPtr next(json_object());
  EXPECT_TRUE(m_client->CallMethod("Echo", Json("[2]").get(), next.get(), 10));
  EXPECT_EQ(CompactText(late.get()), "{}");
  EXPECT_EQ(CompactText(next.get()), R"({"result":[2]})");
}

TEST_F(DevServiceTest, ChildProcessServiceStartsAProgramThenExits) {
  const std::string marker = m_dir.File("child.txt");
  ChildProcess child(ORV_DEVSERVICE_PATH,
                     {"devservice", "--pipe", m_name, "--install-dir", ORV_MARKER_DIR, "--log",
                      m_dir.File("child.log"), "--exit-after", "1", "--max-seconds", "30"});
  ASSERT_GT(child.pid(), 0);
  // The child needs a moment to start listening; nothing signals it.
  EXPECT_TRUE(WaitFor([&] { return m_client->Connect(m_name.c_str()); }, CTestPeer::kWaitLimit));
  JsonPtr holder(json_object());
  ASSERT_TRUE(m_client->CallMethod(
      "StartComponent", StartParams(ORV_MARKER_NAME, "\"" + marker + "\" -update").get(), holder.get(), 5));
  EXPECT_EQ(child.Wait(CTestPeer::kWaitLimit), 0);
  EXPECT_EQ(CompactText(holder.get()), R"({"result":true})");
  EXPECT_EQ(WaitForText(marker), "-update");
  EXPECT_NE(ReadFileBytes(m_dir.File("child.log")).find("StartComponent"), std::string::npos);
}

}  // namespace
