#include "code_signing/image_digest.h"

#include <algorithm>

namespace code_signing {

void CDigest::Update(const void* data, size_t size) {
  if (m_kind == DigestKind::kSha256) {
    m_sha256.Update(data, size);
  } else {
    m_sha512.Update(data, size);
  }
}

std::vector<uint8_t> CDigest::Finish() {
  if (m_kind != DigestKind::kSha256) return m_sha512.Finish();
  const auto d = m_sha256.Finish();
  return {d.begin(), d.end()};
}

size_t DigestSize(DigestKind kind) {
  switch (kind) {
    case DigestKind::kSha384:
      return 48;
    case DigestKind::kSha512:
      return 64;
    case DigestKind::kSha256:
      break;
  }
  return 32;
}

std::vector<uint8_t> DigestOf(DigestKind kind, Bytes bytes) {
  CDigest digest(kind);
  digest.Update(bytes.data(), bytes.size());
  return digest.Finish();
}

CImageDigest::CImageDigest(const PeLayout& layout, DigestKind kind)
    : m_ranges{{0, layout.checksumOffset},
               {layout.checksumOffset + 4, layout.certificateEntryOffset},
               {layout.certificateEntryOffset + 8, layout.certificateTableOffset}},
      m_digest(kind) {}

void CImageDigest::Update(const uint8_t* data, size_t size) {
  const uint64_t begin = m_offset, end = m_offset + size;
  for (const Range& range : m_ranges) {
    const uint64_t from = std::max(begin, range.begin), to = std::min(end, range.end);
    if (from < to) m_digest.Update(data + (from - begin), static_cast<size_t>(to - from));
  }
  m_offset = end;
}

}  // namespace code_signing
