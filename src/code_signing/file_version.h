// The file version a PE image states of itself: the VS_FIXEDFILEINFO of its
// version resource (RT_VERSION), read from outside bytes with every offset
// and size bounded. An offer's version text is compared with it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "code_signing/pe_layout.h"

namespace code_signing {

// The four numbers a version is made of: major, minor, build, revision.
struct FileVersion {
  std::array<uint16_t, 4> parts{};
  friend bool operator==(const FileVersion&, const FileVersion&) = default;
  friend auto operator<=>(const FileVersion&, const FileVersion&) = default;
  std::string Text() const;  // "1.0.0.2"
};

// Reads "1.0.0.2": one to four decimal numbers of at most 65535 separated by
// dots, the missing ones 0. Nothing for any other text.
std::optional<FileVersion> ParseVersionText(std::u16string_view text);

// Reads size bytes at a file offset into *bytes; fewer only at the file's end.
using FileReader = std::function<bool(uint64_t offset, uint32_t size, std::vector<uint8_t>* bytes)>;

enum class FileVersionResult { kFound, kNone, kMalformed };

// The file version of the image whose layout is given, its bytes read
// through read. kNone when the image has no version resource; kMalformed
// (with *why) when a directory, entry or the version block points outside
// the image or is not what it claims. The first name and language of
// RT_VERSION are taken, as a program's one version resource.
FileVersionResult ReadFileVersion(const PeLayout& layout, const FileReader& read, FileVersion* version,
                                  std::string* why);

}  // namespace code_signing
