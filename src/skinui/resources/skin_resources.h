// Where skin files (markup, images) come from: the program's skin archive held
// in memory, a skin archive file, a resource folder on disk, or the resources
// of a module. One process-wide instance (SkinResources()) serves the program.
//
// Start-up hand-over: the entry point registers the archive bytes linked into
// the program once, before any window exists:
//
//   SkinUI::SkinResources().RegisterArchiveFromMemory(data, size);
//
// The bytes are not copied; they are the program's own resource and must stay
// valid for the life of the process. The first registration wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zip/zip_reader.h"

namespace SkinUI {

// Statuses of ReadSkinFile.
enum : uint32_t {
  kSkinReadOk = 0,
  kSkinNotFound = 2,
  kSkinBufferTooSmall = 8,
  kSkinReadFailed = 12,
  kSkinEmpty = 13,
  kSkinNoBuffer = 87,
};

// The archive name meaning "the archive is held in memory".
inline constexpr char16_t kMemBufferArchive[] = u"membuffer";

// The resources of one module (the "instance handle"). A module finds a
// resource by numeric identifier or by name, and by type. The Windows build
// backs it with the module's resource section; elsewhere the program fills a
// CResourceTable with the blobs linked into it.
class IResourceModule {
 public:
  virtual ~IResourceModule() = default;
  // Finds resource (id or name) of type; data and size describe bytes that live
  // as long as the module. False when there is no such resource.
  virtual bool FindResource(uint16_t id, std::u16string_view name, std::u16string_view type,
                            const uint8_t** data, size_t* size) const = 0;
};

// A module whose resources are byte blobs handed over by the program.
class CResourceTable : public IResourceModule {
 public:
  // Adds a resource under a numeric identifier. The bytes are not copied.
  void Add(uint16_t id, std::u16string_view type, const void* data, size_t size);
  // Adds a resource under a name (compared ignoring ASCII case).
  void Add(std::u16string_view name, std::u16string_view type, const void* data, size_t size);
  bool FindResource(uint16_t id, std::u16string_view name, std::u16string_view type, const uint8_t** data,
                    size_t* size) const override;

 private:
  struct TItem {
    uint16_t id;
    std::u16string name;
    std::u16string type;
    const uint8_t* data;
    size_t size;
  };
  std::vector<TItem> m_items;
};

class CSkinResources {
 public:
  CSkinResources() = default;
  CSkinResources(const CSkinResources&) = delete;
  CSkinResources& operator=(const CSkinResources&) = delete;

  // The module instance; resources are read from the resource module, which
  // falls back to the instance when not set. Neither is owned.
  void SetInstance(const IResourceModule* module) { m_instance = module; }
  void SetResourceInstance(const IResourceModule* module) { m_resourceModule = module; }
  const IResourceModule* GetResourceInstance() const;
  // Folder joined in front of every file name (include the trailing separator).
  void SetResourcePath(std::u16string_view path) { m_resourcePath = path; }
  const std::u16string& GetResourcePath() const { return m_resourcePath; }
  // Names a skin archive file relative to the resource folder (empty: none).
  // With cached set the archive is opened now and kept open; returns false when
  // it cannot be opened (the name is still recorded, files are then not found).
  bool SetResourceZip(std::u16string_view name, bool cached);
  const std::u16string& GetResourceZip() const { return m_archiveName; }
  bool IsCached() const { return m_cached; }

  // Registers the archive bytes[0..size) held in memory. Ignored when an
  // in-memory archive is already registered. The bytes must outlive the
  // process-wide settings. Returns true when the archive is now registered and
  // readable (a later ignored call also returns true).
  bool RegisterArchiveFromMemory(const void* bytes, size_t size);

  // Reads the skin file name. buffer may be null; size holds the buffer
  // capacity on entry and receives the file size on success and on
  // kSkinBufferTooSmall. Statuses: kSkinReadOk, kSkinNotFound,
  // kSkinBufferTooSmall, kSkinReadFailed, kSkinEmpty, kSkinNoBuffer.
  [[nodiscard]] uint32_t ReadSkinFile(std::u16string_view name, uint8_t* buffer, size_t* size);
  // Reads the module resource with numeric identifier id and type, with the
  // same statuses.
  [[nodiscard]] uint32_t ReadSkinResource(uint16_t id, std::u16string_view type, uint8_t* buffer,
                                          size_t* size);
  // Reads a named module resource of type, with the same statuses.
  [[nodiscard]] uint32_t ReadNamedResource(std::u16string_view name, std::u16string_view type,
                                           uint8_t* buffer, size_t* size);
  // Convenience: the whole skin file into bytes. Returns the status.
  [[nodiscard]] uint32_t ReadSkinFileWhole(std::u16string_view name, std::vector<uint8_t>* bytes);

 private:
  uint32_t ReadFromFolder(std::u16string_view name, uint8_t* buffer, size_t* size);
  uint32_t ReadFromArchive(std::u16string_view name, uint8_t* buffer, size_t* size);
  uint32_t ReadResource(uint16_t id, std::u16string_view name, std::u16string_view type, uint8_t* buffer,
                        size_t* size);

  mutable std::mutex m_lock;
  const IResourceModule* m_instance = nullptr;
  const IResourceModule* m_resourceModule = nullptr;
  std::u16string m_resourcePath;
  std::u16string m_archiveName;
  bool m_cached = false;
  CZipArchive m_archive;
};

// The process-wide skin source settings.
CSkinResources& SkinResources();

// Copies bytes[0..found) to the caller by the ReadSkinFile size protocol.
[[nodiscard]] uint32_t DeliverSkinBytes(const uint8_t* bytes, size_t found, uint8_t* buffer, size_t* size);

}  // namespace SkinUI
