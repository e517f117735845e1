// A small independent ZIP reader for the tests: parses every record the
// writer emits, field by field, so tests can compare exact values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ParsedEntry {
  // Local header.
  uint16_t localVersionNeeded = 0, localFlags = 0, localMethod = 0;
  uint32_t localDosDateTime = 0, localCrc = 0, localCompressed = 0, localUncompressed = 0;
  std::string localName, localExtra;
  std::string data;  // the entry's raw data bytes
  // Central header.
  uint16_t versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0;
  uint32_t dosDateTime = 0, crc = 0, compressedSize = 0, uncompressedSize = 0;
  uint16_t commentLength = 0, diskStart = 0, internalAttributes = 0;
  uint32_t externalAttributes = 0, localHeaderOffset = 0;
  std::string name, centralExtra;
};

struct ParsedArchive {
  std::string error;  // empty when the whole archive parsed
  std::vector<ParsedEntry> entries;
  uint16_t entriesOnDisk = 0, totalEntries = 0;
  uint32_t directorySize = 0, directoryOffset = 0;
};

// Parses an archive that ends with an end record without comment.
ParsedArchive ParseArchive(const std::string& bytes);
// Raw inflate; sets *ok to false when the stream is broken or incomplete.
std::string InflateRaw(const std::string& raw, bool* ok);
// zlib's CRC-32 of bytes.
uint32_t Crc32Of(const std::string& bytes);
// The entry's bytes after decompression (stored entries as they are).
std::string EntryContent(const ParsedEntry& entry, bool* ok);
