#include "zip/zip_entry.h"

#include <algorithm>
#include <iterator>

#include "common/byte_order.h"

namespace {

void Put16(std::string* out, uint16_t value) {
  uint8_t bytes[2];
  StoreLe16(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void Put32(std::string* out, uint32_t value) {
  uint8_t bytes[4];
  StoreLe32(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// The fields the local and central headers share, from "version needed" to
// the uncompressed size.
void PutCommonFields(std::string* out, const ZipEntryInfo& entry) {
  Put16(out, entry.versionNeeded);
  Put16(out, entry.flags);
  Put16(out, entry.method);
  Put32(out, entry.dosDateTime);
  Put32(out, entry.crc);
  Put32(out, entry.compressedSize);
  Put32(out, entry.uncompressedSize);
  Put16(out, static_cast<uint16_t>(entry.name.size()));
}

}  // namespace

void SetTimestampExtras(ZipEntryInfo* entry, uint32_t modified, uint32_t accessed, uint32_t created) {
  // "UT", data size, flags 7: modification, access and creation time present.
  const uint8_t localHead[] = {'U', 'T', 13, 0, 7};
  const uint8_t centralHead[] = {'U', 'T', 5, 0, 7};
  std::copy(std::begin(localHead), std::end(localHead), entry->localExtra.begin());
  std::copy(std::begin(centralHead), std::end(centralHead), entry->centralExtra.begin());
  StoreLe32(&entry->localExtra[5], modified);
  StoreLe32(&entry->localExtra[9], accessed);
  StoreLe32(&entry->localExtra[13], created);
  StoreLe32(&entry->centralExtra[5], modified);
}

std::string EncodeLocalHeader(const ZipEntryInfo& entry) {
  std::string out;
  out.reserve(kZipLocalHeaderSize + entry.name.size() + kZipLocalExtraSize);
  Put32(&out, kZipLocalSignature);
  PutCommonFields(&out, entry);
  Put16(&out, kZipLocalExtraSize);
  out.append(entry.name);
  out.append(entry.localExtra.begin(), entry.localExtra.end());
  return out;
}

std::string EncodeCentralHeader(const ZipEntryInfo& entry) {
  std::string out;
  out.reserve(kZipCentralHeaderSize + entry.name.size() + kZipCentralExtraSize);
  Put32(&out, kZipCentralSignature);
  Put16(&out, entry.versionMadeBy);
  PutCommonFields(&out, entry);
  Put16(&out, kZipCentralExtraSize);
  Put16(&out, 0);  // comment length
  Put16(&out, 0);  // disk number start
  Put16(&out, 0);  // internal attributes
  Put32(&out, entry.externalAttributes);
  Put32(&out, entry.localHeaderOffset);
  out.append(entry.name);
  out.append(entry.centralExtra.begin(), entry.centralExtra.end());
  return out;
}

std::string EncodeEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset) {
  std::string out;
  out.reserve(kZipEndRecordSize);
  Put32(&out, kZipEndSignature);
  Put16(&out, 0);  // this disk
  Put16(&out, 0);  // disk holding the central directory
  Put16(&out, entries);
  Put16(&out, entries);
  Put32(&out, directorySize);
  Put32(&out, directoryOffset);
  Put16(&out, 0);  // comment length
  return out;
}
