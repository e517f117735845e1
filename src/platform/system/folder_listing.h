// Walking folders without following links: listing a folder, describing a
// path, deleting a file (FindFirstFileW / FindNextFileW;
// GetFileInformationByHandle on the path opened as a reparse point;
// DeleteFileW; MoveFileExW).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class EFileKind {
  kRegular,  // an ordinary file
  kFolder,   // a real folder, not a link to one
  kOther,    // a link (symbolic link, junction), pipe, device or socket
};

// Who a file is and how it looked: equal identities mean the same file,
// unchanged as far as size and last write tell.
struct FileIdentity {
  EFileKind kind = EFileKind::kOther;
  uint64_t volume = 0;  // device / volume serial number
  uint64_t index = 0;   // inode / file index on that volume
  uint64_t size = 0;
  int64_t modified = 0;  // last write, in the system's finest unit
  bool operator==(const FileIdentity&) const = default;
};

// Appends the names of folder's entries ("." and ".." left out) in the
// order the system returns them. folder ends with a separator. Names that
// cannot be written in UTF-16 are skipped (POSIX: bytes that are not UTF-8),
// so every listed name can be opened again. False when folder cannot be read.
[[nodiscard]] bool ListFolder(const std::u16string& folder, std::vector<std::u16string>* names);

// Describes the file at path itself: a link is described as kOther and never
// followed. False when nothing is there or it cannot be examined.
[[nodiscard]] bool QueryPathIdentity(const std::u16string& path, FileIdentity* identity);

// Deletes the file at path; a link is deleted itself, never its target.
// False when nothing was deleted.
bool DeleteFileAt(const std::u16string& path);

// Gives the file at from the name to, replacing a file of that name (a link
// at either is renamed or replaced itself, never followed). False when
// nothing was renamed.
bool RenameFileAt(const std::u16string& from, const std::u16string& to);

}  // namespace platform
