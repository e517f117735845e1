// The GNU build id of an ELF image mapped in a process, read from its
// memory inside a fatal-signal handler or a child cloned from it.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace platform::crash {

inline constexpr uint32_t kMaxBuildIdSize = 64;

struct BuildId {
  uint8_t bytes[kMaxBuildIdSize];
  uint32_t size = 0;  // 0 when the image has none
};

// Reads the image mapped at base (its ELF header) in process pid. False
// when no 64-bit ELF image starts there; true with id->size 0 when it has
// no build id note.
bool ReadElfBuildId(pid_t pid, uint64_t base, BuildId* id);

}  // namespace platform::crash
