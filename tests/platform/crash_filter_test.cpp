// The crash filter end to end on either system: a real program crashes in a
// temporary folder, its dump is parsed, its exit code and its report process
// are checked.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/crash_fixture.h"
#include "support/test_environment.h"

namespace fs = std::filesystem;

namespace {

TEST_F(CrashFilter, AccessViolationWritesADumpReportsAndExitsZero) {
  EXPECT_EQ(Run("segv"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, kDumpedAccessViolation);
  ASSERT_EQ(dump.parameterCount, 2u);
  EXPECT_EQ(dump.parameters[0], 1u);  // a write
  EXPECT_EQ(dump.parameters[1], 0x10u);
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(thread->stack.find("ORV-STACK-MARKER"), std::string::npos);
  const DumpModule* program = ProgramModule(dump);
  ASSERT_NE(program, nullptr);
  // The faulting instruction is the program's.
  EXPECT_GE(dump.exceptionContextIp, program->base);
  EXPECT_LT(dump.exceptionContextIp, program->base + program->size);
  ExpectOneReport();
}

TEST_F(CrashFilter, EachFaultHasItsCodeAndTheLastCrashKeepsTheDump) {
  EXPECT_EQ(Run("fpe"), 0);
  ExpectValidDump(Dump(), kDumpedDivideByZero);
  EXPECT_EQ(Run("ill"), 0);
  ExpectValidDump(Dump(), kDumpedIllegalInstruction);
  EXPECT_EQ(Run("segv"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, kDumpedAccessViolation);
  EXPECT_EQ(dump.parameters[1], 0x10u);
  EXPECT_EQ(Reports().size(), 3u);
}

TEST_F(CrashFilter, ProgramInAFolderWithSpacesGetsItsDumpAndReport) {
  MoveProgramTo("Program Files (x86)/Orvane 奥凡");
  EXPECT_EQ(Run("segv"), 0);
  ExpectValidDump(Dump(), kDumpedAccessViolation);
  ExpectOneReport();
}

TEST_F(CrashFilter, CrashOnAWorkerThreadDumpsThatThread) {
  EXPECT_EQ(Run("thread"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, kDumpedAccessViolation);
  ASSERT_EQ(dump.parameterCount, 2u);
  EXPECT_EQ(dump.parameters[1], 0x20u);
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  // The worker's stack, not the main thread's.
  EXPECT_EQ(thread->stack.find("ORV-STACK-MARKER"), std::string::npos);
  ExpectOneReport();
}

TEST_F(CrashFilter, StackOverflowIsDumpedAsSuch) {
  EXPECT_EQ(Run("overflow"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, kDumpedStackOverflow);
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  EXPECT_GT(thread->stack.size(), 0u);
  ExpectOneReport();
}

TEST_F(CrashFilter, WaitForAHangingReportIsBounded) {
  const ScopedEnv hangs("ORV_CRASH_TEST_REPORT_HANGS", "1");
  const ScopedEnv wait("ORV_CRASH_TEST_WAIT_MS", "300");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run("segv"), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  ASSERT_TRUE(WaitFor([&] { return !Reports().empty(); }, kCrashExitWait));
  // The report process outlived the crashed one: it still answers.
  ASSERT_EQ(Reports().size(), 1u);
  m_dir.Write("ORVUpdate.exe.release", "");
  EXPECT_TRUE(WaitFor([&] { return Reports().size() == 2; }, kCrashExitWait));
  EXPECT_EQ(Reports().back(), "released");
}

TEST_F(CrashFilter, DumpThatCannotBeCreatedStillGetsTheCrashReported) {
  // A folder in the dump's place makes creating the file fail.
  fs::create_directory(PathOf(m_program + ".dmp"));
  EXPECT_EQ(Run("segv"), 0);
  EXPECT_TRUE(fs::is_directory(PathOf(m_program + ".dmp")));
  ExpectOneReport();
}

TEST_F(CrashFilter, CrashingReportProcessWritesNoDumpAndStartsNoReport) {
  const ScopedEnv crashes("ORV_CRASH_TEST_REPORT_CRASHES", "1");
  EXPECT_EQ(Run("segv"), 0);
  // The report process crashed at 0x30 but left the first crash's dump alone.
  const Minidump dump = Dump();
  ExpectValidDump(dump, kDumpedAccessViolation);
  EXPECT_EQ(dump.parameters[1], 0x10u);
  ExpectOneReport();
}

}  // namespace
