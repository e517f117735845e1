// Crash filter cases only POSIX has: signals sent by another process,
// SIGABRT, the exact streams of the dump the handler writes itself, and the
// alternate stack that takes a stack overflow.
#include <gtest/gtest.h>
#include <signal.h>

#include "common/text.h"
#include "platform/crash_fixture.h"

namespace {

TEST_F(CrashFilter, PosixDumpHoldsTheCrashingThreadAndTheLoadedModules) {
  ChildProcess child(m_program, {m_program, "segv"});
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, 0xC0000005u);
  EXPECT_EQ(dump.streamCount, 5u);
  EXPECT_EQ(dump.flags, 0u);
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  ASSERT_EQ(dump.threads.size(), 1u);
  const DumpThread& thread = dump.threads[0];
  EXPECT_EQ(thread.contextFlags, 0x0010000Bu);
  EXPECT_EQ(dump.exceptionAddress, thread.ip);
  EXPECT_GE(thread.sp, thread.stackStart);
  EXPECT_LT(thread.sp, thread.stackStart + thread.stack.size());
  ASSERT_EQ(dump.memory.size(), 1u);
  EXPECT_EQ(dump.memory[0].first, thread.stackStart);
  EXPECT_EQ(dump.memory[0].second, thread.stack.size());
  const DumpModule* program = ProgramModule(dump);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->name, Utf8ToUtf16(m_program));
  bool libc = false;
  for (const DumpModule& m : dump.modules) libc = libc || m.name.find(u"/libc.so") != std::u16string::npos;
  EXPECT_TRUE(libc);
}

TEST_F(CrashFilter, SignalFromAnotherProcessIsDumpedWithoutFaultAddress) {
  const std::string output = m_dir.File("output.txt");
  ChildProcess child(m_program, {m_program, "wait"}, output);
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(output) == "ready\n"; }, kCrashExitWait));
  ASSERT_EQ(kill(child.pid(), SIGSEGV), 0);
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, 0xC0000005u);
  EXPECT_EQ(dump.parameterCount, 0u);
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  ASSERT_EQ(dump.threads.size(), 1u);
  EXPECT_EQ(dump.exceptionAddress, dump.threads[0].ip);
  EXPECT_NE(dump.threads[0].stack.find("ORV-STACK-MARKER"), std::string::npos);
  ExpectOneReport();
}

TEST_F(CrashFilter, AbortIsDumpedWithItsOwnCode) {
  EXPECT_EQ(Run("abort"), 0);
  ExpectValidDump(Dump(), 0x40000015u);
  ExpectOneReport();
}

TEST_F(CrashFilter, WorkerThreadCrashIsNotTheMainThread) {
  ChildProcess child(m_program, {m_program, "thread"});
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, 0xC0000005u);
  EXPECT_NE(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  ASSERT_EQ(dump.threads.size(), 1u);
  EXPECT_GE(dump.threads[0].sp, dump.threads[0].stackStart);
  EXPECT_LT(dump.threads[0].sp, dump.threads[0].stackStart + dump.threads[0].stack.size());
}

TEST_F(CrashFilter, StackOverflowKeepsTheTopOfTheExhaustedStack) {
  EXPECT_EQ(Run("overflow"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, 0xC00000FDu);
  ASSERT_EQ(dump.threads.size(), 1u);
  // The stack kept is the top of the exhausted stack, just above the pointer.
  EXPECT_GT(dump.threads[0].stack.size(), 0u);
  EXPECT_LE(dump.threads[0].sp, dump.threads[0].stackStart);
  EXPECT_GT(dump.threads[0].sp + 64 * 1024, dump.threads[0].stackStart);
}

}  // namespace
