// Win32 window system: update regions and WM_PAINT, presenting our BGRA
// pixels through DIBs (SetDIBitsToDevice; UpdateLayeredWindowIndirect with
// per-pixel alpha and a dirty rectangle) and round window regions.
#include <algorithm>
#include <vector>

#include "platform/window/win32/window_win32.h"

namespace platform {
namespace {

::RECT ToNative(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BITMAPINFO TopDown(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: rows top-down, as our pixels are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

bool InvalidateRect(HWND hwnd, const RECT* rect, bool erase) {
  ::RECT native = rect ? ToNative(*rect) : ::RECT{};
  return ::InvalidateRect(hwnd, rect ? &native : nullptr, erase) != 0;
}

bool ValidateRect(HWND hwnd, const RECT* rect) {
  ::RECT native = rect ? ToNative(*rect) : ::RECT{};
  return ::ValidateRect(hwnd, rect ? &native : nullptr) != 0;
}

bool GetUpdateRect(HWND hwnd, RECT* rect, bool erase) {
  ::RECT native{};
  bool has = ::GetUpdateRect(hwnd, &native, erase) != 0;
  if (rect) *rect = {native.left, native.top, native.right, native.bottom};
  return has;
}

bool UpdateWindow(HWND hwnd) { return ::UpdateWindow(hwnd) != 0; }

bool BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return false;
  auto* native = new ::PAINTSTRUCT{};
  if (!::BeginPaint(hwnd, native)) {
    delete native;
    return false;
  }
  ps->hdc = native;
  ps->fErase = native->fErase;
  ps->rcPaint = {native->rcPaint.left, native->rcPaint.top, native->rcPaint.right, native->rcPaint.bottom};
  return true;
}

void EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return;
  auto* native = static_cast<::PAINTSTRUCT*>(ps->hdc);
  ::EndPaint(hwnd, native);
  delete native;
}

bool PresentPixels(HWND hwnd, const TBitmapView& bitmap, const RECT& rect) {
  if (!bitmap.pixels || (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return false;
  ::RECT client;
  if (!::GetClientRect(hwnd, &client)) return false;
  int left = std::max({rect.left, 0, static_cast<int>(client.left)});
  int top = std::max({rect.top, 0, static_cast<int>(client.top)});
  int right = std::min({rect.right, bitmap.width, static_cast<int>(client.right)});
  int bottom = std::min({rect.bottom, bitmap.height, static_cast<int>(client.bottom)});
  if (right <= left || bottom <= top) return true;
  // The part is copied out whole, so the DIB's origin needs no thought.
  int width = right - left, height = bottom - top;
  std::vector<uint32_t> part(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    std::copy_n(bitmap.pixels + static_cast<size_t>(top + y) * bitmap.stride + left, width,
                part.begin() + static_cast<size_t>(y) * width);
  BITMAPINFO info = TopDown(width, height);
  HDC dc = GetDC(hwnd);
  int lines =
      SetDIBitsToDevice(dc, left, top, width, height, 0, 0, 0, height, part.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(hwnd, dc);
  return lines == height;
}

// The part of a layered update to take: dirty within the bitmap, or all of
// it when there is none or the window changes size with this update.
::RECT LayeredArea(HWND hwnd, const TBitmapView& bitmap, const RECT* dirty) {
  ::RECT all{0, 0, bitmap.width, bitmap.height};
  ::RECT window{};
  if (!dirty || !::GetWindowRect(hwnd, &window) || window.right - window.left != bitmap.width ||
      window.bottom - window.top != bitmap.height)
    return all;
  ::RECT wanted = ToNative(*dirty), area{};
  ::IntersectRect(&area, &wanted, &all);
  return area;
}

bool UpdateLayeredWindow(HWND hwnd, const POINT* position, const TBitmapView& bitmap, BYTE opacity,
                         const RECT* dirty) {
  if (!bitmap.pixels || bitmap.width <= 0 || bitmap.height <= 0) return false;
  const ::RECT area = LayeredArea(hwnd, bitmap, dirty);
  if (::IsRectEmpty(&area)) return true;
  BITMAPINFO info = TopDown(bitmap.width, bitmap.height);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return false;
  // Only the dirty part is copied: the system reads no other pixel of it.
  const int width = area.right - area.left;
  for (int y = area.top; y < area.bottom; ++y)
    std::copy_n(bitmap.pixels + static_cast<size_t>(y) * bitmap.stride + area.left, width,
                static_cast<uint32_t*>(bits) + static_cast<size_t>(y) * bitmap.width + area.left);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, dib);
  ::POINT at{position ? position->x : 0, position ? position->y : 0};
  ::SIZE size{bitmap.width, bitmap.height};
  ::POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
  UPDATELAYEREDWINDOWINFO update{sizeof(UPDATELAYEREDWINDOWINFO),
                                 nullptr,
                                 position ? &at : nullptr,
                                 &size,
                                 memory,
                                 &origin,
                                 0,
                                 &blend,
                                 ULW_ALPHA,
                                 &area};
  BOOL ok = ::UpdateLayeredWindowIndirect(hwnd, &update);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(dib);
  return ok != 0;
}

bool SetWindowRoundRgn(HWND hwnd, const RECT& rect, int ellipseWidth, int ellipseHeight, bool redraw) {
  HRGN region = CreateRoundRectRgn(rect.left, rect.top, rect.right, rect.bottom, ellipseWidth, ellipseHeight);
  if (!region) return false;
  // On success the system owns the region; it must not be deleted then.
  if (::SetWindowRgn(hwnd, region, redraw)) return true;
  DeleteObject(region);
  return false;
}

bool ClearWindowRgn(HWND hwnd, bool redraw) { return ::SetWindowRgn(hwnd, nullptr, redraw) != 0; }

bool SetWindowFrameRgn(HWND hwnd, const RECT& outer, const RECT& hole, bool redraw) {
  HRGN frame = CreateRectRgn(outer.left, outer.top, outer.right, outer.bottom);
  HRGN inner = CreateRectRgn(hole.left, hole.top, hole.right, hole.bottom);
  bool made = frame && inner && CombineRgn(frame, frame, inner, RGN_DIFF) != ERROR;
  if (inner) DeleteObject(inner);
  // On success the system owns the region; it must not be deleted then.
  if (made && ::SetWindowRgn(hwnd, frame, redraw)) return true;
  if (frame) DeleteObject(frame);
  return false;
}

}  // namespace platform
