// An installer's embedded Authenticode signature, read from its certificate
// table: the PKCS#7 SignedData whose content (SpcIndirectDataContent) names
// the image digest, and the one signer who signed it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "code_signing/der_reader.h"
#include "code_signing/image_digest.h"

namespace code_signing {

struct AuthenticodeSignature {
  DigestKind imageDigestKind = DigestKind::kSha256;
  std::vector<uint8_t> imageDigest;
  // The SpcIndirectDataContent's contents, which the signer's messageDigest
  // attribute covers.
  std::vector<uint8_t> signedContent;
  DigestKind signerDigestKind = DigestKind::kSha256;
  std::vector<uint8_t> messageDigest;
  // The signer certificate's SubjectPublicKeyInfo (DER).
  std::vector<uint8_t> signerPublicKeyInfo;
  // The whole PKCS#7 ContentInfo, for the system's check of the signer's
  // signature.
  std::vector<uint8_t> pkcs7;
};

// Reads the certificate table, which must hold exactly one PKCS#7 entry and
// its zero padding, with SHA-256, SHA-384 or SHA-512 digests. Empty on
// success, else what is wrong with it.
std::string ParseAuthenticodeSignature(Bytes certificateTable, AuthenticodeSignature* signature);

// Whether the signer's messageDigest covers the signed content, whose image
// digest the caller compares with the file's.
bool SignedContentMatches(const AuthenticodeSignature& signature);

}  // namespace code_signing
