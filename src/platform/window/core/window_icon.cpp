// POSIX window core: icons from .ico files, the icon sizes, and the icons a
// window keeps (WM_SETICON / WM_GETICON in DefWindowProc).
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "common/byte_order.h"
#include "platform/window/core/window_backend.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_icons.h"
#include "platform/window/window_messages.h"

namespace platform {

namespace {

constexpr size_t kDirectoryBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr size_t kBitmapHeaderBytes = 40;
constexpr int kMaxIconSide = 256;

// One 32-bit BI_RGB image of the file, decoded. A DIB icon image is its
// colour rows bottom-up, then a 1-bit mask; 32-bit colour carries alpha, so
// the mask is only used when every alpha is zero (an icon drawn without it).
bool DecodeImage(const uint8_t* image, size_t size, TIcon* icon) {
  if (size < kBitmapHeaderBytes) return false;
  const uint32_t headerBytes = LoadLe32(image);
  const auto width = static_cast<int32_t>(LoadLe32(image + 4));
  const auto doubledHeight = static_cast<int32_t>(LoadLe32(image + 8));
  const uint16_t bitCount = LoadLe16(image + 14);
  const uint32_t compression = LoadLe32(image + 16);
  const int height = doubledHeight / 2;
  if (headerBytes < kBitmapHeaderBytes || headerBytes > size || bitCount != 32 || compression != 0 ||
      width <= 0 || width > kMaxIconSide || height <= 0 || height > kMaxIconSide) {
    return false;
  }
  const size_t colourBytes = size_t{4} * width * height;
  const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
  if (size - headerBytes < colourBytes) return false;
  const uint8_t* colour = image + headerBytes;
  const bool hasMask = size - headerBytes - colourBytes >= maskStride * height;
  icon->width = width;
  icon->height = height;
  icon->argb.assign(static_cast<size_t>(width) * height, 0);
  bool anyAlpha = false;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = colour + size_t{4} * width * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint32_t bgra = LoadLe32(row + 4 * x);
      icon->argb[static_cast<size_t>(y) * width + x] = bgra;  // little-endian BGRA is 0xAARRGGBB
      anyAlpha = anyAlpha || (bgra >> 24) != 0;
    }
  }
  if (anyAlpha) return true;
  const uint8_t* mask = hasMask ? colour + colourBytes : nullptr;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = mask ? mask + maskStride * (height - 1 - y) : nullptr;
    for (int x = 0; x < width; ++x) {
      const bool transparent = row && (row[x / 8] & (0x80 >> (x % 8))) != 0;
      if (!transparent) icon->argb[static_cast<size_t>(y) * width + x] |= 0xFF000000u;
    }
  }
  return true;
}

// Nearest-neighbour scaling; icons are drawn at the sizes they are asked at.
TIcon Scaled(const TIcon& source, int width, int height) {
  TIcon icon{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  for (int y = 0; y < height; ++y) {
    const int sy = y * source.height / height;
    for (int x = 0; x < width; ++x) {
      icon.argb[static_cast<size_t>(y) * width + x] =
          source.argb[static_cast<size_t>(sy) * source.width + x * source.width / width];
    }
  }
  return icon;
}

// The distance of a side from the one asked for: smaller is better, and an
// image at least as large beats a smaller one (shrinking keeps detail).
int Distance(int side, int wanted) {
  return side >= wanted ? side - wanted : (wanted - side) * 2 + kMaxIconSide;
}

std::mutex g_iconsLock;
std::deque<TIcon> g_icons;  // never shrinks: icons live for the process

}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    default:
      return 0;
  }
}

HICON CreateIconFromIcoFile(const uint8_t* data, size_t size, int width, int height) {
  if (data == nullptr || size < kDirectoryBytes || width <= 0 || height <= 0 || width > kMaxIconSide ||
      height > kMaxIconSide || LoadLe16(data) != 0 || LoadLe16(data + 2) != 1) {
    return nullptr;
  }
  const size_t count = LoadLe16(data + 4);
  if (size < kDirectoryBytes + count * kEntryBytes) return nullptr;
  TIcon best;
  int bestDistance = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = data + kDirectoryBytes + i * kEntryBytes;
    const uint32_t bytes = LoadLe32(entry + 8), offset = LoadLe32(entry + 12);
    if (offset > size || bytes > size - offset) continue;
    TIcon image;
    if (!DecodeImage(data + offset, bytes, &image)) continue;  // PNG and paletted images
    const int distance = Distance(image.width, width) + Distance(image.height, height);
    if (best.argb.empty() || distance < bestDistance) {
      best = std::move(image);
      bestDistance = distance;
    }
  }
  if (best.argb.empty()) return nullptr;
  std::lock_guard<std::mutex> hold(g_iconsLock);
  return &g_icons.emplace_back(Scaled(best, width, height));
}

namespace posix {

LRESULT SetWindowIcon(HWND hwnd, WPARAM which, LPARAM icon) {
  auto window = LocalWindow(hwnd);
  if (!window || which > ICON_BIG) return 0;
  HICON& slot = which == ICON_BIG ? window->bigIcon : window->smallIcon;
  const HICON previous = slot;
  slot = reinterpret_cast<HICON>(icon);
  Backend().ApplyIcons(*window);
  return reinterpret_cast<LRESULT>(previous);
}

LRESULT GetWindowIcon(HWND hwnd, WPARAM which) {
  auto window = LocalWindow(hwnd);
  if (!window || which > ICON_BIG) return 0;
  return reinterpret_cast<LRESULT>(which == ICON_BIG ? window->bigIcon : window->smallIcon);
}

}  // namespace posix
}  // namespace platform
