// The program run as the product runs it, against devserver on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/system/process.h"
#include "support/child_process.h"
#include "support/product_settings.h"
#include "support/program_with_server.h"

namespace fs = std::filesystem;

namespace {

class ProgramServerTest : public ProgramWithServerTest {
 protected:
  platform::RegistryKey Key(const std::u16string& name) {
    platform::RegistryKey key;
    EXPECT_TRUE(OpenProductKey(&key, name));
    return key;
  }
  std::vector<devserver::LoggedRequest> Requests() const { return server->Requests(); }
};

bool Has(const std::string& body, const std::string& pair) {
  return ("&" + body + "&").find("&" + pair + "&") != std::string::npos;
}

}  // namespace

TEST_F(ProgramServerTest, InstFixSendsTheClockRequestAndTwoSignedStartupReports) {
  ASSERT_TRUE(SetProductNumber(u"QID", platform::kRegDword, 7));
  ASSERT_TRUE(SetProductNumber(u"AV", platform::kRegDword, 3));
  ASSERT_TRUE(SetProductNumber(u"InstallSvrTime", platform::kRegQword, 1690000000));
  ASSERT_TRUE(SetProductNumber(u"NoAction", platform::kRegQword, 1));
  ASSERT_EQ(Run({"-inst_fix", "-startby=4"}), 0);
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].path, "/microtime/");
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(requests[i].method, "POST");
    EXPECT_EQ(requests[i].r, "api/statistics/soft/startup");
    for (const char* pair : {"qid=7", "av=3", "softid=8", "version=1.0.0.0", "instTime=1690000000",
                             "special=true", "category=0"}) {
      EXPECT_TRUE(Has(requests[i].body, pair)) << pair << " in " << requests[i].body;
    }
    EXPECT_TRUE(std::regex_search(requests[i].body, std::regex("&signature=[0-9A-F]{32}$")));
  }
  EXPECT_TRUE(Has(requests[1].body, "module=2") && Has(requests[1].body, "Parent=4"));
  EXPECT_TRUE(Has(requests[2].body, "module=4") && Has(requests[2].body, "Parent=0"));
}

TEST_F(ProgramServerTest, DefaultsApplyWhenTheSettingsAreMissing) {
  ASSERT_EQ(Run({"-startby=x"}), 0);
  const auto requests = Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_TRUE(Has(requests[1].body, "qid=1") && Has(requests[1].body, "av=0"));
  EXPECT_TRUE(Has(requests[1].body, "special=false") && Has(requests[1].body, "Parent=102"));
}

TEST_F(ProgramServerTest, NoServerStillEndsWithZero) {
  server->Stop();
  EXPECT_EQ(Run({"-inst_fix"}), 0);
}

TEST_F(ProgramServerTest, AutoModeUploadsTheDumpsAndOnlyThenDeletesThem) {
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  env.dir().Write("install/a.DMP", "dump a");
  env.dir().Write("install/b.Dmp", "dump b");
  env.dir().Write("install/sub/c.dmp", "dump c");
  env.dir().Write("install/x.dmp.txt", "not a dump");
  env.dir().Write("install/Config", "config");
  env.dir().Write("install/VERSION", "1.0.0.9");
  devserver::Reply refused;
  refused.httpStatus = 403;
  refused.body = "denied";
  server->SetReply("storage/", refused);
  ASSERT_EQ(Run({"-auto"}), 0);
  EXPECT_TRUE(fs::exists(installDir + "a.DMP"));  // the refused upload keeps them
  EXPECT_TRUE(fs::exists(installDir + "sub/c.dmp"));

  server->SetReplies("storage/", {});  // the real storage again
  ASSERT_EQ(Run({"-auto"}), 0);
  const std::string zip = env.DefaultDataDir() + "Dumps.zip";
  ASSERT_TRUE(fs::exists(zip));
  // Entry names stand in the archive's headers as they are; the writer's own
  // tests read archives back with independent readers.
  const std::string names = ReadFileBytes(zip);
  for (const char* name : {"a.DMP", "b.Dmp", "c.dmp", "Config", "VERSION"}) {
    EXPECT_NE(names.find(name), std::string::npos) << name;
  }
  EXPECT_EQ(names.find("x.dmp.txt"), std::string::npos);
  EXPECT_FALSE(fs::exists(installDir + "a.DMP"));
  EXPECT_FALSE(fs::exists(installDir + "b.Dmp"));
  EXPECT_FALSE(fs::exists(installDir + "sub/c.dmp"));
  EXPECT_TRUE(fs::exists(installDir + "x.dmp.txt"));

  const std::regex key(R"(dumps/Orvane/1\.0\.0\.0/\d{4}-\d\d-\d\d/[0-9A-F]{12}[0-9a-f]{4}[0-9A-F]{16}\.zip)");
  std::vector<std::string> stored;
  for (const auto& entry : fs::recursive_directory_iterator(server->StorageDir())) {
    if (entry.is_regular_file())
      stored.push_back(fs::relative(entry.path(), server->StorageDir()).generic_string());
  }
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_TRUE(std::regex_match(stored[0], key)) << stored[0];
  EXPECT_EQ(ReadFileBytes(server->StorageDir() + "/" + stored[0]), ReadFileBytes(zip));
}

TEST_F(ProgramServerTest, AutoModeWithoutDumpsWritesAndUploadsNothing) {
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  env.dir().Write("install/Config", "config");
  ASSERT_EQ(Run({"-auto"}), 0);
  EXPECT_FALSE(fs::exists(env.DefaultDataDir() + "Dumps.zip"));
  for (const auto& request : Requests()) EXPECT_NE(request.r, "api/default/getPutUrl");
}

// The only test that runs processes named like the page program: the program
// under test ends the first such process on the whole machine.
TEST_F(ProgramServerTest, CloseAdRecordsTheTimeAndEndsOnlyTheExactPageProgram) {
  const std::string page = env.dir().File("ORVPage.exe"), other = env.dir().File("orvpage.exe");
  CopySleeper(page);
  CopySleeper(other);
  ChildProcess pageProcess(page, {"ORVPage.exe", "30"});
  ChildProcess otherProcess(other, {"orvpage.exe", "30"});
  auto listed = [](pid_t pid) {
    for (const auto& e : platform::SnapshotProcesses())
      if (e.pid == static_cast<uint32_t>(pid)) return true;
    return false;
  };
  ASSERT_TRUE(WaitFor([&] { return listed(pageProcess.pid()) && listed(otherProcess.pid()); },
                      std::chrono::seconds(5)));
  server->SetClockOffset(1000);
  ASSERT_EQ(Run({"-close_ad"}), 0);
  (void)pageProcess.Wait(std::chrono::seconds(5));  // ended (and reaped)
  EXPECT_FALSE(listed(pageProcess.pid()));
  EXPECT_EQ(otherProcess.Wait(std::chrono::milliseconds(100)), std::nullopt);  // still running
  EXPECT_TRUE(listed(otherProcess.pid()));

  uint64_t time = 0;
  uint32_t type = 0, size = 8;
  ASSERT_EQ(Key(u"PopMgr").QueryValue(u"CloseAdTime", &type, &time, &size), 0);
  EXPECT_EQ(type, platform::kRegQword);
  const auto now = static_cast<uint64_t>(std::time(nullptr));
  EXPECT_GE(time, now + 990);  // the server's clock, 1000 s ahead
  EXPECT_LE(time, now + 1010);
}
