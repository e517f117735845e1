// The header record kept for each entry and its encodings as local header,
// central directory header and end record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "zip/zip_format.h"

inline constexpr uint16_t kZipVersionMadeBy = 0x0B17;
inline constexpr uint16_t kZipVersionNeeded = 20;
inline constexpr uint16_t kZipLocalExtraSize = 17;
inline constexpr uint16_t kZipCentralExtraSize = 9;

struct ZipEntryInfo {
  uint16_t versionMadeBy = kZipVersionMadeBy;
  uint16_t versionNeeded = kZipVersionNeeded;
  uint16_t flags = 0;
  uint16_t method = kZipMethodDeflated;
  uint32_t dosDateTime = 0;  // DOS time in the low 16 bits, date in the high
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t externalAttributes = 0;
  uint32_t localHeaderOffset = 0;
  std::string name;  // ANSI bytes, fewer than 260
  std::array<uint8_t, kZipLocalExtraSize> localExtra{};
  std::array<uint8_t, kZipCentralExtraSize> centralExtra{};
};

// Fills both "UT" extended-timestamp fields: the local one carries the
// modification, access and creation times, the central one the first only.
void SetTimestampExtras(ZipEntryInfo* entry, uint32_t modified, uint32_t accessed, uint32_t created);

// Local file header with the name and the local extra field.
std::string EncodeLocalHeader(const ZipEntryInfo& entry);
// Central directory header with the name and the central extra field.
std::string EncodeCentralHeader(const ZipEntryInfo& entry);
// End of central directory record for a single-disk archive.
std::string EncodeEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset);
