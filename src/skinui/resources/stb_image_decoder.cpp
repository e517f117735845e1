#include "skinui/resources/stb_image_decoder.h"

#include <climits>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace SkinUI {

bool DecodeRgba(const uint8_t* bytes, size_t size, std::vector<uint8_t>* rgba, int* width, int* height) {
  if (!bytes || size == 0 || size > INT_MAX) return false;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), width, height, &channels, 4);
  if (!pixels) return false;
  size_t count = static_cast<size_t>(*width) * *height * 4;
  rgba->assign(pixels, pixels + count);
  stbi_image_free(pixels);
  return true;
}

}  // namespace SkinUI
