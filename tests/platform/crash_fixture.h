// The crash tests' fixture: a copy of the victim program named as the
// product's program in a temporary folder, runs of it, its dump and the
// calls of its report process.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/minidump_reader.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

inline constexpr std::chrono::milliseconds kCrashExitWait{20000};

// How a dump names each crash of the victim: the exception code on Windows,
// the signal number (what Linux minidump readers expect) elsewhere.
#ifdef _WIN32
inline constexpr uint32_t kDumpedAccessViolation = 0xC0000005u;
inline constexpr uint32_t kDumpedDivideByZero = 0xC0000094u;
inline constexpr uint32_t kDumpedIllegalInstruction = 0xC000001Du;
inline constexpr uint32_t kDumpedStackOverflow = 0xC00000FDu;
#else
inline constexpr uint32_t kDumpedAccessViolation = 11;    // SIGSEGV
inline constexpr uint32_t kDumpedDivideByZero = 8;        // SIGFPE
inline constexpr uint32_t kDumpedIllegalInstruction = 4;  // SIGILL
inline constexpr uint32_t kDumpedStackOverflow = 11;
#endif

// The GNU build id of the ELF file at path, in lower-case hex; empty when it
// has none or is not a 64-bit ELF file.
std::string ElfFileBuildId(const std::string& path);

// A file system path from UTF-8 text (on Windows a narrow path would be read
// in the ANSI code page).
std::filesystem::path PathOf(const std::string& utf8);

class CrashFilter : public ::testing::Test {
 protected:
  void SetUp() override;

  // Places the program in a new subfolder of the temporary folder instead.
  void MoveProgramTo(const std::string& subfolder);
  // Runs the program with one argument and waits for its exit code.
  std::optional<int> Run(const std::string& mode) const;
  Minidump Dump() const;
  // Lines written by report processes: "SWITCH|DUMPPATH|PROGRAM", or
  // "released" when a held report process was let go.
  std::vector<std::string> Reports() const;
  // Exactly one report, started with the report switch and the dump path
  // beside this program.
  void ExpectOneReport() const;
  // Header, directory and exception of a dump of this build's architecture,
  // with the exception's context being its thread's.
  void ExpectValidDump(const Minidump& dump, uint32_t exceptionCode) const;
  // The dump's thread that raised the exception; null when it is missing.
  static const DumpThread* ExceptionThread(const Minidump& dump);
  // The dump's module of this program; null when it is missing.
  static const DumpModule* ProgramModule(const Minidump& dump);

  TempDir m_dir;
  std::string m_program;  // UTF-8
  // The crashed process's thread count as it recorded it just before the
  // crash (POSIX); 0 when it did not.
  int RecordedThreadCount() const;
};
