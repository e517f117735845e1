// The file an installer download is written into, "<target>.part", and what
// lets a later attempt, or a later run, continue it instead of starting over:
// the validator (ETag or Last-Modified) of the reply that began it and the
// whole length, kept beside it in "<target>.part.resume".
// The program may run with more rights than the owner of the folder (an
// elevated update in a user's data folder): no link there is followed, and a
// part that is not a plain file of this process's own is never continued.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/file_handle.h"
#include "server_api/http_transport.h"

class CDownloadPartFile : public IReplyWriter {
 public:
  // Takes up what an earlier run left for target, when it can be continued.
  explicit CDownloadPartFile(std::u16string target);
  // Keeps the part for the next run when it can be continued, else removes it.
  ~CDownloadPartFile() override;
  CDownloadPartFile(const CDownloadPartFile&) = delete;
  CDownloadPartFile& operator=(const CDownloadPartFile&) = delete;

  // "Range" and "If-Range" for the bytes missing, when some are on disk.
  std::vector<std::u16string> AttemptHeaders() override;
  // 206 that fits what is on disk: appends. 200 (or any reply to a request
  // without a range): starts over. 416 or a range that does not fit: starts
  // over at the next attempt. Another status to a range request: fails the
  // attempt and keeps the part.
  bool Begin(uint32_t status, std::u16string_view rawHeaders) override;
  bool Write(const uint8_t* data, size_t size) override;

  // Where the current reply's first byte lies in the whole file.
  uint64_t ReplyOffset() const { return m_replyOffset; }
  // Closes the part and puts it in place of the target (a link there is
  // replaced, not followed); false when it is not the whole file (its length
  // differs from the announced one) or cannot be moved.
  [[nodiscard]] bool Complete();

 private:
  void Load();
  void StartOver();
  bool OpenFresh(uint32_t status, std::u16string_view rawHeaders);
  bool Continue(std::u16string_view rawHeaders);
  void SaveResumeInfo();
  void Forget();
  uint64_t OnDisk() const { return m_replyOffset + m_written; }

  std::u16string m_target;
  std::u16string m_part;
  std::u16string m_resume;
  platform::CFileHandle m_out;  // the part, open while a reply may write to it
  std::u16string m_validator;   // empty: the part cannot be continued
  uint64_t m_length = 0;        // of the whole file, from the reply that began the part
  uint64_t m_replyOffset = 0;
  uint64_t m_written = 0;    // by the current reply
  uint64_t m_askedFrom = 0;  // first byte asked of the current attempt (0: the whole file)
  bool m_completed = false;
};
