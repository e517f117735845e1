#include <vector>

#include "common/text.h"
#include "platform/system/whole_file.h"
#include "skinui/render/render_engine.h"
#include "skinui/resources/skin_resources.h"
#include "skinui/resources/stb_image_decoder.h"

namespace SkinUI {
namespace {

bool ReadModuleResource(CSkinResources& res, std::u16string_view name, std::u16string_view type,
                        std::vector<uint8_t>* bytes) {
  size_t size = 0;
  bool numeric = !name.empty() && name[0] >= u'0' && name[0] <= u'9';
  uint16_t id = 0;
  for (char16_t c : name) {
    if (c < u'0' || c > u'9') break;
    id = static_cast<uint16_t>(id * 10 + (c - u'0'));
  }
  auto read = [&](uint8_t* buffer) {
    return numeric ? res.ReadSkinResource(id, type, buffer, &size)
                   : res.ReadNamedResource(name, type, buffer, &size);
  };
  if (read(nullptr) != kSkinBufferTooSmall) return false;
  bytes->resize(size);
  return read(bytes->data()) == kSkinReadOk;
}

bool ReadPlainFile(std::u16string_view name, std::vector<uint8_t>* bytes) {
  return platform::ReadWholeFile(std::u16string(name), bytes) == platform::EWholeFileRead::kOk &&
         !bytes->empty();
}

}  // namespace

std::unique_ptr<TUIImageInfo> CUIRenderEngine::LoadImage(std::u16string_view name, std::u16string_view type,
                                                         uint32_t mask, CSkinResources* resources) {
  if (name.empty()) return nullptr;
  CSkinResources& res = resources ? *resources : SkinResources();
  std::vector<uint8_t> bytes;
  bool found = type.empty() ? res.ReadSkinFileWhole(name, &bytes) == kSkinReadOk
                            : ReadModuleResource(res, name, type, &bytes);
  if (!found && !ReadPlainFile(name, &bytes)) return nullptr;
  auto info = DecodeImage(bytes.data(), bytes.size(), mask);
  if (info) info->sResType = type;
  return info;
}

std::unique_ptr<TUIImageInfo> CUIRenderEngine::DecodeImage(const uint8_t* bytes, size_t size, uint32_t mask) {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  if (!DecodeRgba(bytes, size, &rgba, &width, &height)) return nullptr;
  auto info = std::make_unique<TUIImageInfo>();
  info->bitmap = CUISurface(width, height);
  info->nX = width;
  info->nY = height;
  info->dwMask = mask;
  for (int y = 0; y < height; ++y) {
    uint32_t* row = info->bitmap.Row(y);
    const uint8_t* in = rgba.data() + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x, in += 4) {
      uint32_t a = in[3], r = in[0], g = in[1], b = in[2];
      if (a < 255) {
        r = r * a / 255;
        g = g * a / 255;
        b = b * a / 255;
        info->alphaChannel = true;
      }
      uint32_t pixel = MakeArgb(a, r, g, b);
      if (pixel == mask) {
        pixel = 0;
        info->alphaChannel = true;
      }
      row[x] = pixel;
    }
  }
  return info;
}

}  // namespace SkinUI
