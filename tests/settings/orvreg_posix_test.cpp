// orvreg, the reg.exe-like tool of the registry stand-in, run as a program.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/test_environment.h"

namespace {

struct Result {
  std::optional<int> code;
  std::string output;
};

Result RunOrvreg(const TestEnvironment& env, std::vector<std::string> args) {
  args.insert(args.begin(), "orvreg");
  const std::string out = env.dir().File("orvreg.out");
  ChildProcess child(BuiltProgram("orvreg"), args, out);
  Result result;
  result.code = child.Wait(std::chrono::seconds(10));
  result.output = ReadFileBytes(out);
  return result;
}

}  // namespace

TEST(Orvreg, TypedValuesRoundTripWithRegExeSyntax) {
  TestEnvironment env;
  const std::string key = "HKU\\S-1-5-21-0-0-0-7\\SOFTWARE\\Brightfen\\Folio";
  EXPECT_EQ(RunOrvreg(env, {"add", key, "/v", "QID", "/t", "REG_DWORD", "/d", "0x20", "/f"}).code, 0);
  EXPECT_EQ(RunOrvreg(env, {"add", key, "/v", "NoAction", "/t", "REG_QWORD", "/d", "1765000000", "/f"}).code,
            0);
  EXPECT_EQ(RunOrvreg(env, {"add", key, "/v", "InstallPath", "/t", "REG_SZ", "/d", "/opt/奥凡", "/f"}).code,
            0);
  const Result query = RunOrvreg(env, {"query", key});
  EXPECT_EQ(query.code, 0);
  EXPECT_NE(query.output.find("QID    REG_DWORD    0x20"), std::string::npos) << query.output;
  EXPECT_NE(query.output.find("NoAction    REG_QWORD    0x6933c340"), std::string::npos) << query.output;
  EXPECT_NE(query.output.find("InstallPath    REG_SZ    /opt/奥凡"), std::string::npos) << query.output;
  EXPECT_EQ(RunOrvreg(env, {"delete", key, "/v", "QID", "/f"}).code, 0);
  EXPECT_NE(RunOrvreg(env, {"query", key, "/v", "QID"}).code, 0);
}

TEST(Orvreg, BadInputIsRefusedWithAMessage) {
  TestEnvironment env;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"copy", "HKCU\\X"},
           {"add", "HKXX\\X"},
           {"add", "HKCU\\X", "/v", "A", "/t", "REG_BINARY", "/d", "1"},
           {"add", "HKCU\\X", "/v", "A", "/t", "REG_DWORD", "/d", "-1", "/f"},
           {"add", "HKCU\\X", "/v", "A", "/t", "REG_DWORD", "/d", "0x100000000", "/f"},
           {"add", "HKCU\\X", "/v"},
           {"delete", "HKCU\\X"}}) {
    const Result result = RunOrvreg(env, args);
    EXPECT_EQ(result.code, 1) << (args.empty() ? "(none)" : args[0]);
    EXPECT_NE(result.output.find("ERROR:"), std::string::npos) << result.output;
  }
  EXPECT_EQ(RunOrvreg(env, {"add", "HKCU\\X", "/v", "A", "/d", "one"}).code, 0);
  EXPECT_EQ(RunOrvreg(env, {"add", "HKCU\\X", "/v", "A", "/d", "two"}).code, 1);  // exists, no /f
}

TEST(Orvreg, CorruptStoreIsReportedClearly) {
  TestEnvironment env;
  env.dir().Write("registry.db", std::string(4096, 'Z'));
  const Result result = RunOrvreg(env, {"query", "HKLM\\SOFTWARE"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.output.find("is corrupt or is not a registry database"), std::string::npos)
      << result.output;
}

TEST(Orvreg, TheProgramRunsOnDefaultsOverACorruptStore) {
  TestEnvironment env;
  env.dir().Write("registry.db", std::string(4096, 'Z'));
  ScopedEnv noDelay("ORV_AUTO_DELAY_MS", "0");
  // Not "-update": its dialog waits for a user.
  for (const char* mode : {"-inst_fix", "-auto", "-close_ad"}) {
    ChildProcess program(BuiltProgram("ORVUpdate.exe"), {"ORVUpdate.exe", mode});
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0) << mode;
  }
}

// HKLM and HKU were always refused as a whole; HKCU is a hive too.
TEST(Orvreg, DeletingARootIsRefusedAndKeepsTheHive) {
  TestEnvironment env;
  ASSERT_EQ(RunOrvreg(env, {"add", "HKCU\\SOFTWARE\\Brightfen", "/v", "UserSID", "/d", "S-1"}).code, 0);
  for (const char* root : {"HKCU", "HKCU\\", "HKEY_CURRENT_USER\\\\", "HKLM", "HKU\\"}) {
    const Result result = RunOrvreg(env, {"delete", root, "/f"});
    EXPECT_EQ(result.code, 1) << root;
    EXPECT_NE(result.output.find("is refused"), std::string::npos) << result.output;
  }
  const Result query = RunOrvreg(env, {"query", "HKCU\\SOFTWARE\\Brightfen", "/v", "UserSID"});
  EXPECT_EQ(query.code, 0);
  EXPECT_NE(query.output.find("UserSID    REG_SZ    S-1"), std::string::npos) << query.output;
}

TEST(Orvreg, RepeatedOptionIsRefused) {
  TestEnvironment env;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"add", "HKCU\\X", "/v", "A", "/v", "B", "/d", "1"},
           {"add", "HKCU\\X", "/v", "A", "/t", "REG_SZ", "/t", "REG_DWORD", "/d", "1"},
           {"query", "HKCU\\X", "/v", "A", "/V", "B"}}) {
    const Result result = RunOrvreg(env, args);
    EXPECT_EQ(result.code, 1) << args[4];
    EXPECT_NE(result.output.find("more than once"), std::string::npos) << result.output;
  }
  EXPECT_NE(RunOrvreg(env, {"query", "HKCU\\X", "/v", "A"}).code, 0);  // nothing was added
}

// A query reads; it neither creates folders nor an empty store.
TEST(Orvreg, QueryWithoutAStoreSaysSo) {
  TestEnvironment env;
  const std::string store = env.dir().File("missing/folder/registry.db");
  ScopedEnv registry("ORV_REGISTRY", store);
  const Result result = RunOrvreg(env, {"query", "HKCU\\SOFTWARE"});
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(result.output.find("no registry store"), std::string::npos) << result.output;
  EXPECT_FALSE(std::filesystem::exists(env.dir().File("missing")));
}
