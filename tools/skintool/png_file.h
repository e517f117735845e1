// PNG output of skintool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skintool {

// Writes width x height RGBA bytes (straight alpha) as a PNG file; false when
// it cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace skintool
