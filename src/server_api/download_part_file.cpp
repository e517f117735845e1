#include "server_api/download_part_file.h"

#include <optional>

#include "common/text.h"
#include "server_api/reply_headers.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusPartial = 206;
constexpr uint32_t kStatusRangeNotSatisfiable = 416;

// The validator If-Range may carry: a strong ETag, else Last-Modified (a weak
// ETag may not be used for ranges).
std::u16string ValidatorOf(std::u16string_view headers) {
  const auto etag = FindHeader(headers, u"ETag");
  if (etag && !etag->empty() && !etag->starts_with(u"W/")) return *etag;
  return FindHeader(headers, u"Last-Modified").value_or(u"");
}

// The part's validator and whole length as kept in the resume file.
bool ReadResumeInfo(const fs::path& file, std::u16string* validator, uint64_t* length) {
  std::ifstream in(file, std::ios::binary);
  std::string line, number;
  if (!std::getline(in, line) || !std::getline(in, number) || line.empty() || number.empty()) return false;
  if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 15) return false;
  *validator = Utf8ToUtf16(line);
  *length = std::stoull(number);
  return true;
}

}  // namespace

CDownloadPartFile::CDownloadPartFile(fs::path target) : m_target(std::move(target)) {
  m_part = m_target;
  m_part += ".part";
  m_resume = m_target;
  m_resume += ".part.resume";
  Load();
}

CDownloadPartFile::~CDownloadPartFile() {
  m_out.close();
  if (!m_completed && (m_validator.empty() || OnDisk() == 0)) Forget();
}

void CDownloadPartFile::Load() {
  std::error_code error;
  const uint64_t size = fs::file_size(m_part, error);
  // A part as long as the whole file cannot be told from a stale one: it is
  // fetched again.
  if (error || size == 0 || !ReadResumeInfo(m_resume, &m_validator, &m_length) || size >= m_length) {
    Forget();
    return;
  }
  m_replyOffset = size;
}

void CDownloadPartFile::Forget() {
  std::error_code ignored;
  fs::remove(m_part, ignored);
  fs::remove(m_resume, ignored);
  m_validator.clear();
  m_length = 0;
  m_replyOffset = 0;
  m_written = 0;
}

void CDownloadPartFile::StartOver() {
  m_out.close();
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
  if (!m_out.is_open()) m_out.open(m_part, std::ios::binary | std::ios::app);
  m_replyOffset = m_askedFrom;
  m_written = 0;
  return m_out.good();
}

bool CDownloadPartFile::OpenFresh(uint32_t status, std::u16string_view rawHeaders) {
  m_out.close();
  m_out.clear();
  m_out.open(m_part, std::ios::binary | std::ios::trunc);
  m_replyOffset = 0;
  m_written = 0;
  m_length = FindContentLength(rawHeaders).value_or(0);
  m_validator = status == kStatusOk && m_length > 0 ? ValidatorOf(rawHeaders) : u"";
  std::error_code ignored;
  fs::remove(m_resume, ignored);
  if (!m_validator.empty()) SaveResumeInfo();
  return m_out.good();
}

void CDownloadPartFile::SaveResumeInfo() {
  std::ofstream out(m_resume, std::ios::binary | std::ios::trunc);
  out << Utf16ToUtf8(m_validator) << '\n' << m_length << '\n';
  // Without its validator a part cannot be continued safely.
  if (!out.flush()) m_validator.clear();
}

bool CDownloadPartFile::Write(const uint8_t* data, size_t size) {
  // Each piece goes to the file at once: a program that is ended leaves all
  // it received for the next run.
  m_out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  m_out.flush();
  if (!m_out.good()) {
    StartOver();  // what reached the disk is unknown
    return false;
  }
  m_written += size;
  return true;
}

bool CDownloadPartFile::Complete() {
  m_out.close();
  if (m_out.fail() || (m_length != 0 && OnDisk() != m_length)) {
    StartOver();
    return false;
  }
  std::error_code error;
  fs::remove(m_target, error);
  fs::rename(m_part, m_target, error);
  if (error) return false;
  fs::remove(m_resume, error);
  m_completed = true;
  return true;
}
