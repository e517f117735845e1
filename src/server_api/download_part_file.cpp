#include "server_api/download_part_file.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "platform/system/file_info.h"
#include "platform/system/folder_listing.h"
#include "server_api/reply_headers.h"

namespace {

constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusPartial = 206;
constexpr uint32_t kStatusRangeNotSatisfiable = 416;
// A validator and a length fit in far less; anything longer is not ours.
constexpr uint32_t kMaxResumeInfoBytes = 4096;
// The file calls take at most this much at once.
constexpr size_t kMaxWritePiece = 1u << 30;

// The validator If-Range may carry: a strong ETag, else Last-Modified (a weak
// ETag may not be used for ranges).
std::u16string ValidatorOf(std::u16string_view headers) {
  const auto etag = FindHeader(headers, u"ETag");
  if (etag && !etag->empty() && !etag->starts_with(u"W/")) return *etag;
  return FindHeader(headers, u"Last-Modified").value_or(u"");
}

// The resume file's text: at most kMaxResumeInfoBytes of a regular file, no
// link followed; empty when there is none.
std::string ReadResumeText(const std::u16string& path) {
  platform::CFileHandle file;
  std::string text(kMaxResumeInfoBytes, '\0');
  uint32_t read = 0;
  if (!file.OpenRegularForReading(path) || !file.Read(text.data(), kMaxResumeInfoBytes, &read)) return {};
  text.resize(read);
  return text;
}

// The part's validator and whole length as kept in the resume file: two lines.
bool ReadResumeInfo(const std::u16string& path, std::u16string* validator, uint64_t* length) {
  const std::string text = ReadResumeText(path);
  const size_t end = text.find('\n');
  if (end == std::string::npos || end == 0) return false;
  const std::string number = text.substr(end + 1, text.find('\n', end + 1) - end - 1);
  if (number.empty() || number.size() > 15 || number.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *validator = Utf8ToUtf16(text.substr(0, end));
  *length = std::stoull(number);
  return true;
}

bool WriteAll(platform::CFileHandle* file, const uint8_t* data, size_t size) {
  while (size > 0) {
    const uint32_t piece = static_cast<uint32_t>(std::min(size, kMaxWritePiece));
    uint32_t written = 0;
    if (!file->Write(data, piece, &written)) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

}  // namespace

CDownloadPartFile::CDownloadPartFile(std::u16string target) : m_target(std::move(target)) {
  m_part = m_target + u".part";
  m_resume = m_target + u".part.resume";
  Load();
}

CDownloadPartFile::~CDownloadPartFile() {
  m_out.Close();
  if (!m_completed && (m_validator.empty() || OnDisk() == 0)) Forget();
}

void CDownloadPartFile::Load() {
  // Anything but a plain file of our own at the part's name (a link to
  // another file, a file another user may write) is not continued.
  platform::FileInfo info;
  const bool own = m_out.OpenOwnRegularForAppending(m_part) && platform::QueryFileInfo(m_out, &info);
  // A part as long as the whole file cannot be told from a stale one: it is
  // fetched again.
  if (!own || info.size == 0 || !ReadResumeInfo(m_resume, &m_validator, &m_length) || info.size >= m_length) {
    StartOver();
    return;
  }
  m_replyOffset = info.size;
}

void CDownloadPartFile::Forget() {
  // Links are removed themselves, never their targets.
  (void)platform::DeleteFileAt(m_part);
  (void)platform::DeleteFileAt(m_resume);
  m_validator.clear();
  m_length = 0;
  m_replyOffset = 0;
  m_written = 0;
}

void CDownloadPartFile::StartOver() {
  m_out.Close();
  Forget();
}

std::vector<std::u16string> CDownloadPartFile::AttemptHeaders() {
  m_askedFrom = 0;
  if (m_validator.empty() || OnDisk() == 0 || OnDisk() >= m_length) return {};
  m_askedFrom = OnDisk();
  return {u"Range: bytes=" + ToU16(m_askedFrom) + u"-", u"If-Range: " + m_validator};
}

bool CDownloadPartFile::Begin(uint32_t status, std::u16string_view rawHeaders) {
  if (m_askedFrom == 0 || status == kStatusOk) return OpenFresh(status, rawHeaders);
  if (status == kStatusPartial) return Continue(rawHeaders);
  // 416: the server has no such range of this file; start over next time.
  // Any other status may pass (a busy server): keep the part.
  if (status == kStatusRangeNotSatisfiable) StartOver();
  return false;
}

bool CDownloadPartFile::Continue(std::u16string_view rawHeaders) {
  const auto value = FindHeader(rawHeaders, u"Content-Range");
  const auto range = value ? ParseContentRange(*value) : std::nullopt;
  const auto length = FindContentLength(rawHeaders);
  // Only the rest of the very same file, exactly as asked for, is appended.
  const bool fits = range && range->first == m_askedFrom && range->last + 1 == m_length &&
                    range->complete == m_length && length == m_length - m_askedFrom;
  if (!fits) {
    StartOver();
    return false;
  }
  if (!m_out.IsOpen() && !m_out.OpenOwnRegularForAppending(m_part)) {
    StartOver();
    return false;
  }
  m_replyOffset = m_askedFrom;
  m_written = 0;
  return true;
}

bool CDownloadPartFile::OpenFresh(uint32_t status, std::u16string_view rawHeaders) {
  m_out.Close();
  m_replyOffset = 0;
  m_written = 0;
  m_length = FindContentLength(rawHeaders).value_or(0);
  m_validator = status == kStatusOk && m_length > 0 ? ValidatorOf(rawHeaders) : u"";
  (void)platform::DeleteFileAt(m_resume);
  if (!m_out.CreateReplacingForWriting(m_part)) return false;
  if (!m_validator.empty()) SaveResumeInfo();
  return true;
}

void CDownloadPartFile::SaveResumeInfo() {
  const std::string text = Utf16ToUtf8(m_validator) + '\n' + std::to_string(m_length) + '\n';
  platform::CFileHandle out;
  // Without its validator a part cannot be continued safely.
  if (!out.CreateReplacingForWriting(m_resume) ||
      !WriteAll(&out, reinterpret_cast<const uint8_t*>(text.data()), text.size())) {
    m_validator.clear();
  }
}

bool CDownloadPartFile::Write(const uint8_t* data, size_t size) {
  // Each piece goes to the file at once: a program that is ended leaves all
  // it received for the next run.
  if (!m_out.IsOpen() || !WriteAll(&m_out, data, size)) {
    StartOver();  // what reached the disk is unknown
    return false;
  }
  m_written += size;
  return true;
}

bool CDownloadPartFile::Complete() {
  const bool open = m_out.IsOpen();
  m_out.Close();
  if (!open || (m_length != 0 && OnDisk() != m_length)) {
    StartOver();
    return false;
  }
  // A link at the target is replaced itself: the rename never follows it.
  (void)platform::DeleteFileAt(m_target);
  if (!platform::RenameFileAt(m_part, m_target)) return false;
  (void)platform::DeleteFileAt(m_resume);
  m_completed = true;
  return true;
}
