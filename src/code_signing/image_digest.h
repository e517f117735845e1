// The Authenticode image digest, fed the file's bytes in order from its start:
// everything but the checksum field, the certificate-table entry and the
// certificate table itself.
#pragma once

#include <cstdint>
#include <vector>

#include "code_signing/pe_layout.h"
#include "common/sha256.h"
#include "common/sha512.h"

namespace code_signing {

// The digests a signature may use; MD5 and SHA-1 are refused as weak.
enum class DigestKind { kSha256, kSha384, kSha512 };

// One SHA-256, SHA-384 or SHA-512, chosen at run time.
class CDigest {
 public:
  explicit CDigest(DigestKind kind)
      : m_kind(kind),
        m_sha512(kind == DigestKind::kSha384 ? CSha512::EVariant::kSha384 : CSha512::EVariant::kSha512) {}
  void Update(const void* data, size_t size);
  std::vector<uint8_t> Finish();

 private:
  DigestKind m_kind;
  CSha256 m_sha256;
  CSha512 m_sha512;
};

std::vector<uint8_t> DigestOf(DigestKind kind, Bytes bytes);
// The size of a digest of kind, in bytes.
size_t DigestSize(DigestKind kind);

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
