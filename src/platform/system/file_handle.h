// Whole-file access by handle: the CreateFileW / ReadFile / WriteFile /
// SetFilePointer subset that writers of archives and downloads need.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// One open file. Closed by Close or on destruction; movable, not copyable.
class CFileHandle {
 public:
  CFileHandle() = default;
  ~CFileHandle();
  CFileHandle(CFileHandle&& other) noexcept;
  CFileHandle& operator=(CFileHandle&& other) noexcept;
  CFileHandle(const CFileHandle&) = delete;
  CFileHandle& operator=(const CFileHandle&) = delete;

  // Creates path for writing only, replacing any existing file, shared with
  // nobody (CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL). False when it cannot.
  [[nodiscard]] bool CreateForWriting(const std::u16string& path);
  // Opens an existing file for reading, shared with other readers
  // (OPEN_EXISTING, FILE_SHARE_READ). Folders cannot be opened this way.
  [[nodiscard]] bool OpenForReading(const std::u16string& path);
  // Creates path for writing as CreateForWriting does, except that a link
  // there (and on POSIX a file with other hard links or of another user) is
  // removed first, never written through. False when it cannot be removed or
  // the file created.
  [[nodiscard]] bool CreateReplacingForWriting(const std::u16string& path);
  // Opens path for shared reading only when it is a regular file itself:
  // a link (not followed), folder, pipe or device is refused without
  // waiting on it.
  [[nodiscard]] bool OpenRegularForReading(const std::u16string& path);
  // Opens an existing file for writing at its end only when it is a regular
  // file of this process's own, with no other name: a link (not followed),
  // folder, pipe, device or a file with other hard links is refused, and on
  // POSIX a file of another user too. (On Windows an elevated process runs as
  // the same account as the user who could have planted the file, so the
  // owner tells nothing there.)
  [[nodiscard]] bool OpenOwnRegularForAppending(const std::u16string& path);

  // Reads up to size bytes; *read is 0 at the end of the file. False on a
  // read error.
  [[nodiscard]] bool Read(void* buffer, uint32_t size, uint32_t* read);
  // Writes size bytes; *written tells how many reached the file. False when
  // not all of them did (disk full, file size limit, closed pipe); a failure
  // for lack of room is told by WriteLackedRoom.
  [[nodiscard]] bool Write(const void* buffer, uint32_t size, uint32_t* written);
  // Makes what was written durable (fsync, FlushFileBuffers).
  [[nodiscard]] bool Flush();
  // Moves the file position to offset bytes from the start.
  [[nodiscard]] bool SeekTo(uint64_t offset);
  // Moves the file position to the end of the file.
  [[nodiscard]] bool SeekToEnd();
  // The file's size in bytes.
  [[nodiscard]] bool Size(uint64_t* size) const;

  void Close();
  bool IsOpen() const { return m_handle != kInvalid; }
  // The file name given when the file was opened.
  const std::u16string& Path() const { return m_path; }
  // The system handle (HANDLE on Windows, descriptor on POSIX).
  intptr_t Native() const { return m_handle; }

 private:
  // The checked program replaces what it holds with a private copy on POSIX.
  friend class CCheckedProgram;
  static constexpr intptr_t kInvalid = -1;
  intptr_t m_handle = kInvalid;
  std::u16string m_path;
};

// Whether a Write on this thread failed for lack of room since the last
// ForgetWriteFailures: a full disk or quota, or the file-size limit
// (ENOSPC, EDQUOT, EFBIG; ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL). Writes
// deep inside other layers (an archive, a download) are told apart this way
// without each layer passing the reason up.
bool WriteLackedRoom();
void ForgetWriteFailures();

}  // namespace platform
