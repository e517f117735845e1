#include "code_signing/file_version.h"

#include <cstdio>

#include "common/byte_order.h"

namespace code_signing {
namespace {

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kDirectoryHeader = 16;
constexpr uint32_t kDirectoryEntry = 8;
constexpr uint32_t kDataEntry = 16;
constexpr uint32_t kHighBit = 0x80000000u;
// A directory of more entries, or a version block larger than this, is not
// a program's own: refused rather than read.
constexpr uint32_t kMaxEntries = 4096;
constexpr uint32_t kMaxVersionBlock = 64 * 1024;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoSize = 52;
constexpr char16_t kVersionKey[] = u"VS_VERSION_INFO";

// Reads size bytes at rva, which must lie in one section's raw data.
bool ReadRva(const PeLayout& layout, const FileReader& read, uint32_t rva, uint32_t size,
             std::vector<uint8_t>* bytes) {
  uint64_t offset = 0;
  uint32_t available = 0;
  if (!layout.FileOffsetOf(rva, &offset, &available) || available < size) return false;
  return read(offset, size, bytes) && bytes->size() == size;
}

class CResourceWalk {
 public:
  CResourceWalk(const PeLayout& layout, const FileReader& read) : m_layout(layout), m_read(read) {}

  // The target of the entry of directory (an offset into the resource
  // directory) whose id is wanted, or its first entry when wanted is empty.
  // *isDirectory tells whether the target is a directory.
  FileVersionResult Find(uint32_t directory, std::optional<uint32_t> wanted, uint32_t* target,
                         bool* isDirectory, std::string* why) {
    std::vector<uint8_t> bytes;
    if (!ReadAt(directory, kDirectoryHeader, &bytes))
      return Malformed(why, "resource directory outside the image");
    const uint32_t named = LoadLe16(bytes.data() + 12), ids = LoadLe16(bytes.data() + 14);
    if (named + ids > kMaxEntries) return Malformed(why, "resource directory too large");
    if (named + ids == 0) return FileVersionResult::kNone;
    if (!ReadAt(directory + kDirectoryHeader, (named + ids) * kDirectoryEntry, &bytes)) {
      return Malformed(why, "resource entries outside the image");
    }
    for (uint32_t i = 0; i < named + ids; ++i) {
      const uint32_t name = LoadLe32(bytes.data() + i * kDirectoryEntry);
      const uint32_t offset = LoadLe32(bytes.data() + i * kDirectoryEntry + 4);
      // Named entries come first; an id is wanted among the others.
      if (wanted && (i < named || (name & kHighBit) != 0 || name != *wanted)) continue;
      *target = offset & ~kHighBit;
      *isDirectory = (offset & kHighBit) != 0;
      return FileVersionResult::kFound;
    }
    return FileVersionResult::kNone;
  }

  bool ReadAt(uint32_t offset, uint32_t size, std::vector<uint8_t>* bytes) {
    if (uint64_t{offset} + size > m_layout.resourceSize) return false;
    return ReadRva(m_layout, m_read, m_layout.resourceRva + offset, size, bytes);
  }

  static FileVersionResult Malformed(std::string* why, const char* text) {
    *why = text;
    return FileVersionResult::kMalformed;
  }

 private:
  const PeLayout& m_layout;
  const FileReader& m_read;
};

// VS_VERSIONINFO: wLength, wValueLength, wType, the key "VS_VERSION_INFO",
// padding to 4 bytes, then VS_FIXEDFILEINFO.
FileVersionResult ReadVersionBlock(const std::vector<uint8_t>& block, FileVersion* version,
                                   std::string* why) {
  constexpr uint32_t kKeyAt = 6, kKeyChars = sizeof(kVersionKey) / sizeof(char16_t);
  constexpr uint32_t kValueAt = (kKeyAt + kKeyChars * 2 + 3) / 4 * 4;
  if (block.size() < kValueAt + kFixedInfoSize)
    return CResourceWalk::Malformed(why, "version block too short");
  const uint32_t length = LoadLe16(block.data()), valueLength = LoadLe16(block.data() + 2);
  if (length > block.size() || length < kValueAt + kFixedInfoSize || valueLength < kFixedInfoSize) {
    return CResourceWalk::Malformed(why, "version block lengths wrong");
  }
  for (uint32_t i = 0; i < kKeyChars; ++i) {
    if (LoadLe16(block.data() + kKeyAt + 2 * i) != kVersionKey[i]) {
      return CResourceWalk::Malformed(why, "no VS_VERSION_INFO");
    }
  }
  const uint8_t* fixed = block.data() + kValueAt;
  if (LoadLe32(fixed) != kFixedInfoSignature) return CResourceWalk::Malformed(why, "no VS_FIXEDFILEINFO");
  const uint32_t high = LoadLe32(fixed + 8), low = LoadLe32(fixed + 12);
  version->parts = {static_cast<uint16_t>(high >> 16), static_cast<uint16_t>(high),
                    static_cast<uint16_t>(low >> 16), static_cast<uint16_t>(low)};
  return FileVersionResult::kFound;
}

}  // namespace

std::string FileVersion::Text() const {
  char text[24];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", parts[0], parts[1], parts[2], parts[3]);
  return text;
}

std::optional<FileVersion> ParseVersionText(std::u16string_view text) {
  FileVersion version;
  size_t part = 0;
  uint32_t value = 0;
  bool digits = false;
  for (const char16_t c : text) {
    if (c == u'.') {
      if (!digits || ++part == version.parts.size()) return std::nullopt;
      digits = false;
      value = 0;
    } else if (c >= u'0' && c <= u'9') {
      value = value * 10 + static_cast<uint32_t>(c - u'0');
      if (value > 0xFFFF) return std::nullopt;
      version.parts[part] = static_cast<uint16_t>(value);
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  return version;
}

FileVersionResult ReadFileVersion(const PeLayout& layout, const FileReader& read, FileVersion* version,
                                  std::string* why) {
  if (layout.resourceRva == 0 || layout.resourceSize == 0) return FileVersionResult::kNone;
  CResourceWalk walk(layout, read);
  // Type RT_VERSION, then its first name, then its first language.
  uint32_t target = 0;
  bool isDirectory = true;
  const std::optional<uint32_t> wanted[] = {kRtVersion, std::nullopt, std::nullopt};
  for (const auto& id : wanted) {
    if (!isDirectory) return CResourceWalk::Malformed(why, "version resource entry is no directory");
    const FileVersionResult found = walk.Find(target, id, &target, &isDirectory, why);
    if (found != FileVersionResult::kFound) return found;
  }
  if (isDirectory) return CResourceWalk::Malformed(why, "version resource nested too deep");
  std::vector<uint8_t> entry;
  if (!walk.ReadAt(target, kDataEntry, &entry))
    return CResourceWalk::Malformed(why, "version entry outside the image");
  const uint32_t rva = LoadLe32(entry.data()), size = LoadLe32(entry.data() + 4);
  if (size > kMaxVersionBlock) return CResourceWalk::Malformed(why, "version block too large");
  std::vector<uint8_t> block;
  if (!ReadRva(layout, read, rva, size, &block))
    return CResourceWalk::Malformed(why, "version block outside the image");
  return ReadVersionBlock(block, version, why);
}

}  // namespace code_signing
