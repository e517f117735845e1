#include "zip/record_parser.h"

#include <zlib.h>

namespace {

class CCursor {
 public:
  CCursor(const std::string& bytes, size_t at) : m_bytes(bytes), m_at(at) {}
  bool Has(size_t n) const { return m_at + n <= m_bytes.size(); }
  uint16_t U16() {
    const uint16_t v = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
    m_at += 2;
    return v;
  }
  uint32_t U32() {
    const uint32_t lo = U16();
    return lo | (static_cast<uint32_t>(U16()) << 16);
  }
  std::string Take(size_t n) {
    std::string s = m_bytes.substr(m_at, n);
    m_at += n;
    return s;
  }
  size_t At() const { return m_at; }

 private:
  uint32_t Byte(size_t i) const { return static_cast<uint8_t>(m_bytes[m_at + i]); }
  const std::string& m_bytes;
  size_t m_at;
};

std::string ParseCentral(CCursor& c, ParsedEntry* e) {
  if (!c.Has(46) || c.Take(4) != std::string("PK\1\2", 4)) return "bad central signature";
  e->versionMadeBy = c.U16();
  e->versionNeeded = c.U16();
  e->flags = c.U16();
  e->method = c.U16();
  e->dosDateTime = c.U32();
  e->crc = c.U32();
  e->compressedSize = c.U32();
  e->uncompressedSize = c.U32();
  const uint16_t nameLength = c.U16(), extraLength = c.U16();
  e->commentLength = c.U16();
  e->diskStart = c.U16();
  e->internalAttributes = c.U16();
  e->externalAttributes = c.U32();
  e->localHeaderOffset = c.U32();
  if (!c.Has(nameLength + extraLength + e->commentLength)) return "central header truncated";
  e->name = c.Take(nameLength);
  e->centralExtra = c.Take(extraLength);
  c.Take(e->commentLength);
  return "";
}

std::string ParseLocal(const std::string& bytes, ParsedEntry* e) {
  CCursor c(bytes, e->localHeaderOffset);
  if (!c.Has(30) || c.Take(4) != std::string("PK\3\4", 4)) return "bad local signature";
  e->localVersionNeeded = c.U16();
  e->localFlags = c.U16();
  e->localMethod = c.U16();
  e->localDosDateTime = c.U32();
  e->localCrc = c.U32();
  e->localCompressed = c.U32();
  e->localUncompressed = c.U32();
  const uint16_t nameLength = c.U16(), extraLength = c.U16();
  if (!c.Has(nameLength + extraLength + e->compressedSize)) return "local entry truncated";
  e->localName = c.Take(nameLength);
  e->localExtra = c.Take(extraLength);
  e->data = c.Take(e->compressedSize);
  return "";
}

}  // namespace

ParsedArchive ParseArchive(const std::string& bytes) {
  ParsedArchive archive;
  if (bytes.size() < 22) {
    archive.error = "too short";
    return archive;
  }
  CCursor end(bytes, bytes.size() - 22);
  if (end.Take(4) != std::string("PK\5\6", 4)) {
    archive.error = "no end record";
    return archive;
  }
  end.U16();
  end.U16();
  archive.entriesOnDisk = end.U16();
  archive.totalEntries = end.U16();
  archive.directorySize = end.U32();
  archive.directoryOffset = end.U32();
  CCursor c(bytes, archive.directoryOffset);
  for (uint16_t i = 0; i < archive.totalEntries && archive.error.empty(); ++i) {
    ParsedEntry e;
    archive.error = ParseCentral(c, &e);
    if (archive.error.empty()) archive.error = ParseLocal(bytes, &e);
    archive.entries.push_back(e);
  }
  if (archive.error.empty() && c.At() != bytes.size() - 22) archive.error = "directory size mismatch";
  return archive;
}

std::string InflateRaw(const std::string& raw, bool* ok) {
  z_stream zs{};
  *ok = inflateInit2(&zs, -15) == Z_OK;
  std::string out;
  if (!*ok) return out;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  zs.avail_in = static_cast<uInt>(raw.size());
  char chunk[65536];
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(chunk);
    zs.avail_out = sizeof chunk;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - zs.avail_out);
  }
  *ok = rc == Z_STREAM_END && zs.avail_in == 0;
  inflateEnd(&zs);
  return out;
}

uint32_t Crc32Of(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string EntryContent(const ParsedEntry& entry, bool* ok) {
  if (entry.method == 0) {
    *ok = true;
    return entry.data;
  }
  return InflateRaw(entry.data, ok);
}
