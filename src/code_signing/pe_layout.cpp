#include "code_signing/pe_layout.h"

#include <algorithm>

#include "common/byte_order.h"

namespace code_signing {
namespace {

constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kMaxSections = 96;  // the loader's own limit
constexpr uint32_t kMaxFileAlignment = 64 * 1024;

PeLayoutResult Malformed(std::string* why, const char* text) {
  *why = text;
  return PeLayoutResult::kMalformed;
}

}  // namespace

PeLayoutResult ParsePeLayout(Bytes head, uint64_t fileSize, PeLayout* layout, std::string* why) {
  *layout = {};
  head = head.first(std::min<size_t>(head.size(), std::min<uint64_t>(fileSize, kPeHeadBytes)));
  if (head.size() < 64 || head[0] != 'M' || head[1] != 'Z') return PeLayoutResult::kNotPe;
  const uint64_t pe = LoadLe32(head.data() + 0x3C);
  if (pe + 24 + 2 > head.size()) return PeLayoutResult::kNotPe;
  if (head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0) {
    return PeLayoutResult::kNotPe;
  }
  const uint32_t sections = LoadLe16(head.data() + pe + 6);
  const uint32_t optionalSize = LoadLe16(head.data() + pe + 20);
  const uint64_t optional = pe + 24;
  const uint16_t magic = LoadLe16(head.data() + optional);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return Malformed(why, "unknown optional header");
  const uint64_t countAt = optional + (magic == kPe32Magic ? 92 : 108);
  const uint64_t directories = countAt + 4;
  const uint64_t sectionTable = optional + optionalSize;
  if (sections > kMaxSections) return Malformed(why, "too many sections");
  if (directories > sectionTable || sectionTable + uint64_t{sections} * kSectionHeaderSize > head.size()) {
    return Malformed(why, "headers past their end");
  }
  layout->checksumOffset = optional + 64;
  const uint64_t sizeOfHeaders = LoadLe32(head.data() + optional + 60);
  const uint32_t fileAlignment = LoadLe32(head.data() + optional + 36);
  if (fileAlignment == 0 || fileAlignment > kMaxFileAlignment || (fileAlignment & (fileAlignment - 1)) != 0) {
    return Malformed(why, "bad file alignment");
  }
  uint64_t imageEnd = std::max(sizeOfHeaders, sectionTable + uint64_t{sections} * kSectionHeaderSize);
  for (uint32_t i = 0; i < sections; ++i) {
    const uint8_t* header = head.data() + sectionTable + uint64_t{i} * kSectionHeaderSize;
    PeSection section{LoadLe32(header + 12), LoadLe32(header + 8), LoadLe32(header + 20),
                      LoadLe32(header + 16)};
    layout->sections.push_back(section);
    // The loader maps a section's raw data rounded up to FileAlignment: a
    // table in that tail would be part of the image it runs.
    const uint64_t mapped = (uint64_t{section.rawSize} + fileAlignment - 1) / fileAlignment * fileAlignment;
    if (section.rawSize != 0) imageEnd = std::max(imageEnd, uint64_t{section.rawOffset} + mapped);
  }
  const uint32_t directoryCount = LoadLe32(head.data() + countAt);
  const auto directory = [&](uint32_t index) { return directories + uint64_t{index} * kDirectoryEntrySize; };
  if (directoryCount > kResourceDirectory &&
      directory(kResourceDirectory) + kDirectoryEntrySize <= sectionTable) {
    layout->resourceRva = LoadLe32(head.data() + directory(kResourceDirectory));
    layout->resourceSize = LoadLe32(head.data() + directory(kResourceDirectory) + 4);
  }
  const uint64_t entry = directory(kCertificateDirectory);
  if (directoryCount <= kCertificateDirectory || entry + kDirectoryEntrySize > sectionTable) {
    return PeLayoutResult::kParsed;  // no certificate directory: unsigned
  }
  layout->certificateEntryOffset = entry;
  const uint64_t tableOffset = LoadLe32(head.data() + entry);
  const uint32_t tableSize = LoadLe32(head.data() + entry + 4);
  if (tableOffset == 0 && tableSize == 0) return PeLayoutResult::kParsed;
  if (tableOffset == 0 || tableSize < 8) return Malformed(why, "empty certificate table");
  if (tableOffset + tableSize > fileSize) return Malformed(why, "certificate table past the end of the file");
  if (tableOffset + tableSize != fileSize) return Malformed(why, "bytes after the certificate table");
  if (tableOffset % 8 != 0) return Malformed(why, "misaligned certificate table");
  if (tableOffset < imageEnd) return Malformed(why, "certificate table overlaps the image");
  if (tableSize > kMaxCertificateTable) return Malformed(why, "certificate table too large");
  layout->certificateTableOffset = tableOffset;
  layout->certificateTableSize = tableSize;
  return PeLayoutResult::kParsed;
}

bool PeLayout::FileOffsetOf(uint32_t rva, uint64_t* offset, uint32_t* available) const {
  for (const PeSection& section : sections) {
    // The loader maps no more of the raw data than the section's virtual size.
    const uint32_t extent =
        section.virtualSize != 0 ? std::min(section.virtualSize, section.rawSize) : section.rawSize;
    if (rva >= section.virtualAddress && uint64_t{rva} < uint64_t{section.virtualAddress} + extent) {
      *offset = uint64_t{section.rawOffset} + (rva - section.virtualAddress);
      *available = extent - (rva - section.virtualAddress);
      return true;
    }
  }
  return false;
}

}  // namespace code_signing
