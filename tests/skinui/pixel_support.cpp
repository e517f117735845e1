#include <gtest/gtest.h>

#include "skinui/pixel_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "skinui/resources/font_info.h"
#include "skinui/resources/stb_image_decoder.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image_write.h>

namespace skinui_test {
namespace {

void AppendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
}

std::string EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
  std::string out;
  stbi_write_png_to_func(AppendBytes, &out, width, height, 4, rgba.data(), width * 4);
  return out;
}

}  // namespace

std::string MakePng(int width, int height, const std::function<uint32_t(int, int)>& pixel) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixel(x, y);
      rgba.insert(rgba.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                               static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
    }
  }
  return EncodePng(width, height, rgba);
}

bool WriteSurfacePng(const SkinUI::CUISurface& surface, const std::string& path) {
  std::string png =
      MakePng(surface.GetWidth(), surface.GetHeight(), [&](int x, int y) { return surface.GetPixel(x, y); });
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary).write(png.data(), static_cast<std::streamsize>(png.size()));
  return !png.empty();
}

std::string TextGolden(const std::string& name) { return ORV_TEXT_GOLDEN_FOLDER + name; }

::testing::AssertionResult MatchesGolden(const SkinUI::CUISurface& surface, const std::string& name,
                                         int tolerance, int maxOff) {
  std::string path = std::string(ORV_SOURCE_DIR) + "/tests/data/skinui/" + name + ".png";
  const char* update = std::getenv("ORV_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") WriteSurfacePng(surface, path);
  std::string bytes = ReadFileBytes(path);
  std::vector<uint8_t> rgba;
  int width = 0, height = 0;
  if (!SkinUI::DecodeRgba(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &rgba, &width,
                          &height)) {
    return ::testing::AssertionFailure() << "no golden " << path;
  }
  if (width != surface.GetWidth() || height != surface.GetHeight()) {
    return ::testing::AssertionFailure() << "golden size " << width << "x" << height;
  }
  int off = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = surface.GetPixel(x, y);
      const uint8_t* g = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      int d = std::max({std::abs(int((p >> 16) & 255) - g[0]), std::abs(int((p >> 8) & 255) - g[1]),
                        std::abs(int(p & 255) - g[2]), std::abs(int(p >> 24) - g[3])});
      if (d > tolerance) ++off;
    }
  }
  if (off > maxOff) {
    WriteSurfacePng(surface, std::string(ORV_BINARY_DIR) + "/golden-diff/" + name + ".png");
    return ::testing::AssertionFailure() << off << " pixels differ from " << name;
  }
  return ::testing::AssertionSuccess();
}

CTestHost::CTestHost() { m_resources.SetResourcePath(Utf8ToUtf16(m_dir.path().string() + "/")); }

const SkinUI::TUIImageInfo* CTestHost::GetImageEx(std::u16string_view name, std::u16string_view type,
                                                  uint32_t mask) {
  std::u16string key = std::u16string(name) + u"|" + std::u16string(type);
  auto it = m_images.find(key);
  if (it != m_images.end()) return it->second.get();
  ++m_loads;
  auto image = SkinUI::CUIRenderEngine::LoadImage(name, type, mask, &m_resources);
  if (!image) return nullptr;
  return (m_images[key] = std::move(image)).get();
}

void CTestHost::AddFontWithId(int id, const std::u16string& face, int size, bool bold, bool underline,
                              bool italic) {
  auto font = SkinUI::CreateFontInfo(face, size, bold, underline, italic, m_scale);
  if (id < 0)
    m_default = std::move(font);
  else
    m_fonts[id] = std::move(font);
}

const SkinUI::TUIFontInfo* CTestHost::GetFontInfo(int index) {
  auto it = m_fonts.find(index);
  if (index >= 0 && it != m_fonts.end()) return it->second.get();
  if (!m_default) m_default = SkinUI::CreateFontInfo(u"微软雅黑", 12, false, false, false, m_scale);
  return m_default.get();
}

int CTestHost::FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  for (const auto& [id, f] : m_fonts) {
    if (f->sFontName == face && f->iSize == size && f->bBold == bold && f->bUnderline == underline &&
        f->bItalic == italic) {
      return id;
    }
  }
  return -1;
}

int CTestHost::AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  int id = m_fonts.empty() ? 0 : m_fonts.rbegin()->first + 1;
  auto font = SkinUI::CreateFontInfo(face, size, bold, underline, italic, m_scale);
  if (!font) return -1;
  m_fonts[id] = std::move(font);
  return id;
}

}  // namespace skinui_test
