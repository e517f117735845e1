// The archive object behind a ZIP-writer handle: one output file, the header
// records of the finished entries, and the buffer all data goes through.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "zip/zip_entry.h"
#include "zip/zip_output.h"

class CZipSource;

class CZipWriter {
 public:
  static constexpr uint32_t kBufferSize = 16384;

  // Creates or replaces the archive file. False when it cannot.
  [[nodiscard]] bool Create(const std::u16string& path);
  // Adds sourcePath under name (ANSI bytes with "/" separators, from
  // ToEntryName). A name that is empty or of 260 bytes or more gives 0x10000.
  // Writes the local header, the data, then the local header again with the
  // CRC and sizes. regularOnly: see kZipAddRegularOnly. Returns a result
  // code of zip_archive.h.
  [[nodiscard]] uint32_t AddFile(const std::string& name, const std::u16string& sourcePath,
                                 bool regularOnly = false);
  // Writes the central directory and end record (once) and closes the file.
  // Returns 0, or 0x400 when a record could not be written.
  uint32_t Close();

  // The deflater's latest failure text; empty when there was none.
  const std::string& LastDataError() const { return m_dataError; }

 private:
  ZipEntryInfo NewEntry(const std::string& name, const CZipSource& source) const;
  [[nodiscard]] bool WriteEntryData(ZipEntryInfo* entry, CZipSource& source);
  [[nodiscard]] bool WriteDirectory();

  CZipOutput m_output;
  std::vector<ZipEntryInfo> m_entries;
  std::array<uint8_t, kBufferSize> m_buffer{};
  std::string m_dataError;
  bool m_directoryWritten = false;
};
