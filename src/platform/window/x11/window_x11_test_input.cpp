// X11 window backend, for tests only (linked into the testing library, never
// into the program): input through the XTEST extension (the server treats it
// as the user's) and screenshots of the root window.
#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "platform/window/x11/window_x11.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

class CXTestInput final : public IWindowTestInput {
 public:
  bool InjectMotion(POINT screen) override {
    TConnection* c = Connection();
    return c && Flushed(*c, XTestFakeMotionEvent(c->display, c->screen, screen.x, screen.y, CurrentTime));
  }
  bool InjectButton(int button, bool down) override {
    return FakeButton(button == VK_LBUTTON ? 1 : button == VK_MBUTTON ? 2 : 3, down);
  }
  bool InjectWheel(int delta) override {
    const unsigned button = delta > 0 ? 4 : 5;
    for (int i = 0; i < std::abs(delta); ++i)
      if (!FakeButton(button, true) || !FakeButton(button, false)) return false;
    return true;
  }
  bool InjectKey(int virtualKey, bool down) override {
    TConnection* c = Connection();
    if (!c) return false;
    const KeyCode code = XKeysymToKeycode(c->display, KeysymOf(virtualKey));
    return code && Flushed(*c, XTestFakeKeyEvent(c->display, code, down ? True : False, CurrentTime));
  }
  void FlushInjected() override {
    if (TConnection* c = Connection()) XSync(c->display, False);
  }
  bool CaptureScreen(const RECT& rect, std::vector<uint32_t>* pixels) override {
    TConnection* c = Connection();
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (!c || width <= 0 || height <= 0) return false;
    XImage* image = XGetImage(c->display, c->root, rect.left, rect.top, width, height, AllPlanes, ZPixmap);
    if (!image) return false;
    pixels->resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        (*pixels)[y * width + x] = static_cast<uint32_t>(XGetPixel(image, x, y)) | 0xFF000000;
    XDestroyImage(image);
    return true;
  }

 private:
  static bool Flushed(TConnection& c, bool sent) {
    XFlush(c.display);
    return sent;
  }
  bool FakeButton(unsigned button, bool down) {
    TConnection* c = Connection();
    return c && Flushed(*c, XTestFakeButtonEvent(c->display, button, down ? True : False, CurrentTime));
  }
};

}  // namespace

IWindowTestInput& TestInput() {
  static CXTestInput input;
  return input;
}

}  // namespace platform::posix::x11
