// The Authenticode image digest, fed the file's bytes in order from its start:
// everything but the checksum field, the certificate-table entry and the
// certificate table itself.
#pragma once

#include <cstdint>
#include <vector>

#include "code_signing/pe_layout.h"
#include "common/sha256.h"

namespace code_signing {

enum class DigestKind { kSha1, kSha256 };

// One SHA-1 or SHA-256, chosen at run time.
class CDigest {
 public:
  explicit CDigest(DigestKind kind) : m_kind(kind) {}
  void Update(const void* data, size_t size);
  std::vector<uint8_t> Finish();

 private:
  DigestKind m_kind;
  CSha1 m_sha1;
  CSha256 m_sha256;
};

std::vector<uint8_t> DigestOf(DigestKind kind, Bytes bytes);

class CImageDigest {
 public:
  // layout must carry a certificate table.
  CImageDigest(const PeLayout& layout, DigestKind kind);
  // The next size bytes of the file.
  void Update(const uint8_t* data, size_t size);
  std::vector<uint8_t> Finish() { return m_digest.Finish(); }

 private:
  struct Range {
    uint64_t begin, end;
  };
  Range m_ranges[3];
  uint64_t m_offset = 0;
  CDigest m_digest;
};

}  // namespace code_signing
