// The elevated relaunch of a non-elevated interactive start. It needs a
// process without high integrity: on POSIX that is a non-root user, so the
// test (run as root) starts the program as "nobody".
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "dev_server.h"
#include "devservice.h"
#include "platform/system/process.h"
#include "platform/system/registry.h"
#include "support/child_process.h"
#include "support/product_settings.h"
#include "support/test_environment.h"

namespace fs = std::filesystem;

namespace {

class RelaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root to start a non-root process";
    // The non-root program shares this test's stores, so they must be open to it.
    SeedMachineSid();
    install = env.dir().File("install/");
    fs::create_directories(install);
    fs::copy_file(BuiltProgram("ORVUpdate.exe"), install + "ORVUpdate.exe");
    ASSERT_TRUE(SetProductString(u"InstallPath", std::u16string(install.begin(), install.end())));
    pipes = std::make_unique<ScopedEnv>("ORV_PIPE_DIR", env.dir().File("pipes"));
    server = std::make_unique<devserver::Server>(devserver::Options{});
    std::string error;
    ASSERT_TRUE(server->Start(&error)) << error;
    apiBase = std::make_unique<ScopedEnv>("ORV_API_BASE", server->BaseUrl());
    OpenToEveryone(env.dir().path());
  }

  // The settings key of this test's user is found through the machine-wide
  // SID cache, whichever user runs the program.
  void SeedMachineSid() {
    platform::RegistryKey key;
    ASSERT_EQ(key.Create(platform::RegRoot::kLocalMachine, u"SOFTWARE\\Brightfen", platform::kKeyAllAccess),
              0);
    const std::u16string sid = platform::CurrentUserSidText() + u'\0';
    ASSERT_EQ(key.SetValue(u"UserSID", platform::kRegSz, sid.data(), static_cast<uint32_t>(sid.size() * 2)),
              0);
  }
  static void OpenToEveryone(const fs::path& root) {
    fs::permissions(root, fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(root))
      fs::permissions(entry.path(), fs::perms::all);
  }

  // Runs ORVUpdate.exe -update as "nobody" with PATH given; its exit code.
  // Everything the child needs is made before the fork: between fork and
  // exec a child of this threaded process may not allocate (another thread
  // may have held the allocator's lock when it was copied).
  std::optional<int> RunAsNobody(const std::string& path) {
    std::vector<std::string> environment{"PATH=" + path,
                                         // LeakSanitizer cannot inspect a process that changed its
                                         // user; in a sanitizer build it would stall the program's exit.
                                         "ASAN_OPTIONS=detect_leaks=0"};
    for (char** each = environ; *each != nullptr; ++each) {
      const std::string_view entry(*each);
      if (entry.rfind("PATH=", 0) != 0 && entry.rfind("ASAN_OPTIONS=", 0) != 0)
        environment.emplace_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string program = install + "ORVUpdate.exe";
    char name[] = "ORVUpdate.exe", mode[] = "-update";
    char* argv[] = {name, mode, nullptr};
    const gid_t gid = nobody->pw_gid;
    const uid_t uid = nobody->pw_uid;
    const pid_t pid = fork();
    if (pid == 0) {
      if (setgid(gid) != 0 || setuid(uid) != 0) _exit(126);
      execve(program.c_str(), argv, envp.data());
      _exit(127);
    }
    int status = 0;
    if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(30))) {
      kill(pid, SIGKILL);  // a stray child would keep the test run's output open
      waitpid(pid, nullptr, 0);
      return std::nullopt;
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
  }

  // Ends the programs running from this test's install folder: the relaunched
  // program is interactive and its dialog would wait for a user.
  bool EndProgramsStartedFromInstall() const {
    const fs::path program = fs::path(install) / "ORVUpdate.exe";
    std::vector<pid_t> ended;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::error_code error;
      const pid_t pid = static_cast<pid_t>(std::strtol(entry.path().filename().c_str(), nullptr, 10));
      if (pid > 0 && fs::read_symlink(entry.path() / "exe", error) == program && kill(pid, SIGKILL) == 0)
        ended.push_back(pid);
    }
    return WaitFor(
        [&] {
          for (pid_t pid : ended) {
            waitpid(pid, nullptr, WNOHANG);  // ours when the in-process service started it
            if (kill(pid, 0) == 0 && fs::exists(fs::path("/proc") / std::to_string(pid) / "exe"))
              return false;
          }
          return true;
        },
        std::chrono::seconds(10));
  }

  int StartupReports() const {
    int count = 0;
    for (const auto& r : server->Requests()) count += r.r == "api/statistics/soft/startup";
    return count;
  }

  TestEnvironment env;
  const passwd* nobody = nullptr;
  std::string install;
  std::unique_ptr<ScopedEnv> pipes, apiBase;
  std::unique_ptr<devserver::Server> server;
};

}  // namespace

TEST_F(RelaunchTest, LocalServiceStartsTheProgramAgainWithTheSameArguments) {
  DevServiceOptions options;
  options.installDir = install;
  options.logFile = env.dir().File("service.log");
  CDevService service(options);
  ASSERT_TRUE(service.Listen());
  fs::permissions(env.dir().File("service.log"), fs::perms::all);
  std::thread serving([&] { service.Run(); });

  EXPECT_EQ(RunAsNobody("/usr/bin:/bin"), 0);
  // The service (root here, so elevated) started the program, which reports its start.
  EXPECT_TRUE(WaitFor([&] { return StartupReports() >= 2; }, std::chrono::seconds(20)));
  EXPECT_TRUE(EndProgramsStartedFromInstall());
  service.Stop();
  serving.join();
  const std::string log = ReadFileBytes(env.dir().File("service.log"));
  EXPECT_NE(log.find("\"method\":\"StartComponent\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"name\":\"ORVUpdate.exe\""), std::string::npos) << log;
  EXPECT_NE(log.find("\"cmd\":\"-update\""), std::string::npos) << log;
}

TEST_F(RelaunchTest, WithoutTheServiceTheRunasStartIsUsed) {
  // A stand-in pkexec records how it was asked to start the program.
  const std::string tools = env.dir().File("tools/");
  env.dir().Write("tools/pkexec", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + env.dir().File("runas.txt") + "\n");
  OpenToEveryone(env.dir().path());
  EXPECT_EQ(RunAsNobody(tools + ":/usr/bin:/bin"), 0);
  ASSERT_TRUE(
      WaitFor([&] { return !ReadFileBytes(env.dir().File("runas.txt")).empty(); }, std::chrono::seconds(10)));
  EXPECT_EQ(ReadFileBytes(env.dir().File("runas.txt")), install + "ORVUpdate.exe\n-update\n");
  EXPECT_EQ(StartupReports(), 1);  // only the non-elevated start itself
}
