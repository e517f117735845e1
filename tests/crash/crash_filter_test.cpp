// The crash filter end to end: a real program crashes in a temporary folder,
// its dump is parsed, its exit code and its report process are checked.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/text.h"
#include "crash/minidump_reader.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitWaitMs = 20000;

class CrashFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    // Named as the product's program, so the dump is ORVUpdate.exe.dmp.
    fs::copy_file(VICTIM_PATH, m_program);
    fs::permissions(m_program, fs::perms::owner_all);
  }

  // Starts the program with one argument and extra environment entries;
  // its standard output is readable from *out when given.
  pid_t Start(const std::string& mode, const std::vector<std::string>& env = {}, int* out = nullptr) {
    int fds[2] = {-1, -1};
    if (out != nullptr && pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
      if (out != nullptr) dup2(fds[1], STDOUT_FILENO);
      for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
      execl(m_program.c_str(), m_program.c_str(), mode.c_str(), static_cast<char*>(nullptr));
      _exit(126);
    }
    if (out != nullptr) {
      close(fds[1]);
      *out = fds[0];
    }
    return pid;
  }

  // The wait status of pid, or -1 when it did not end in time (it is killed).
  static int WaitExit(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kExitWaitMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status;
  }

  static void ExpectExitZero(int status) {
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "wait status " << status;
  }

  Minidump Dump() const { return ParseMinidump(ReadFileBytes(m_program + ".dmp")); }

  // Lines "PID SWITCH DUMPPATH" written by report processes.
  std::vector<std::string> Reports() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileBytes(m_program + ".report"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  void ExpectOneReport() const {
    const std::vector<std::string> reports = Reports();
    ASSERT_EQ(reports.size(), 1u);
    const std::string tail = " -crash_report " + m_program + ".dmp";
    ASSERT_GT(reports[0].size(), tail.size());
    EXPECT_EQ(reports[0].substr(reports[0].size() - tail.size()), tail);
  }

  const DumpModule* FindModule(const Minidump& dump, const std::string& path) const {
    for (const DumpModule& m : dump.modules) {
      if (m.name == Utf8ToUtf16(path)) return &m;
    }
    return nullptr;
  }

  TempDir m_dir;
  std::string m_program = fs::canonical(m_dir.path()).string() + "/ORVUpdate.exe";
};

TEST_F(CrashFilter, SegmentationFaultWritesAFullDumpReportsAndExitsZero) {
  const pid_t pid = Start("segv");
  ExpectExitZero(WaitExit(pid));
  const Minidump dump = Dump();
  ASSERT_EQ(dump.error, "");
  EXPECT_EQ(dump.signature, 0x504D444Du);
  EXPECT_EQ(dump.version & 0xFFFF, 0xA793u);
  EXPECT_EQ(dump.streamCount, 5u);
  EXPECT_EQ(dump.flags, 0u);
  EXPECT_EQ(dump.architecture, 9);
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(pid));
  EXPECT_EQ(dump.exceptionCode, 0xC0000005u);
  ASSERT_EQ(dump.parameterCount, 2u);
  EXPECT_EQ(dump.parameters[0], 1u);  // a write
  EXPECT_EQ(dump.parameters[1], 0x10u);
  ASSERT_EQ(dump.threads.size(), 1u);
  const DumpThread& thread = dump.threads[0];
  EXPECT_EQ(thread.id, static_cast<uint32_t>(pid));
  EXPECT_EQ(thread.contextFlags, 0x0010000Bu);
  EXPECT_EQ(dump.exceptionAddress, thread.rip);
  EXPECT_EQ(dump.exceptionContextRip, thread.rip);
  EXPECT_GE(thread.rsp, thread.stackStart);
  EXPECT_LT(thread.rsp, thread.stackStart + thread.stack.size());
  EXPECT_NE(thread.stack.find("ORV-STACK-MARKER"), std::string::npos);
  ASSERT_EQ(dump.memory.size(), 1u);
  EXPECT_EQ(dump.memory[0].first, thread.stackStart);
  EXPECT_EQ(dump.memory[0].second, thread.stack.size());
  const DumpModule* program = FindModule(dump, m_program);
  ASSERT_NE(program, nullptr);
  EXPECT_GE(thread.rip, program->base);
  EXPECT_LT(thread.rip, program->base + program->size);
  bool libc = false;
  for (const DumpModule& m : dump.modules) libc = libc || m.name.find(u"/libc.so") != std::u16string::npos;
  EXPECT_TRUE(libc);
  ExpectOneReport();
}

TEST_F(CrashFilter, SignalFromAnotherProcessIsDumpedWithoutFaultAddress) {
  int out = -1;
  const pid_t pid = Start("wait", {}, &out);
  pollfd ready{out, POLLIN, 0};
  ASSERT_EQ(poll(&ready, 1, kExitWaitMs), 1);
  char text[8] = {};
  ASSERT_GT(read(out, text, sizeof text - 1), 0);
  close(out);
  EXPECT_STREQ(text, "ready\n");
  ASSERT_EQ(kill(pid, SIGSEGV), 0);
  ExpectExitZero(WaitExit(pid));
  const Minidump dump = Dump();
  ASSERT_EQ(dump.error, "");
  EXPECT_EQ(dump.exceptionCode, 0xC0000005u);
  EXPECT_EQ(dump.parameterCount, 0u);
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(pid));
  ASSERT_EQ(dump.threads.size(), 1u);
  EXPECT_EQ(dump.exceptionAddress, dump.threads[0].rip);
  EXPECT_NE(dump.threads[0].stack.find("ORV-STACK-MARKER"), std::string::npos);
  ExpectOneReport();
}

TEST_F(CrashFilter, EachSignalHasItsExceptionCodeAndTheLastCrashKeepsTheDump) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"abort", 0x40000015u}, {"fpe", 0xC0000094u}, {"segv", 0xC0000005u}};
  for (const auto& [mode, code] : cases) {
    SCOPED_TRACE(mode);
    ExpectExitZero(WaitExit(Start(mode)));
    const Minidump dump = Dump();
    ASSERT_EQ(dump.error, "");
    EXPECT_EQ(dump.exceptionCode, code);
  }
  EXPECT_EQ(Reports().size(), 3u);
}

TEST_F(CrashFilter, CrashOnAWorkerThreadDumpsThatThread) {
  const pid_t pid = Start("thread");
  ExpectExitZero(WaitExit(pid));
  const Minidump dump = Dump();
  ASSERT_EQ(dump.error, "");
  EXPECT_NE(dump.exceptionThread, static_cast<uint32_t>(pid));
  ASSERT_EQ(dump.threads.size(), 1u);
  EXPECT_EQ(dump.threads[0].id, dump.exceptionThread);
  EXPECT_EQ(dump.parameters[1], 0x20u);
  EXPECT_GE(dump.threads[0].rsp, dump.threads[0].stackStart);
  EXPECT_LT(dump.threads[0].rsp, dump.threads[0].stackStart + dump.threads[0].stack.size());
  ExpectOneReport();
}

TEST_F(CrashFilter, StackOverflowIsHandledOnTheAlternateStack) {
  const pid_t pid = Start("overflow");
  ExpectExitZero(WaitExit(pid));
  const Minidump dump = Dump();
  ASSERT_EQ(dump.error, "");
  EXPECT_EQ(dump.exceptionCode, 0xC00000FDu);
  ASSERT_EQ(dump.threads.size(), 1u);
  // The stack kept is the top of the exhausted stack, just above the pointer.
  EXPECT_GT(dump.threads[0].stack.size(), 0u);
  EXPECT_LE(dump.threads[0].rsp, dump.threads[0].stackStart);
  EXPECT_GT(dump.threads[0].rsp + 64 * 1024, dump.threads[0].stackStart);
  ExpectOneReport();
}

TEST_F(CrashFilter, WaitForAHangingReportIsBounded) {
  const auto start = std::chrono::steady_clock::now();
  ExpectExitZero(WaitExit(Start("segv", {"ORV_CRASH_TEST_REPORT_HANGS=1", "ORV_CRASH_TEST_WAIT_MS=300"})));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  // The report process itself is still running: end it.
  std::vector<std::string> reports;
  for (int i = 0; i < 200 && reports.empty(); ++i) {
    reports = Reports();
    if (reports.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(reports.size(), 1u);
  const pid_t reporter = static_cast<pid_t>(std::stol(reports[0]));
  EXPECT_EQ(kill(reporter, 0), 0);
  kill(reporter, SIGKILL);
}

TEST_F(CrashFilter, DumpThatCannotBeCreatedStillGetsTheCrashReported) {
  // A folder in the dump's place makes creating the file fail.
  fs::create_directory(m_program + ".dmp");
  ExpectExitZero(WaitExit(Start("segv")));
  EXPECT_TRUE(fs::is_directory(m_program + ".dmp"));
  ExpectOneReport();
}

TEST_F(CrashFilter, CrashingReportProcessWritesNoDumpAndStartsNoReport) {
  ExpectExitZero(WaitExit(Start("segv", {"ORV_CRASH_TEST_REPORT_CRASHES=1"})));
  // The report process crashed at 0x30 but left the first crash's dump alone.
  const Minidump dump = Dump();
  ASSERT_EQ(dump.error, "");
  EXPECT_EQ(dump.parameters[1], 0x10u);
  ExpectOneReport();
}

}  // namespace
