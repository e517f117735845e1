// Where a PE file (Windows executable) keeps what Authenticode excludes from
// its image digest: the checksum field, the certificate-table entry of the
// data directories, and the certificate table at the file's end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_signing/der_reader.h"

namespace code_signing {

// The bytes a caller reads from the file's start for ParsePeLayout; headers
// that reach further are refused.
inline constexpr uint32_t kPeHeadBytes = 64 * 1024;
// A certificate table larger than this is refused rather than read.
inline constexpr uint32_t kMaxCertificateTable = 4 * 1024 * 1024;

// A section as the section table gives it.
struct PeSection {
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawOffset = 0;  // PointerToRawData
  uint32_t rawSize = 0;    // SizeOfRawData
};

struct PeLayout {
  uint64_t checksumOffset = 0;          // 4 bytes
  uint64_t certificateEntryOffset = 0;  // 8 bytes: file offset and size of the table
  uint64_t certificateTableOffset = 0;  // 0 when the file carries no table
  uint32_t certificateTableSize = 0;
  std::vector<PeSection> sections;
  uint32_t resourceRva = 0;  // the resource directory; 0 when there is none
  uint32_t resourceSize = 0;
  bool HasCertificateTable() const { return certificateTableSize != 0; }
  // The file offset of the rva's byte and how many bytes of its section's
  // raw data follow it; false when no section's raw data holds it.
  bool FileOffsetOf(uint32_t rva, uint64_t* offset, uint32_t* available) const;
};

enum class PeLayoutResult { kParsed, kNotPe, kMalformed };

// Reads the layout from head (the file's first bytes, at most kPeHeadBytes)
// of a file of fileSize bytes. kMalformed (with *why) for a table that lies
// past the file's end, overlaps the headers or sections (whose raw data the
// loader reads in whole units of FileAlignment), is followed by other bytes
// or is misaligned; kNotPe when the file is no PE image.
PeLayoutResult ParsePeLayout(Bytes head, uint64_t fileSize, PeLayout* layout, std::string* why);

}  // namespace code_signing
