#include "crash_reports/dump_upload_record.h"

#include <charconv>
#include <string_view>

#include "common/md5.h"
#include "common/text.h"
#include "platform/system/file_handle.h"
#include "platform/system/folder_listing.h"

// The record is text, one field group a line:
//   <object key>
//   <archive size> <archive MD5>
//   <volume> <index> <size> <modified> <path as hex of its UTF-8>   (one per dump)

namespace {

// Far more than the dumps of any install folder take; anything longer is not ours.
constexpr uint32_t kMaxRecordBytes = 4u << 20;
constexpr size_t kMaxKeyLength = 200;
constexpr uint32_t kReadPiece = 64 * 1024;

std::string HexOf(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const unsigned char c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool BytesOfHex(std::string_view hex, std::string* bytes) {
  if (hex.empty() || hex.size() % 2 != 0) return false;
  bytes->clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

// Cuts the next field, up to separator, off *text.
std::string_view NextField(std::string_view* text, char separator) {
  const size_t end = text->find(separator);
  const std::string_view field = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  return field;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number* number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

bool IsMd5Hex(std::string_view text) {
  if (text.size() != 32) return false;
  for (const char c : text) {
    if (HexDigit(c) < 0) return false;
  }
  return true;
}

bool ParseDump(std::string_view line, TArchivedDump* dump) {
  platform::FileIdentity& identity = dump->identity;
  identity.kind = platform::EFileKind::kRegular;
  std::string path;
  const bool parsed = ParseNumber(NextField(&line, ' '), &identity.volume) &&
                      ParseNumber(NextField(&line, ' '), &identity.index) &&
                      ParseNumber(NextField(&line, ' '), &identity.size) &&
                      ParseNumber(NextField(&line, ' '), &identity.modified) && BytesOfHex(line, &path);
  if (!parsed) return false;
  dump->path = Utf8ToUtf16(path);
  return true;
}

std::string RecordText(const TPendingUpload& pending) {
  std::string text = Utf16ToUtf8(pending.objectKey) + '\n' + std::to_string(pending.archive.size) + ' ' +
                     pending.archive.md5 + '\n';
  for (const TArchivedDump& dump : pending.dumps) {
    const platform::FileIdentity& id = dump.identity;
    text += std::to_string(id.volume) + ' ' + std::to_string(id.index) + ' ' + std::to_string(id.size) + ' ' +
            std::to_string(id.modified) + ' ' + HexOf(Utf16ToUtf8(dump.path)) + '\n';
  }
  return text;
}

bool WriteWhole(platform::CFileHandle* file, const std::string& text) {
  uint32_t written = 0;
  return text.size() <= kMaxRecordBytes &&
         file->Write(text.data(), static_cast<uint32_t>(text.size()), &written) && file->Flush();
}

}  // namespace

std::u16string PendingUploadPath(const std::u16string& zipPath) { return zipPath + u".pending"; }

bool FingerprintArchive(const std::u16string& zipPath, TArchiveFingerprint* fingerprint) {
  platform::CFileHandle file;
  if (!file.OpenRegularForReading(zipPath)) return false;
  CMd5 md5;
  std::string buffer(kReadPiece, '\0');
  uint64_t size = 0;
  uint32_t read = 0;
  do {
    if (!file.Read(buffer.data(), kReadPiece, &read)) return false;
    md5.Update(buffer.data(), read);
    size += read;
  } while (read > 0);
  fingerprint->size = size;
  fingerprint->md5 = Md5Hex(md5.Finish());
  return true;
}

bool WritePendingUpload(const std::u16string& path, const TPendingUpload& pending) {
  const std::u16string temporary = path + u".new";
  platform::CFileHandle file;
  if (!file.CreateReplacingForWriting(temporary)) return false;
  const bool written = WriteWhole(&file, RecordText(pending));
  file.Close();
  if (written && platform::RenameFileAt(temporary, path)) return true;
  (void)platform::DeleteFileAt(temporary);
  return false;
}

bool ReadPendingUpload(const std::u16string& path, TPendingUpload* pending) {
  platform::CFileHandle file;
  if (!file.OpenRegularForReading(path)) return false;
  std::string text;
  std::string buffer(kReadPiece, '\0');
  uint32_t read = 0;
  do {
    if (!file.Read(buffer.data(), kReadPiece, &read)) return false;
    text.append(buffer.data(), read);
    if (text.size() > kMaxRecordBytes) return false;
  } while (read > 0);
  std::string_view rest = text;
  pending->objectKey = Utf8ToUtf16(NextField(&rest, '\n'));
  std::string_view archive = NextField(&rest, '\n');
  if (!IsDumpObjectKey(pending->objectKey) ||
      !ParseNumber(NextField(&archive, ' '), &pending->archive.size) || !IsMd5Hex(archive)) {
    return false;
  }
  pending->archive.md5 = std::string(archive);
  pending->dumps.clear();
  while (!rest.empty()) {
    TArchivedDump dump;
    if (!ParseDump(NextField(&rest, '\n'), &dump)) return false;
    pending->dumps.push_back(std::move(dump));
  }
  return true;
}

bool IsDumpObjectKey(const std::u16string& key) {
  // "dumps/" and ".zip" around plain path segments: nothing that climbs out
  // of the dump folder or needs escaping in a request.
  if (key.size() > kMaxKeyLength || !key.starts_with(u"dumps/") || !key.ends_with(u".zip") ||
      key.find(u"..") != std::u16string::npos || key.find(u"//") != std::u16string::npos) {
    return false;
  }
  for (const char16_t c : key) {
    const bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                       c == u'/' || c == u'.' || c == u'-' || c == u'_';
    if (!plain) return false;
  }
  return true;
}
