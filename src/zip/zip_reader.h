// Reading of ZIP archives (PKWARE format) held in memory: the central
// directory, entry lookup by name and extraction of stored and deflated
// entries. The archive bytes are treated as outside input: every offset, size
// and count is checked against the buffer before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Results of the archive operations.
enum : uint32_t {
  kZipOk = 0,
  kZipArgs = 0x10000,           // missing handle or bad index
  kZipWrongKind = 0x80000,      // handle of the wrong kind
  kZipNotFound = 0x500,         // entry not found
  kZipMore = 0x600,             // data was delivered (more may remain)
  kZipCorrupt = 0x700,          // the entry's local header cannot be read
  kZipRead = 0x800,             // seek or read failure (also: unreadable directory)
  kZipAlreadyOpen = 0x1000000,  // the handle is already open
  kZipNotDiskFile = 0x2000000,  // the source file is not a disk file
  kZipFlate = 0x5000000,        // decompression or read error
};

// Longest entry name find-entry accepts, in characters (exclusive).
inline constexpr size_t kMaxZipNameChars = 256;

struct TZipEntryInfo {
  int index = -1;
  std::u16string name;      // stored name decoded with the ANSI code page
  uint32_t attributes = 0;  // external attributes
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
};

class CZipInflater;

// An open archive. Every operation takes the handle's own lock.
class CZipArchive {
 public:
  CZipArchive();
  ~CZipArchive();
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  // Opens the archive held in bytes[0..size). The bytes are not copied and must
  // outlive the handle. Returns kZipOk, kZipAlreadyOpen, kZipArgs (null bytes)
  // or kZipRead when no valid central directory fits inside the buffer.
  [[nodiscard]] uint32_t OpenMemory(const void* bytes, size_t size);
  // Like OpenMemory, but the handle keeps the bytes.
  [[nodiscard]] uint32_t OpenOwned(std::vector<uint8_t> bytes);
  // Forgets the directory and any open entry.
  void Close();
  bool IsOpen() const;
  int GetEntryCount() const;

  // Finds the first entry whose stored name equals name (backslashes read as
  // "/"), ignoring ASCII case when asked. Names of 256 characters or more are
  // refused. Returns kZipOk with index and info filled, or kZipNotFound.
  [[nodiscard]] uint32_t FindEntry(std::u16string_view name, bool ignoreCase, int* index,
                                   TZipEntryInfo* info);
  // Delivers the next at most size bytes of entry index into buffer. kZipMore
  // when bytes were delivered (the entry stays open and the next call goes on),
  // kZipOk when none were left (the entry is closed), kZipArgs for a bad index,
  // kZipCorrupt when the local header is unreadable, kZipFlate on bad data.
  [[nodiscard]] uint32_t ReadEntry(int index, void* buffer, size_t size, size_t* delivered);

 private:
  struct TEntry {
    std::string rawName;
    uint16_t method = 0;
    uint16_t flags = 0;
    uint32_t crc = 0;
    uint32_t localOffset = 0;
    TZipEntryInfo info;
  };
  uint32_t ParseDirectory();
  uint32_t OpenEntry(int index);
  void CloseEntry();
  uint32_t Deliver(uint8_t* out, size_t size, size_t* delivered);

  mutable std::mutex m_lock;
  std::vector<uint8_t> m_owned;
  const uint8_t* m_data = nullptr;
  size_t m_size = 0;
  std::vector<TEntry> m_entries;
  int m_openIndex = -1;
  size_t m_dataPos = 0;   // start of the open entry's data
  size_t m_produced = 0;  // bytes of the open entry already delivered
  std::unique_ptr<CZipInflater> m_inflater;
};
