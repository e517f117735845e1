#include "zip/zip_writer.h"

#include "zip/zip_archive.h"
#include "zip/zip_data.h"
#include "zip/zip_names.h"
#include "zip/zip_source.h"

bool CZipWriter::Create(const std::u16string& path) { return m_output.Create(path); }

ZipEntryInfo CZipWriter::NewEntry(const std::string& name, const CZipSource& source) const {
  ZipEntryInfo entry;
  entry.name = name;
  entry.method = IsStoredByName(name) ? kZipMethodStored : kZipMethodDeflated;
  entry.flags = kZipFlagPending;
  entry.dosDateTime = source.DosDateTime();
  const int64_t size = source.AnnouncedSize();
  entry.uncompressedSize = static_cast<uint32_t>(size);
  if (entry.method == kZipMethodStored) entry.compressedSize = size < 0 ? 0 : entry.uncompressedSize;
  entry.externalAttributes = source.ExternalAttributes();
  entry.localHeaderOffset = m_output.BytesWritten();
  SetTimestampExtras(&entry, source.ModifiedSeconds(), source.AccessedSeconds(), source.CreatedSeconds());
  return entry;
}

bool CZipWriter::WriteEntryData(ZipEntryInfo* entry, CZipSource& source) {
  ZipDataOutcome outcome;
  if (entry->method == kZipMethodStored) {
    outcome = StoreEntryData(source, m_output, m_buffer.data(), kBufferSize);
  } else {
    entry->flags |= kZipFlagLevel8;
    outcome = DeflateEntryData(source, m_output, m_buffer.data(), kBufferSize);
  }
  entry->compressedSize = outcome.compressedSize;
  m_dataError = outcome.error;
  return outcome.ok;
}

uint32_t CZipWriter::AddFile(const std::string& name, const std::u16string& sourcePath, bool regularOnly) {
  if (name.empty() || name.size() >= kZipMaxNameBytes) return kZipResultBadArguments;
  CZipSource source;
  if (!source.Open(sourcePath, regularOnly)) return kZipResultOpenFailed;
  ZipEntryInfo entry = NewEntry(name, source);
  if (!m_output.Write(EncodeLocalHeader(entry))) return kZipResultWriteFailed;
  const bool dataWritten = WriteEntryData(&entry, source);
  source.Close();
  if (!dataWritten) return kZipResultWriteFailed;
  entry.crc = source.Crc();
  entry.uncompressedSize = source.BytesRead();
  entry.flags &= static_cast<uint16_t>(~kZipFlagPending);
  if (!m_output.RewriteAt(entry.localHeaderOffset, EncodeLocalHeader(entry))) {
    return kZipResultWriteFailed;
  }
  m_entries.push_back(std::move(entry));
  return kZipResultOk;
}

bool CZipWriter::WriteDirectory() {
  const uint32_t start = m_output.BytesWritten();
  for (const ZipEntryInfo& entry : m_entries) {
    if (!m_output.Write(EncodeCentralHeader(entry))) return false;
  }
  const uint32_t size = m_output.BytesWritten() - start;
  return m_output.Write(EncodeEndRecord(static_cast<uint16_t>(m_entries.size()), size, start));
}

uint32_t CZipWriter::Close() {
  uint32_t result = kZipResultOk;
  if (!m_directoryWritten) {
    m_directoryWritten = true;
    if (!WriteDirectory()) result = kZipResultWriteFailed;
    m_entries.clear();
  }
  m_output.Close();
  return result;
}
