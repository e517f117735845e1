// Crash filter cases only POSIX has: signals sent by another process,
// SIGABRT, the exact streams of the dump the handler writes itself (every
// thread, the process id, build ids, the /proc streams), and the alternate
// stack that takes a stack overflow.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/utsname.h>

#include <string>

#include "common/text.h"
#include "platform/crash_fixture.h"

namespace {

constexpr uint32_t kLinuxStreams[] = {0x47670004, 0x47670008, 0x47670009};  // status, auxv, maps

TEST_F(CrashFilter, PosixDumpHoldsTheProcessItsThreadAndItsModulesWithBuildIds) {
  ChildProcess child(m_program, {m_program, "segv"});
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, SIGSEGV);
  EXPECT_EQ(dump.exceptionFlags, static_cast<uint32_t>(SEGV_MAPERR));
  EXPECT_EQ(dump.exceptionAddress, 0x10u);
  EXPECT_EQ(dump.streamCount, 9u);
  EXPECT_EQ(dump.flags, 0u);
  EXPECT_EQ(dump.processId, static_cast<uint32_t>(child.pid()));
  for (uint32_t type : kLinuxStreams) {
    ASSERT_EQ(dump.streams.count(type), 1u) << type;
    EXPECT_GT(dump.streams.at(type).first, 0u) << type;
  }
  utsname system{};
  ASSERT_EQ(uname(&system), 0);
  const std::string version =
      std::to_string(dump.majorVersion) + "." + std::to_string(dump.minorVersion) + ".";
  EXPECT_EQ(std::string(system.release).rfind(version, 0), 0u) << system.release;
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  ASSERT_EQ(dump.threads.size(), static_cast<size_t>(RecordedThreadCount()));
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(thread->contextFlags, 0x0010000Bu);
  EXPECT_GE(thread->sp, thread->stackStart);
  EXPECT_LT(thread->sp, thread->stackStart + thread->stack.size());
  ASSERT_EQ(dump.memory.size(), dump.threads.size());
  const DumpModule* program = ProgramModule(dump);
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(program->name, Utf8ToUtf16(m_program));
  EXPECT_EQ(program->buildId, ElfFileBuildId(m_program));
  EXPECT_FALSE(program->buildId.empty());
  bool libc = false;
  for (const DumpModule& m : dump.modules) {
    const std::string path = Utf16ToUtf8(m.name);
    EXPECT_EQ(m.buildId, ElfFileBuildId(path)) << path;
    libc = libc || path.find("/libc.so") != std::string::npos;
  }
  EXPECT_TRUE(libc);
}

TEST_F(CrashFilter, SignalFromAnotherProcessIsDumpedWithoutFaultAddress) {
  const std::string output = m_dir.File("output.txt");
  ChildProcess child(m_program, {m_program, "wait"}, output);
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(output) == "ready\n"; }, kCrashExitWait));
  ASSERT_EQ(kill(child.pid(), SIGSEGV), 0);
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, SIGSEGV);
  EXPECT_EQ(dump.exceptionFlags, static_cast<uint32_t>(SI_USER));
  EXPECT_EQ(dump.exceptionAddress, 0u);
  EXPECT_EQ(dump.parameterCount, 0u);
  EXPECT_EQ(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(thread->stack.find("ORV-STACK-MARKER"), std::string::npos);
  ExpectOneReport();
}

TEST_F(CrashFilter, AbortIsDumpedAsTheSignalItRaises) {
  EXPECT_EQ(Run("abort"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, SIGABRT);
  EXPECT_EQ(dump.exceptionFlags, static_cast<uint32_t>(SI_TKILL));
  ExpectOneReport();
}

TEST_F(CrashFilter, WorkerThreadCrashHoldsTheMainThreadWithItsStackToo) {
  ChildProcess child(m_program, {m_program, "thread"});
  EXPECT_EQ(child.Wait(kCrashExitWait), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, SIGSEGV);
  EXPECT_EQ(dump.exceptionAddress, 0x20u);
  EXPECT_NE(dump.exceptionThread, static_cast<uint32_t>(child.pid()));
  EXPECT_EQ(dump.threads.size(), static_cast<size_t>(RecordedThreadCount()));
  const DumpThread* main = nullptr;
  for (const DumpThread& thread : dump.threads) {
    if (thread.id == static_cast<uint32_t>(child.pid())) main = &thread;
    EXPECT_GE(thread.sp, thread.stackStart) << thread.id;
    EXPECT_LT(thread.sp, thread.stackStart + thread.stack.size()) << thread.id;
  }
  ASSERT_NE(main, nullptr);
  EXPECT_NE(main->stack.find("ORV-STACK-MARKER"), std::string::npos);
}

TEST_F(CrashFilter, StackOverflowKeepsTheWholeExhaustedStack) {
  EXPECT_EQ(Run("overflow"), 0);
  const Minidump dump = Dump();
  ExpectValidDump(dump, SIGSEGV);
  const DumpThread* thread = ExceptionThread(dump);
  ASSERT_NE(thread, nullptr);
  // From the stack's lowest page, just above the pointer, up to the frame
  // of the function that started the recursion.
  EXPECT_LE(thread->sp, thread->stackStart);
  EXPECT_GT(thread->sp + 64 * 1024, thread->stackStart);
  EXPECT_NE(thread->stack.find("ORV-STACK-MARKER"), std::string::npos);
}

}  // namespace
