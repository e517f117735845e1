// The anchor: a bare Xlib program that opens a 650 x 430 window, paints one
// frame when it is exposed and ends once the server has drawn it.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bare_xlib_frame: cannot open display %s\n", XDisplayName(nullptr));
    return 2;
  }
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 650, 430, 0,
                                            BlackPixel(display, screen), WhitePixel(display, screen));
  XStoreName(display, window, "bare frame");
  XSelectInput(display, window, ExposureMask);
  XMapWindow(display, window);
  const GC gc = XCreateGC(display, window, 0, nullptr);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != Expose);
  XSetForeground(display, gc, 0x2a7be4);
  XFillRectangle(display, window, gc, 0, 0, 650, 280);
  XSync(display, False);
  std::_Exit(0);
}
