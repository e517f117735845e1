#include "skinui/resources/skin_resources.h"

#include <cstring>

#include "common/text.h"
#include "platform/system/whole_file.h"

namespace SkinUI {
namespace {

// Reads a whole disk file. Status kSkinNotFound when it cannot be opened.
uint32_t ReadDiskFile(const std::u16string& path, std::vector<uint8_t>* bytes) {
  switch (platform::ReadWholeFile(path, bytes)) {
    case platform::EWholeFileRead::kOk:
      return kSkinReadOk;
    case platform::EWholeFileRead::kNotOpened:
      return kSkinNotFound;
    case platform::EWholeFileRead::kReadFailed:
      break;
  }
  return kSkinReadFailed;
}

// Extracts the whole entry; both 0 and 0x600 from the reader count as success.
uint32_t ExtractEntry(CZipArchive& archive, std::u16string_view name, uint8_t* buffer, size_t* size) {
  int index = -1;
  TZipEntryInfo info;
  if (archive.FindEntry(name, true, &index, &info) != kZipOk) return kSkinNotFound;
  size_t needed = info.uncompressedSize;
  if (needed == 0) return kSkinEmpty;
  if (*size < needed) {
    *size = needed;
    return kSkinBufferTooSmall;
  }
  if (!buffer) return kSkinNoBuffer;
  size_t delivered = 0;
  uint32_t rc = archive.ReadEntry(index, buffer, needed, &delivered);
  if ((rc != kZipOk && rc != kZipMore) || delivered != needed) return kSkinReadFailed;
  *size = needed;
  return kSkinReadOk;
}

}  // namespace

void CResourceTable::Add(uint16_t id, std::u16string_view type, const void* data, size_t size) {
  m_items.push_back({id, u"", std::u16string(type), static_cast<const uint8_t*>(data), size});
}

void CResourceTable::Add(std::u16string_view name, std::u16string_view type, const void* data, size_t size) {
  m_items.push_back({0, std::u16string(name), std::u16string(type), static_cast<const uint8_t*>(data), size});
}

bool CResourceTable::FindResource(uint16_t id, std::u16string_view name, std::u16string_view type,
                                  const uint8_t** data, size_t* size) const {
  for (const TItem& item : m_items) {
    if (!EqualsIgnoreAsciiCase(item.type, type)) continue;
    bool match = name.empty() ? (item.name.empty() && item.id == id) : EqualsIgnoreAsciiCase(item.name, name);
    if (!match) continue;
    *data = item.data;
    *size = item.size;
    return true;
  }
  return false;
}

uint32_t DeliverSkinBytes(const uint8_t* bytes, size_t found, uint8_t* buffer, size_t* size) {
  if (found == 0) return kSkinEmpty;
  if (*size < found) {
    *size = found;
    return kSkinBufferTooSmall;
  }
  if (!buffer) return kSkinNoBuffer;
  std::memcpy(buffer, bytes, found);
  *size = found;
  return kSkinReadOk;
}

const IResourceModule* CSkinResources::GetResourceInstance() const {
  return m_resourceModule ? m_resourceModule : m_instance;
}

bool CSkinResources::SetResourceZip(std::u16string_view name, bool cached) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_archive.Close();
  m_archiveName = name;
  m_cached = false;
  if (!cached || name.empty()) return true;
  std::vector<uint8_t> bytes;
  if (ReadDiskFile(m_resourcePath + m_archiveName, &bytes) != kSkinReadOk) return false;
  m_cached = m_archive.OpenOwned(std::move(bytes)) == kZipOk;
  return m_cached;
}

bool CSkinResources::RegisterArchiveFromMemory(const void* bytes, size_t size) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_archiveName == kMemBufferArchive) return true;
  m_archive.Close();
  m_archiveName = kMemBufferArchive;
  m_cached = true;
  return m_archive.OpenMemory(bytes, size) == kZipOk;
}

uint32_t CSkinResources::ReadSkinFile(std::u16string_view name, uint8_t* buffer, size_t* size) {
  if (!size) return kSkinNoBuffer;
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_archiveName.empty()) return ReadFromFolder(name, buffer, size);
  return ReadFromArchive(name, buffer, size);
}

uint32_t CSkinResources::ReadFromFolder(std::u16string_view name, uint8_t* buffer, size_t* size) {
  std::vector<uint8_t> bytes;
  const uint32_t status = ReadDiskFile(m_resourcePath + std::u16string(name), &bytes);
  if (status != kSkinReadOk) return status;
  if (bytes.empty()) return kSkinEmpty;
  if (*size < bytes.size()) {
    *size = bytes.size();
    return kSkinBufferTooSmall;
  }
  if (!buffer) return kSkinNoBuffer;
  std::memcpy(buffer, bytes.data(), bytes.size());
  *size = bytes.size();
  return kSkinReadOk;
}

uint32_t CSkinResources::ReadFromArchive(std::u16string_view name, uint8_t* buffer, size_t* size) {
  if (m_cached) return ExtractEntry(m_archive, name, buffer, size);
  // An archive file that is not cached is opened for this one read.
  std::vector<uint8_t> bytes;
  if (ReadDiskFile(m_resourcePath + m_archiveName, &bytes) != kSkinReadOk) return kSkinNotFound;
  CZipArchive archive;
  if (archive.OpenOwned(std::move(bytes)) != kZipOk) return kSkinNotFound;
  return ExtractEntry(archive, name, buffer, size);
}

uint32_t CSkinResources::ReadSkinResource(uint16_t id, std::u16string_view type, uint8_t* buffer,
                                          size_t* size) {
  return ReadResource(id, u"", type, buffer, size);
}

uint32_t CSkinResources::ReadNamedResource(std::u16string_view name, std::u16string_view type,
                                           uint8_t* buffer, size_t* size) {
  return ReadResource(0, name, type, buffer, size);
}

uint32_t CSkinResources::ReadResource(uint16_t id, std::u16string_view name, std::u16string_view type,
                                      uint8_t* buffer, size_t* size) {
  if (!size) return kSkinNoBuffer;
  const IResourceModule* module = GetResourceInstance();
  const uint8_t* data = nullptr;
  size_t found = 0;
  if (!module || !module->FindResource(id, name, type, &data, &found)) return kSkinNotFound;
  return DeliverSkinBytes(data, found, buffer, size);
}

uint32_t CSkinResources::ReadSkinFileWhole(std::u16string_view name, std::vector<uint8_t>* bytes) {
  size_t size = 0;
  uint32_t rc = ReadSkinFile(name, nullptr, &size);
  if (rc != kSkinBufferTooSmall) return rc;
  bytes->resize(size);
  rc = ReadSkinFile(name, bytes->data(), &size);
  if (rc == kSkinReadOk) bytes->resize(size);
  return rc;
}

CSkinResources& SkinResources() {
  static CSkinResources instance;
  return instance;
}

}  // namespace SkinUI
