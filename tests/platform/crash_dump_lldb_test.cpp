// The POSIX crash dumps as a developer reads them: each crash of the victim
// is loaded in LLDB (the debugger Debian ships), which must stop the process
// on the signal, name the crashing function in its backtrace, list every
// thread the process had and match each module to its binary by build id.
// LLDB's own reading is bounded: a dump it cannot take may make it hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/crash_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::seconds kLldbWait{60};

struct DumpCase {
  const char* mode;
  const char* signal;    // the stop reason LLDB gives
  const char* function;  // in the crashing thread's backtrace
};

void PrintTo(const DumpCase& c, std::ostream* out) { *out << c.mode; }

// Overflow: the backtrace runs through the whole exhausted stack to main.
const DumpCase kCases[] = {
    {"segv", "SIGSEGV", "WriteTo"},    {"abort", "SIGABRT", "abort"},
    {"fpe", "SIGFPE", "DivideByZero"}, {"ill", "SIGILL", "IllegalInstruction"},
    {"thread", "SIGSEGV", "WriteTo"},  {"overflow", "SIGSEGV", "Recurse"},
};

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "/usr/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const fs::path candidate = fs::path(folder) / name;
    std::error_code error;
    if (!folder.empty() && fs::is_regular_file(candidate, error)) return candidate.string();
  }
  return "";
}

// What LLDB printed about the dump, parsed from its command output.
struct LldbView {
  std::string processId;
  std::string stoppedTid, stopReason;                        // the selected (crashing) thread
  std::map<std::string, std::string> tids;                   // thread number -> system thread id
  std::map<std::string, std::vector<std::string>> frames;    // thread number -> frame lines
  std::string crashingThread;                                // its thread number
  std::vector<std::pair<std::string, std::string>> modules;  // build id (lower hex), path
};

LldbView Parse(const std::string& output) {
  static const std::regex process(R"(^Process (\d+) stopped)");
  static const std::regex listed(R"(^([* ]) thread #(\d+): tid = (\d+),.*?(stop reason = (.*))?$)");
  static const std::regex section(R"(^([* ]) thread #(\d+)(,|$))");
  static const std::regex frame(R"(^\s+[* ]?\s*frame #\d+: (.*)$)");
  static const std::regex module(R"(^\[\s*\d+\] ([0-9A-F-]+) (/.*)$)");
  LldbView view;
  std::istringstream lines(output);
  std::string thread;
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, process)) {
      view.processId = m[1];
    } else if (std::regex_match(line, m, listed)) {
      view.tids[m[2]] = m[3];
      if (m[1] == "*") view.stoppedTid = m[3], view.stopReason = m[5];
    } else if (std::regex_search(line, m, section)) {
      thread = m[2];
      if (m[1] == "*") view.crashingThread = thread;
    } else if (std::regex_match(line, m, frame) && !thread.empty()) {
      view.frames[thread].push_back(m[1]);
    } else if (std::regex_match(line, m, module)) {
      std::string id;
      for (char c : m[1].str()) {
        if (c != '-') id += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      view.modules.emplace_back(id, m[2]);
    }
  }
  return view;
}

// A frame "0x... module`[scope::]function(arguments) at file:line" (or
// "module`caller [inlined] function at ...") of the function; glibc's own
// symbols may carry its "__GI_" prefix.
bool HasFrame(const std::vector<std::string>& frames, const std::string& function) {
  const std::regex name("(^|::|\\] )(__GI_)?" + function + "(\\(|$)");
  for (const std::string& f : frames) {
    const size_t tick = f.find('`');
    if (tick == std::string::npos) continue;
    std::string head = f.substr(tick + 1);
    head = head.substr(0, std::min(head.find(" at "), head.find(" + ")));
    if (std::regex_search(head, name)) return true;
  }
  return false;
}

class CrashDumpInLldb : public CrashFilter, public ::testing::WithParamInterface<DumpCase> {};

TEST_P(CrashDumpInLldb, StopsOnTheSignalWithEveryThreadAndTheModulesBuildIds) {
  const std::string lldb = FindProgram("lldb");
  if (lldb.empty()) GTEST_SKIP() << "lldb is not installed; the dump cannot be read with it";
  const DumpCase& c = GetParam();
  ChildProcess victim(m_program, {m_program, c.mode});
  ASSERT_EQ(victim.Wait(kCrashExitWait), 0);
  const std::string output = m_dir.File("lldb.txt");
  ChildProcess reader(lldb,
                      {lldb, "--batch", "--no-lldbinit", "--no-use-colors", "-o",
                       "target create --core " + m_program + ".dmp", "-o", "process status", "-o",
                       "thread list", "-o", "thread backtrace all", "-o", "image list -u -f"},
                      output);
  ASSERT_EQ(reader.Wait(kLldbWait), 0) << "LLDB did not finish reading the dump:\n" << ReadFileBytes(output);
  LldbView view = Parse(ReadFileBytes(output));
  SCOPED_TRACE(ReadFileBytes(output).substr(0, 4000));
  EXPECT_EQ(view.processId, std::to_string(victim.pid()));
  EXPECT_EQ(view.stopReason, std::string("signal ") + c.signal);
  EXPECT_EQ(view.stoppedTid, std::to_string(Dump().exceptionThread));
  EXPECT_EQ(static_cast<int>(view.tids.size()), RecordedThreadCount());
  const std::vector<std::string>& crashing = view.frames[view.crashingThread];
  EXPECT_TRUE(HasFrame(crashing, c.function)) << c.function;
  // The process's first thread reaches main: through the whole stack on an
  // overflow, or from where it waits for the crashing worker.
  std::string mainThread;
  for (const auto& [number, tid] : view.tids) {
    if (tid == std::to_string(victim.pid())) mainThread = number;
  }
  EXPECT_TRUE(HasFrame(view.frames[mainThread], "main"));
  ASSERT_GE(view.modules.size(), 3u);
  bool program = false;
  for (const auto& [id, path] : view.modules) {
    EXPECT_EQ(id, ElfFileBuildId(path)) << path;
    program = program || fs::equivalent(path, m_program);
  }
  EXPECT_TRUE(program);
}

INSTANTIATE_TEST_SUITE_P(EachCrash, CrashDumpInLldb, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DumpCase>& info) {
                           return std::string(info.param.mode);
                         });

}  // namespace
