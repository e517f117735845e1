#include "app/skin_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "skinui/markup/markup.h"
#include "skinui/resources/skin_resources.h"
#include "skinui/resources/stb_image_decoder.h"
#include "support/temp_dir.h"

namespace {

using SkinUI::SkinResources;

std::vector<uint8_t> ReadSkinFile(const std::u16string& name) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(SkinResources().ReadSkinFileWhole(name, &bytes), SkinUI::kSkinReadOk) << "no skin file";
  return bytes;
}

struct TImage {
  const char16_t* name;
  int width;
  int height;
};

// Every image of the archive at the size the skin markup relies on.
const TImage kImages[] = {
    {u"bk_main.png", 650, 280},         {u"bk_progress.png", 20, 10},     {u"ico_update.png", 92, 78},
    {u"logo_news.png", 218, 122},       {u"bk_border.png", 76, 76},       {u"btn_blue.png", 540, 48},
    {u"bk_border_layered.png", 76, 76}, {u"logo_zip.png", 48, 48},        {u"sys_dlg_min.png", 66, 22},
    {u"sys_dlg_max.png", 66, 22},       {u"sys_dlg_restore.png", 66, 22}, {u"sys_dlg_close.png", 66, 22},
    {u"sys_dlg_menu.png", 66, 22},
};

struct TMarkup {
  const char16_t* name;
  const char16_t* root;
};

const TMarkup kMarkups[] = {
    {u"dlg_main.xml", u"Window"},      {u"dlg_lace.xml", u"Window"},         {u"share_fonts.xml", u"Fonts"},
    {u"shared_styles.xml", u"Styles"}, {u"shared_scrollbar.xml", u"Window"},
};

class SkinArchive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }

  struct TPixels {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
    uint8_t Alpha(int x, int y) const { return rgba[(y * width + x) * 4 + 3]; }
    uint32_t Rgba(int x, int y) const {
      const uint8_t* p = &rgba[(y * width + x) * 4];
      return p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }
  };
  static TPixels Decode(const std::u16string& name) {
    TPixels pixels;
    const std::vector<uint8_t> png = ReadSkinFile(name);
    EXPECT_TRUE(SkinUI::DecodeRgba(png.data(), png.size(), &pixels.rgba, &pixels.width, &pixels.height));
    return pixels;
  }
};

TEST_F(SkinArchive, IsTheProgramsInMemoryArchive) {
  EXPECT_EQ(SkinResources().GetResourceZip(), SkinUI::kMemBufferArchive);
  const uint8_t* data = nullptr;
  size_t size = 0;
  ASSERT_TRUE(FindSkinArchive(&data, &size));
  const uint8_t* again = nullptr;
  ASSERT_TRUE(ProgramResources().FindResource(129, u"", u"zipres", &again, &size));
  EXPECT_EQ(again, data);
  EXPECT_FALSE(ProgramResources().FindResource(130, u"", u"ZIPRES", &again, &size));
}

TEST_F(SkinArchive, HoldsTheFilesOfSkinFolderAsTheyAre) {
  // The archive is packed at build time; a stale one would show old art.
  for (const char16_t* file :
       {u"dlg_main.xml", u"dlg_lace.xml", u"share_fonts.xml", u"shared_styles.xml", u"shared_scrollbar.xml",
        u"bk_main.png", u"btn_blue.png", u"sys_dlg_close.png"}) {
    const std::u16string name(file);
    const std::string source =
        ReadFileBytes(std::filesystem::path(ORV_SOURCE_DIR) / "skin" / Utf16ToUtf8(name));
    const std::vector<uint8_t> packed = ReadSkinFile(name);
    EXPECT_EQ(std::string(packed.begin(), packed.end()), source) << Utf16ToUtf8(name);
  }
}

TEST_F(SkinArchive, ImagesDecodeAtTheirSizes) {
  for (const TImage& image : kImages) {
    const TPixels pixels = Decode(image.name);
    const std::u16string name(image.name);
    EXPECT_EQ(pixels.width, image.width) << Utf16ToUtf8(name);
    EXPECT_EQ(pixels.height, image.height) << Utf16ToUtf8(name);
  }
}

TEST_F(SkinArchive, MarkupParsesWithItsRoot) {
  for (const TMarkup& markup : kMarkups) {
    std::vector<uint8_t> bytes = ReadSkinFile(markup.name);
    SkinUI::CUIMarkup document;
    ASSERT_TRUE(document.LoadFromMemory(bytes.data(), bytes.size()))
        << Utf16ToUtf8(document.GetLastErrorMessage());
    EXPECT_EQ(std::u16string_view(document.GetRoot().GetName()), markup.root);
  }
}

TEST_F(SkinArchive, ShadowFadesOutwardsAndLeavesTheWindowUncovered) {
  const TPixels shadow = Decode(u"bk_border.png");
  const int mid = shadow.height / 2;
  EXPECT_EQ(shadow.Alpha(0, mid), 0);
  for (int x = 1; x < 8; ++x) EXPECT_GE(shadow.Alpha(x, mid), shadow.Alpha(x - 1, mid)) << x;
  EXPECT_GE(shadow.Alpha(7, mid), 40);
  EXPECT_EQ(shadow.Alpha(mid, mid), 0);
  EXPECT_LT(shadow.Alpha(3, 3), shadow.Alpha(3, mid));  // rounder in the corner
}

TEST_F(SkinArchive, ButtonStatesLookDifferent) {
  for (const char16_t* name : {u"btn_blue.png", u"sys_dlg_min.png", u"sys_dlg_close.png"}) {
    const TPixels strip = Decode(name);
    const int cell = strip.width / 3;
    const int x = cell / 2 - 3, y = 3;  // inside the button face, off the glyph
    EXPECT_NE(strip.Rgba(x, y), strip.Rgba(cell + x, y));
    EXPECT_NE(strip.Rgba(cell + x, y), strip.Rgba(2 * cell + x, y));
  }
}

}  // namespace
