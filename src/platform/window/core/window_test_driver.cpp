// POSIX test driver: input and screenshots of the display backend in use
// (the headless display's own, or XTEST on an X server).
#include "platform/window/core/window_backend.h"
#include "platform/window/window_test_driver.h"

namespace platform::testing {
namespace {

posix::IWindowTestInput& Input() {
  auto* own = dynamic_cast<posix::IWindowTestInput*>(&posix::Backend());
  return own ? *own : posix::x11::TestInput();
}

}  // namespace

std::string WindowBackendName() { return posix::Backend().GetName(); }
bool MoveMouse(POINT screen) { return Input().InjectMotion(screen); }
bool MouseButton(int button, bool down) { return Input().InjectButton(button, down); }
bool MouseWheel(int steps) { return Input().InjectWheel(steps); }
bool Key(int virtualKey, bool down) { return Input().InjectKey(virtualKey, down); }
void FlushInput() { Input().FlushInjected(); }

bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) {
  return pixels && Input().CaptureScreen(rect, pixels);
}

bool SetTestMonitor(const RECT& monitor, const RECT& work, UINT dpi) {
  return posix::SetHeadlessMonitor(monitor, work, dpi);
}

bool SetTestComposition(bool blended) { return posix::SetHeadlessComposition(blended); }

}  // namespace platform::testing
