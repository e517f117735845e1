// POSIX window activation: the program's windows here belong to its own
// window system, which no other process can reach, so a window of another
// instance is never found.
#include "platform/window_activation.h"

namespace platform {

bool ActivateWindowOfClass(const std::u16string&) { return false; }

}  // namespace platform
