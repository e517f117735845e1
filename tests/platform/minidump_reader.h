// A minimal minidump reader for the crash tests: header, directory and the
// streams the crash filter writes, with every offset checked. Thread
// contexts are read for x86 (32-bit Windows) and AMD64; the misc info and
// the modules' ELF build ids where the dump has them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct DumpThread {
  uint32_t id = 0;
  uint64_t stackStart = 0;
  std::string stack;  // the stack bytes
  uint32_t contextFlags = 0;
  uint64_t sp = 0, ip = 0;  // stack and instruction pointers
};

struct DumpModule {
  uint64_t base = 0;
  uint32_t size = 0;
  std::u16string name;
  std::string buildId;  // lower-case hex from an ELF build-id CodeView record, else empty
};

struct Minidump {
  std::string error;  // empty when everything parsed
  uint32_t signature = 0, version = 0, streamCount = 0;
  uint64_t flags = 0;
  std::map<uint32_t, std::pair<uint32_t, uint32_t>> streams;  // type -> (size, rva)
  uint16_t architecture = 0;
  uint32_t majorVersion = 0, minorVersion = 0;  // of the operating system
  uint32_t processId = 0;                       // from the misc info; 0 when absent
  uint32_t exceptionThread = 0, exceptionCode = 0, exceptionFlags = 0, parameterCount = 0;
  uint64_t exceptionAddress = 0;
  uint64_t parameters[15] = {};
  uint64_t exceptionContextIp = 0;
  std::vector<DumpThread> threads;
  std::vector<DumpModule> modules;
  std::vector<std::pair<uint64_t, uint32_t>> memory;  // start, size
};

inline constexpr uint16_t kArchitectureX86 = 0;
inline constexpr uint16_t kArchitectureAmd64 = 9;

Minidump ParseMinidump(const std::string& bytes);
