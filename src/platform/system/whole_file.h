// Whole-file reads through the wide file calls, so that a path the ANSI code
// page cannot hold (a Chinese folder on a Western Windows) still opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class EWholeFileRead { kOk, kNotOpened, kReadFailed };

// Reads the whole file at path into bytes (left empty on failure).
[[nodiscard]] EWholeFileRead ReadWholeFile(const std::u16string& path, std::vector<uint8_t>* bytes);

}  // namespace platform
