// Whole-file reads for the skin: folder skins, archive files and images named
// by path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SkinUI {

enum class EDiskRead { kOk, kNotOpened, kReadFailed };

// Reads the whole file at path into bytes. Goes through the platform's wide
// file calls, so that a path the ANSI code page cannot hold (a Chinese install
// folder on a Western Windows) still opens.
[[nodiscard]] EDiskRead ReadWholeDiskFile(std::u16string_view path, std::vector<uint8_t>* bytes);

}  // namespace SkinUI
