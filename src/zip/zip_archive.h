// The ZIP archive writer's public operations: create an archive, add whole
// files to it (deflated or stored), close it. Sizes and offsets are 32-bit
// (no ZIP64); no encryption, comments or folder entries.
#pragma once

#include <cstdint>

class CZipWriter;

// Result codes; 0 is success.
inline constexpr uint32_t kZipResultOk = 0;
// The archive cannot be created, or the source file cannot be opened.
inline constexpr uint32_t kZipResultOpenFailed = 0x200;
// The entry was not written completely (short write, read error, deflater error).
inline constexpr uint32_t kZipResultWriteFailed = 0x400;
// Bad arguments: null handle, empty or too long entry name, null source path.
inline constexpr uint32_t kZipResultBadArguments = 0x10000;
// The handle is not a ZIP-writer handle.
inline constexpr uint32_t kZipResultWrongHandle = 0x80000;

// Kind tag of a handle made by ZipArchiveCreate.
inline constexpr uint32_t kZipWriterHandleKind = 2;
// Entry names are limited to this many bytes after conversion, less one.
inline constexpr uint32_t kZipMaxNameBytes = 260;

// An archive handle: a kind tag and the object behind it. Handles of other
// kinds share the layout and are refused by the operations below.
struct ZipHandle {
  uint32_t m_kind = 0;
  CZipWriter* m_writer = nullptr;
};
using HZIP = ZipHandle*;

// Creates (or replaces) the archive file at path. Returns null when the file
// cannot be created (last result 0x200).
[[nodiscard]] HZIP ZipArchiveCreate(const char16_t* path);

// Flags of ZipArchiveAddFile.
// Only a regular file itself: a link is not followed, and a folder, pipe or
// device is refused (0x200) without waiting on it.
inline constexpr uint32_t kZipAddRegularOnly = 0x1;

// Adds the whole file sourcePath as entryName. The name is converted to the
// ANSI code page, "\" becomes "/"; names of kZipMaxNameBytes bytes or more
// are refused. A source of 4 GiB or more cannot be described without ZIP64
// and gives 0x200; so does a data run that would take the archive past
// 4 GiB (0x400). Returns a result code; a failed add leaves the archive
// usable unless it is 0x400.
[[nodiscard]] uint32_t ZipArchiveAddFile(HZIP handle, const char16_t* entryName, const char16_t* sourcePath,
                                         uint32_t flags = 0);

// Writes the central directory and end record, closes the file and frees the
// handle. The file is closed even when writing fails (result 0x400). A handle
// of another kind is left alone and gives 0x80000.
uint32_t ZipArchiveClose(HZIP handle);

// The result of the latest operation above, process-wide.
uint32_t ZipArchiveLastResult();
