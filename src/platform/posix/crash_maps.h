// The process's mapped files and the stack of the crashing thread, read from
// /proc/self/maps inside a fatal-signal handler (no allocation).
#pragma once

#include <cstdint>

namespace platform::crash {

inline constexpr uint32_t kMaxModules = 512;
inline constexpr uint32_t kModuleNamePool = 96 * 1024;

struct MappedModule {
  uint64_t base = 0;  // start of the file's first mapping
  uint64_t end = 0;   // end of its last adjacent mapping
  uint32_t nameOffset = 0;  // into MapsSnapshot::names
  uint32_t nameLength = 0;
};

struct MapsSnapshot {
  MappedModule modules[kMaxModules];
  uint32_t moduleCount = 0;
  char names[kModuleNamePool];
  uint32_t namesUsed = 0;
  // The readable mapping holding the stack pointer or, when the pointer has
  // run past its stack (an overflow), the nearest readable mapping above it.
  // Both 0 when there is none.
  uint64_t stackStart = 0;
  uint64_t stackEnd = 0;
};

// Reads /proc/self/maps: every file mapped from an absolute path becomes one
// module (adjacent mappings of one file merge), in address order. False when
// the file cannot be read; modules beyond the table's room are left out.
bool ReadMaps(uint64_t stackPointer, MapsSnapshot* snapshot);

}  // namespace platform::crash
