// Icons from .ico files and the icons a window keeps; in the X11 run also
// what the desktop sees of them (xprop reads _NET_WM_ICON).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/byte_order.h"
#include "platform/window/core/window_core.h"
#include "platform/window/window_icons.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_test_driver.h"
#include "window_posix_test_tools.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;

// An .ico file of one 32-bit image given top-down as 0xAARRGGBB, stored as
// icons store it: bottom-up rows, then the 1-bit mask (all opaque here).
std::vector<uint8_t> MakeIco(int width, int height, const std::vector<uint32_t>& argb, uint16_t type = 1) {
  const size_t maskStride = ((width + 31) / 32) * 4;
  const size_t imageBytes = 40 + size_t{4} * width * height + maskStride * height;
  std::vector<uint8_t> file(6 + 16 + imageBytes, 0);
  StoreLe16(&file[2], type);
  StoreLe16(&file[4], 1);
  uint8_t* entry = &file[6];
  entry[0] = static_cast<uint8_t>(width), entry[1] = static_cast<uint8_t>(height);
  StoreLe16(entry + 6, 32);
  StoreLe32(entry + 8, static_cast<uint32_t>(imageBytes));
  StoreLe32(entry + 12, 22);
  uint8_t* image = &file[22];
  StoreLe32(image, 40);
  StoreLe32(image + 4, width);
  StoreLe32(image + 8, height * 2);
  StoreLe16(image + 12, 1);
  StoreLe16(image + 14, 32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      StoreLe32(image + 40 + 4 * ((height - 1 - y) * width + x), argb[y * width + x]);
  }
  return file;
}

std::vector<uint32_t> Pixels(HICON icon, int* width, int* height) {
  *width = icon->width;
  *height = icon->height;
  return icon->argb;
}

TEST(WindowIcon, ImagesAreReadTopDownAndScaledToTheSizeAskedFor) {
  // Red top row, blue bottom row, the right column half transparent.
  const std::vector<uint32_t> argb = {0xFFFF0000, 0x80FF0000, 0xFF0000FF, 0x800000FF};
  const auto ico = MakeIco(2, 2, argb);
  int width = 0, height = 0;
  HICON same = CreateIconFromIcoFile(ico.data(), ico.size(), 2, 2);
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(Pixels(same, &width, &height), argb);
  HICON larger = CreateIconFromIcoFile(ico.data(), ico.size(), 4, 4);
  ASSERT_NE(larger, nullptr);
  const auto scaled = Pixels(larger, &width, &height);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(scaled[0], 0xFFFF0000u);
  EXPECT_EQ(scaled[15], 0x800000FFu);

  // Without any alpha the image is opaque (the mask decides).
  const auto noAlpha = MakeIco(1, 1, {0x00123456});
  EXPECT_EQ(Pixels(CreateIconFromIcoFile(noAlpha.data(), noAlpha.size(), 1, 1), &width, &height)[0],
            0xFF123456u);

  // The product's own icon at both system sizes.
  const std::string product = ReadFileBytes(ORV_SOURCE_DIR "/src/app/resources/orvupdate.ico");
  const auto* bytes = reinterpret_cast<const uint8_t*>(product.data());
  for (int side : {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON), 48}) {
    EXPECT_NE(CreateIconFromIcoFile(bytes, product.size(), side, side), nullptr) << side;
  }
}

TEST(WindowIcon, DamagedFilesGiveNoIcon) {
  const auto good = MakeIco(2, 2, std::vector<uint32_t>(4, 0xFF000000));
  auto truncated = good;
  truncated.resize(good.size() - 20);
  auto pointsOutside = good;
  StoreLe32(&pointsOutside[6 + 12], 0xFFFFFFF0);
  auto notBitmap = good;
  std::copy_n("\x89PNG", 4, notBitmap.begin() + 22);  // PNG images are not read
  auto cursor = MakeIco(2, 2, std::vector<uint32_t>(4, 0xFF000000), 2);
  for (const auto* file : {&truncated, &pointsOutside, &notBitmap, &cursor}) {
    EXPECT_EQ(CreateIconFromIcoFile(file->data(), file->size(), 2, 2), nullptr);
  }
  EXPECT_EQ(CreateIconFromIcoFile(good.data(), 3, 2, 2), nullptr);
  EXPECT_EQ(CreateIconFromIcoFile(good.data(), good.size(), 0, 2), nullptr);
}

TEST(WindowIcon, WindowKeepsItsIconsAndTheDesktopSeesThem) {
  HWND hwnd = ShowPopup(u"OrvIconCheck", PlainProc, u"icon check", {40, 40, 100, 100});
  ASSERT_NE(hwnd, nullptr);
  const auto ico = MakeIco(2, 2, std::vector<uint32_t>(4, 0xFF00FF00));
  HICON big = CreateIconFromIcoFile(ico.data(), ico.size(), 32, 32);
  HICON small = CreateIconFromIcoFile(ico.data(), ico.size(), 16, 16);
  EXPECT_EQ(SendMessage(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
  EXPECT_EQ(SendMessage(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
  EXPECT_EQ(SendMessage(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  EXPECT_EQ(SendMessage(hwnd, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(small));
  if (platform::testing::WindowBackendName() == "x11") {
    const std::string shown =
        CommandOutput("xprop -id " + std::to_string(reinterpret_cast<uintptr_t>(hwnd)) + " _NET_WM_ICON");
    EXPECT_NE(shown.find("Icon (32 x 32)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Icon (16 x 16)"), std::string::npos) << shown;
  }
  EXPECT_EQ(SendMessage(hwnd, WM_SETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(big));
  DestroyWindow(hwnd);
}

}  // namespace
