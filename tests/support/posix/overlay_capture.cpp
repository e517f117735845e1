// orv_overlay_capture: the whole screen as a compositing manager that draws
// into the Composite overlay window (picom, xfwm4) shows it, as a binary PPM
// on stdout. Reading the root window instead gives, wherever a 32-bit
// (ARGB) window lies, that window's raw pixels, unblended: the X server's
// GetImage stands in the windows' contents for redirected windows.
// Only while such a compositor runs: otherwise the overlay would be made
// (and shown, empty) just for this read.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include <cstdio>
#include <vector>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  const Window overlay = XCompositeGetOverlayWindow(display, root);
  XImage* image = overlay ? XGetImage(display, overlay, 0, 0, width, height, AllPlanes, ZPixmap) : nullptr;
  if (overlay) XCompositeReleaseOverlayWindow(display, root);
  if (!image) return 1;
  std::vector<unsigned char> rgb;
  rgb.reserve(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      rgb.insert(rgb.end(), {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                             static_cast<unsigned char>(pixel)});
    }
  }
  XDestroyImage(image);
  XCloseDisplay(display);
  std::printf("P6\n%d %d\n255\n", width, height);
  return std::fwrite(rgb.data(), 1, rgb.size(), stdout) == rgb.size() ? 0 : 1;
}
