#include "zip/zip_reader.h"

#include <algorithm>
#include <cstring>

#include "common/byte_order.h"
#include "common/text.h"
#include "platform/system/codepage.h"
#include "zip/zip_format.h"
#include "zip/zip_inflater.h"

namespace {

// True when [offset, offset + length) lies inside a buffer of size bytes.
bool Fits(size_t size, uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; }

// Finds the end-of-central-directory record, searching back over a comment.
bool FindEndRecord(const uint8_t* data, size_t size, size_t* pos) {
  if (size < kZipEndRecordSize) return false;
  const size_t last = size - kZipEndRecordSize;
  const size_t lowest = last > kZipMaxCommentSize ? last - kZipMaxCommentSize : 0;
  for (size_t p = last + 1; p-- > lowest;) {
    if (LoadLe32(data + p) == kZipEndSignature) {
      *pos = p;
      return true;
    }
  }
  return false;
}

bool SameName(const std::string& stored, const std::string& wanted, bool ignoreCase) {
  return ignoreCase ? EqualsIgnoreAsciiCase(stored, wanted) : stored == wanted;
}

}  // namespace

CZipArchive::CZipArchive() = default;
CZipArchive::~CZipArchive() = default;

uint32_t CZipArchive::OpenMemory(const void* bytes, size_t size) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_data) return kZipAlreadyOpen;
  if (!bytes) return kZipArgs;
  m_data = static_cast<const uint8_t*>(bytes);
  m_size = size;
  uint32_t rc = ParseDirectory();
  if (rc != kZipOk) {
    m_data = nullptr;
    m_size = 0;
    m_entries.clear();
  }
  return rc;
}

uint32_t CZipArchive::OpenOwned(std::vector<uint8_t> bytes) {
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_data) return kZipAlreadyOpen;
    m_owned = std::move(bytes);
  }
  static const uint8_t kEmpty = 0;
  uint32_t rc = OpenMemory(m_owned.empty() ? &kEmpty : m_owned.data(), m_owned.size());
  if (rc != kZipOk) m_owned.clear();
  return rc;
}

void CZipArchive::Close() {
  std::lock_guard<std::mutex> guard(m_lock);
  CloseEntry();
  m_entries.clear();
  m_data = nullptr;
  m_size = 0;
  m_owned.clear();
}

bool CZipArchive::IsOpen() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_data != nullptr;
}

int CZipArchive::GetEntryCount() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return static_cast<int>(m_entries.size());
}

uint32_t CZipArchive::ParseDirectory() {
  size_t end = 0;
  if (!FindEndRecord(m_data, m_size, &end)) return kZipRead;
  const uint8_t* rec = m_data + end;
  uint16_t count = LoadLe16(rec + 10);
  uint32_t dirSize = LoadLe32(rec + 12);
  uint32_t dirOffset = LoadLe32(rec + 16);
  if (!Fits(end, dirOffset, dirSize)) return kZipRead;
  size_t pos = dirOffset;
  const size_t dirEnd = static_cast<size_t>(dirOffset) + dirSize;
  m_entries.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    if (!Fits(dirEnd, pos, kZipCentralHeaderSize)) return kZipRead;
    const uint8_t* h = m_data + pos;
    if (LoadLe32(h) != kZipCentralSignature) return kZipRead;
    uint16_t nameLen = LoadLe16(h + 28), extraLen = LoadLe16(h + 30), commentLen = LoadLe16(h + 32);
    uint64_t total = kZipCentralHeaderSize + uint64_t{nameLen} + extraLen + commentLen;
    if (!Fits(dirEnd, pos, total)) return kZipRead;
    TEntry entry;
    entry.flags = LoadLe16(h + 8);
    entry.method = LoadLe16(h + 10);
    entry.crc = LoadLe32(h + 16);
    entry.localOffset = LoadLe32(h + 42);
    entry.rawName.assign(reinterpret_cast<const char*>(h + kZipCentralHeaderSize), nameLen);
    entry.info.index = i;
    entry.info.name = platform::AnsiToWide(entry.rawName);
    entry.info.dosTime = LoadLe16(h + 12);
    entry.info.dosDate = LoadLe16(h + 14);
    entry.info.compressedSize = LoadLe32(h + 20);
    entry.info.uncompressedSize = LoadLe32(h + 24);
    entry.info.attributes = LoadLe32(h + 38);
    m_entries.push_back(std::move(entry));
    pos += total;
  }
  return kZipOk;
}

uint32_t CZipArchive::FindEntry(std::u16string_view name, bool ignoreCase, int* index, TZipEntryInfo* info) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (index) *index = -1;
  if (!m_data) return kZipArgs;
  if (name.size() >= kMaxZipNameChars) return kZipNotFound;
  std::string wanted = platform::WideToAnsi(name);
  std::replace(wanted.begin(), wanted.end(), '\\', '/');
  for (const TEntry& entry : m_entries) {
    if (!SameName(entry.rawName, wanted, ignoreCase)) continue;
    if (index) *index = entry.info.index;
    if (info) *info = entry.info;
    return kZipOk;
  }
  return kZipNotFound;
}

uint32_t CZipArchive::ReadEntry(int index, void* buffer, size_t size, size_t* delivered) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (delivered) *delivered = 0;
  if (!m_data || index < 0 || index >= static_cast<int>(m_entries.size())) return kZipArgs;
  if (!buffer && size > 0) return kZipArgs;
  if (m_openIndex != index) {
    CloseEntry();
    uint32_t rc = OpenEntry(index);
    if (rc != kZipOk) return rc;
  }
  size_t got = 0;
  uint32_t rc = Deliver(static_cast<uint8_t*>(buffer), size, &got);
  if (delivered) *delivered = got;
  if (rc != kZipOk) {
    CloseEntry();
    return rc;
  }
  if (got > 0) return kZipMore;
  CloseEntry();
  return kZipOk;
}

uint32_t CZipArchive::OpenEntry(int index) {
  const TEntry& entry = m_entries[index];
  if (!Fits(m_size, entry.localOffset, kZipLocalHeaderSize)) return kZipCorrupt;
  const uint8_t* h = m_data + entry.localOffset;
  if (LoadLe32(h) != kZipLocalSignature) return kZipCorrupt;
  uint64_t dataPos = uint64_t{entry.localOffset} + kZipLocalHeaderSize + LoadLe16(h + 26) + LoadLe16(h + 28);
  if (!Fits(m_size, dataPos, entry.info.compressedSize)) return kZipCorrupt;
  // Only stored and deflated entries without encryption can be delivered.
  const bool stored = entry.method == kZipMethodStored;
  if ((!stored && entry.method != kZipMethodDeflated) || (entry.flags & kZipFlagEncrypted) != 0) {
    return kZipFlate;
  }
  if (stored && entry.info.compressedSize != entry.info.uncompressedSize) return kZipFlate;
  m_dataPos = static_cast<size_t>(dataPos);
  m_produced = 0;
  if (!stored) {
    m_inflater = std::make_unique<CZipInflater>(m_data + m_dataPos, entry.info.compressedSize);
    if (!m_inflater->IsReady()) {
      m_inflater.reset();
      return kZipFlate;
    }
  }
  m_openIndex = index;
  return kZipOk;
}

void CZipArchive::CloseEntry() {
  m_inflater.reset();
  m_openIndex = -1;
  m_produced = 0;
}

// Never delivers more than the directory's uncompressed size; a stream that
// ends short of it, or runs past it, is corrupt.
uint32_t CZipArchive::Deliver(uint8_t* out, size_t size, size_t* delivered) {
  const TEntry& entry = m_entries[m_openIndex];
  size_t remaining = entry.info.uncompressedSize - m_produced;
  size_t want = std::min(size, remaining);
  if (!m_inflater) {
    if (want) std::memcpy(out, m_data + m_dataPos + m_produced, want);
    *delivered = want;
    m_produced += want;
    return kZipOk;
  }
  size_t got = 0;
  if (want > 0 && !m_inflater->Inflate(out, want, &got)) return kZipFlate;
  m_produced += got;
  *delivered = got;
  if (got < want) return kZipFlate;  // stream ended before the declared size
  if (m_produced == entry.info.uncompressedSize && !m_inflater->IsFinished()) {
    uint8_t probe = 0;
    size_t extra = 0;
    if (!m_inflater->Inflate(&probe, 1, &extra) || extra > 0) return kZipFlate;
  }
  return kZipOk;
}
