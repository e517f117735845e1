// The minidump file format as the POSIX crash filter writes it: the record
// sizes, stream types and constants of dbghelp's MINIDUMP_* records (amd64)
// and of the Linux streams the usual Linux writers add, in one place. The
// writer (crash_minidump.cpp) lays the records out front to back; a reader of
// the dump (tests, debuggers) expects these.
#pragma once

#include <cstdint>

namespace platform::crash {

inline constexpr uint32_t kMinidumpSignature = 0x504D444D;  // "MDMP"
inline constexpr uint32_t kMinidumpVersion = 0xA793;
inline constexpr uint32_t kMinidumpHeaderSize = 32;  // MINIDUMP_HEADER
inline constexpr uint32_t kDirectoryEntrySize = 12;  // MINIDUMP_DIRECTORY

// Stream types (MINIDUMP_STREAM_TYPE, then the Linux extensions).
inline constexpr uint32_t kThreadListStream = 3;
inline constexpr uint32_t kModuleListStream = 4;
inline constexpr uint32_t kMemoryListStream = 5;
inline constexpr uint32_t kExceptionStream = 6;
inline constexpr uint32_t kSystemInfoStream = 7;
inline constexpr uint32_t kMiscInfoStream = 15;
inline constexpr uint32_t kLinuxProcStatusStream = 0x47670004;  // /proc/PID/status
inline constexpr uint32_t kLinuxAuxvStream = 0x47670008;        // /proc/PID/auxv
inline constexpr uint32_t kLinuxMapsStream = 0x47670009;        // /proc/PID/maps

// Record sizes.
inline constexpr uint32_t kSystemInfoSize = 56;        // MINIDUMP_SYSTEM_INFO
inline constexpr uint32_t kMiscInfoSize = 24;          // MINIDUMP_MISC_INFO
inline constexpr uint32_t kExceptionStreamSize = 168;  // MINIDUMP_EXCEPTION_STREAM
inline constexpr uint32_t kThreadSize = 48;            // MINIDUMP_THREAD
inline constexpr uint32_t kModuleSize = 108;           // MINIDUMP_MODULE
inline constexpr uint32_t kMemoryDescriptorSize = 16;  // MINIDUMP_MEMORY_DESCRIPTOR
inline constexpr uint32_t kAmd64ContextSize = 1232;    // CONTEXT (amd64)

inline constexpr uint16_t kArchitectureAmd64 = 9;   // PROCESSOR_ARCHITECTURE_AMD64
inline constexpr uint32_t kPlatformLinux = 0x8201;  // the platform id Linux minidump writers use
inline constexpr uint32_t kMiscProcessId = 1;       // MINIDUMP_MISC1_PROCESS_ID
// A module's CodeView record holding its ELF build id: this signature ("LEpB"
// in the file), then the id's bytes.
inline constexpr uint32_t kCvSignatureElfBuildId = 0x4270454C;

}  // namespace platform::crash
