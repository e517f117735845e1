// Screenshots as PNG files for tests, on every backend (stb_image_write).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC  // private to this file: test programs may carry their own copy
#include <stb/stb_image_write.h>

#include "platform/window/window_test_driver.h"

namespace platform::testing {

bool SaveScreenPng(const RECT& rect, const std::string& path) {
  std::vector<uint32_t> pixels;
  if (!CaptureScreen(rect, &pixels)) return false;
  std::vector<uint8_t> rgba(pixels.size() * 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    rgba[i * 4] = static_cast<uint8_t>(pixels[i] >> 16);
    rgba[i * 4 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
    rgba[i * 4 + 2] = static_cast<uint8_t>(pixels[i]);
    rgba[i * 4 + 3] = 255;
  }
  int width = rect.right - rect.left;
  return stbi_write_png(path.c_str(), width, rect.bottom - rect.top, 4, rgba.data(), width * 4) != 0;
}

}  // namespace platform::testing
