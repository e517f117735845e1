#include "zip/zip_entry.h"

#include <algorithm>
#include <iterator>

namespace {

void Put16(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string* out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutSignature(std::string* out, char a, char b) {
  out->append("PK");
  out->push_back(a);
  out->push_back(b);
}

void Store32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
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
  Put16(out, static_cast<uint32_t>(entry.name.size()));
}

}  // namespace

void SetTimestampExtras(ZipEntryInfo* entry, uint32_t modified, uint32_t accessed,
                        uint32_t created) {
  // "UT", data size, flags 7: modification, access and creation time present.
  const uint8_t localHead[] = {'U', 'T', 13, 0, 7};
  const uint8_t centralHead[] = {'U', 'T', 5, 0, 7};
  std::copy(std::begin(localHead), std::end(localHead), entry->localExtra.begin());
  std::copy(std::begin(centralHead), std::end(centralHead), entry->centralExtra.begin());
  Store32(&entry->localExtra[5], modified);
  Store32(&entry->localExtra[9], accessed);
  Store32(&entry->localExtra[13], created);
  Store32(&entry->centralExtra[5], modified);
}

std::string EncodeLocalHeader(const ZipEntryInfo& entry) {
  std::string out;
  out.reserve(kZipLocalHeaderSize + entry.name.size() + kZipLocalExtraSize);
  PutSignature(&out, 3, 4);
  PutCommonFields(&out, entry);
  Put16(&out, kZipLocalExtraSize);
  out.append(entry.name);
  out.append(entry.localExtra.begin(), entry.localExtra.end());
  return out;
}

std::string EncodeCentralHeader(const ZipEntryInfo& entry) {
  std::string out;
  out.reserve(kZipCentralHeaderSize + entry.name.size() + kZipCentralExtraSize);
  PutSignature(&out, 1, 2);
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
  PutSignature(&out, 5, 6);
  Put16(&out, 0);  // this disk
  Put16(&out, 0);  // disk holding the central directory
  Put16(&out, entries);
  Put16(&out, entries);
  Put32(&out, directorySize);
  Put32(&out, directoryOffset);
  Put16(&out, 0);  // comment length
  return out;
}
