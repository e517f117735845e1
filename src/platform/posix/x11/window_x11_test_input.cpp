// X11 window backend, for tests: input through the XTEST extension (the
// server treats it as the user's) and screenshots of the root window.
#include <X11/extensions/XTest.h>

#include "platform/posix/x11/window_x11.h"

namespace platform::posix::x11 {

bool FakeMotion(TConnection& c, POINT screen) {
  bool ok = XTestFakeMotionEvent(c.display, c.screen, screen.x, screen.y, CurrentTime);
  XFlush(c.display);
  return ok;
}

bool FakeButton(TConnection& c, unsigned button, bool down) {
  bool ok = XTestFakeButtonEvent(c.display, button, down ? True : False, CurrentTime);
  XFlush(c.display);
  return ok;
}

bool FakeKey(TConnection& c, int virtualKey, bool down) {
  KeyCode code = XKeysymToKeycode(c.display, KeysymOf(virtualKey));
  if (!code) return false;
  bool ok = XTestFakeKeyEvent(c.display, code, down ? True : False, CurrentTime);
  XFlush(c.display);
  return ok;
}

bool CaptureRoot(TConnection& c, const RECT& rect, std::vector<uint32_t>* pixels) {
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  XImage* image = XGetImage(c.display, c.root, rect.left, rect.top, width, height, AllPlanes, ZPixmap);
  if (!image) return false;
  pixels->resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      (*pixels)[y * width + x] = static_cast<uint32_t>(XGetPixel(image, x, y)) | 0xFF000000;
  XDestroyImage(image);
  return true;
}

}  // namespace platform::posix::x11
