#include "png_file.h"

#include "common/text.h"
#include "platform/system/file_handle.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace skintool {
namespace {

void Append(void* context, void* data, int size) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(context);
  bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> png;
  if (!stbi_write_png_to_func(Append, &png, width, height, 4, rgba.data(), width * 4)) {
    return false;
  }
  platform::CFileHandle file;
  uint32_t written = 0;
  return file.CreateForWriting(Utf8ToUtf16(path)) &&
         file.Write(png.data(), static_cast<uint32_t>(png.size()), &written);
}

}  // namespace skintool
