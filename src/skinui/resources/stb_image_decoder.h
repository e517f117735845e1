// Image decoding through stb_image (PNG, JPEG, BMP, GIF, TGA ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

// Decodes bytes into RGBA (four bytes per pixel, top-down). False when the
// bytes are not an image the decoder reads.
[[nodiscard]] bool DecodeRgba(const uint8_t* bytes, size_t size, std::vector<uint8_t>* rgba, int* width,
                              int* height);

}  // namespace SkinUI
