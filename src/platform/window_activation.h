// Bringing another instance's window to the front.
#pragma once

#include <string>

namespace platform {

// Finds the top-level window of windowClass (FindWindowW, no title), shows it
// normally unless it is both maximised and visible, and makes it the
// foreground window. False when no such window exists.
bool ActivateWindowOfClass(const std::u16string& windowClass);

}  // namespace platform
