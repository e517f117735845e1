// POSIX test driver: forwards to the display backend in use.
#include "platform/posix/window_backend.h"
#include "platform/window_test_driver.h"

namespace platform::testing {

std::string WindowBackendName() { return posix::Backend().GetName(); }
bool MoveMouse(POINT screen) { return posix::Backend().InjectMotion(screen); }
bool MouseButton(int button, bool down) { return posix::Backend().InjectButton(button, down); }
bool MouseWheel(int steps) { return posix::Backend().InjectWheel(steps); }
bool Key(int virtualKey, bool down) { return posix::Backend().InjectKey(virtualKey, down); }
void FlushInput() { posix::Backend().FlushInjected(); }

bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) {
  return pixels && posix::Backend().CaptureScreen(rect, pixels);
}

bool SetTestMonitor(const RECT& monitor, const RECT& work, UINT dpi) {
  return posix::SetHeadlessMonitor(monitor, work, dpi);
}

bool SetTestComposition(bool blended) { return posix::SetHeadlessComposition(blended); }

}  // namespace platform::testing
