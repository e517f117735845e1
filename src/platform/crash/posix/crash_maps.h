// A process's mapped files and stacks, read from /proc/PID/maps inside a
// fatal-signal handler or a child cloned from it (no allocation).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace platform::crash {

inline constexpr uint32_t kMaxModules = 512;
inline constexpr uint32_t kModuleNamePool = 96 * 1024;
inline constexpr size_t kMapsTextCapacity = 512 * 1024;

struct MappedModule {
  uint64_t base = 0;        // start of the file's first mapping
  uint64_t end = 0;         // end of its last adjacent mapping
  uint64_t fileOffset = 0;  // the file offset the first mapping starts at
  uint32_t nameOffset = 0;  // into MapsSnapshot::names
  uint32_t nameLength = 0;
};

struct MapsSnapshot {
  MappedModule modules[kMaxModules];
  uint32_t moduleCount = 0;
  char names[kModuleNamePool];
  uint32_t namesUsed = 0;
  // The maps text itself, whole lines only (cut after the last line that
  // fits).
  char text[kMapsTextCapacity];
  size_t textLength = 0;
};

// Reads /proc/PID/maps: every file mapped from an absolute path becomes one
// module (adjacent mappings of one file merge), in address order. False when
// the file cannot be read; modules beyond the table's room are left out.
bool ReadMaps(pid_t pid, MapsSnapshot* snapshot);

// The readable mapping holding the stack pointer sp or, when sp has run past
// its stack (an overflow), the nearest readable mapping above it. False when
// there is none.
bool FindStackMapping(const MapsSnapshot& snapshot, uint64_t sp, uint64_t* start, uint64_t* end);

}  // namespace platform::crash
