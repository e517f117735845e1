// Fresh GUIDs (CoCreateGuid).
#pragma once

#include <cstdint>

namespace platform {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};
};

// Makes a new random (version 4) GUID; false when the system has no
// randomness to give.
[[nodiscard]] bool CreateGuid(Guid* guid);

}  // namespace platform
