// The program's icon: resource 107, in the executable's resource section on
// Windows and linked in as the bytes of its .ico file elsewhere (see
// skin/CMakeLists.txt, which links the program's resources).
#pragma once

#include <cstdint>

#include "platform/window/window_icons.h"

inline constexpr uint16_t kProgramIconId = 107;

// The icon at width x height; null when the program carries none.
platform::HICON LoadProgramIcon(int width, int height);
