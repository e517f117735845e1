// Windows sleeping: Sleep.
#include <windows.h>

#include "platform/system/sleep.h"

namespace platform {

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
