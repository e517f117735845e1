#include "code_signing/authenticode_signature.h"

#include "common/byte_order.h"

namespace code_signing {
namespace {

constexpr uint16_t kCertificateRevision = 0x0200;
constexpr uint16_t kPkcsSignedData = 0x0002;

constexpr uint8_t kOidSignedData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
constexpr uint8_t kOidIndirectData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
constexpr uint8_t kOidPeImageData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};
constexpr uint8_t kOidMd5[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x02, 0x05};
constexpr uint8_t kOidSha1[] = {0x2B, 0x0E, 0x03, 0x02, 0x1A};
constexpr uint8_t kOidSha256[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01};
constexpr uint8_t kOidSha384[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02};
constexpr uint8_t kOidSha512[] = {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03};
constexpr uint8_t kOidContentType[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x03};
constexpr uint8_t kOidMessageDigest[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x04};

bool IsOid(const DerElement& element, Bytes oid) {
  return element.tag == kDerOid && SameBytes(element.value, oid);
}

std::vector<uint8_t> Copy(Bytes bytes) { return {bytes.begin(), bytes.end()}; }

// AlgorithmIdentifier of SHA-256, SHA-384 or SHA-512 (parameters absent or
// NULL). Empty on success, else why the algorithm is refused: MD5 and SHA-1
// collide, so a signature made with them proves nothing.
std::string ReadDigestAlgorithm(CDerReader* reader, const char* what, DigestKind* kind) {
  DerElement algorithm, oid;
  if (!reader->Expect(kDerSequence, &algorithm))
    return std::string("malformed ") + what + " digest algorithm";
  CDerReader inside(algorithm.value);
  if (!inside.Expect(kDerOid, &oid)) return std::string("malformed ") + what + " digest algorithm";
  if (IsOid(oid, kOidSha256)) {
    *kind = DigestKind::kSha256;
  } else if (IsOid(oid, kOidSha384)) {
    *kind = DigestKind::kSha384;
  } else if (IsOid(oid, kOidSha512)) {
    *kind = DigestKind::kSha512;
  } else if (IsOid(oid, kOidSha1) || IsOid(oid, kOidMd5)) {
    return std::string("weak digest for the ") + what + " (MD5 or SHA-1)";
  } else {
    return std::string("unknown ") + what + " digest algorithm";
  }
  return {};
}

// The certificate table holds exactly one entry: its header, the DER
// signature, and zeros up to the next 8-byte boundary. A loader or an
// installer that reads anything after the signature would otherwise run
// bytes nobody signed.
std::string CheckSingleEntry(Bytes table, uint32_t length, size_t signatureSize) {
  const size_t used = 8 + signatureSize;
  const size_t padded = (used + 7) / 8 * 8;
  if (table.size() > padded) return "bytes after the signature in the certificate table";
  if (table.size() < padded) return "certificate table not padded to 8 bytes";
  if (length != used && length != padded) return "certificate entry longer than its signature";
  for (size_t i = used; i < padded; ++i) {
    if (table[i] != 0) return "non-zero padding after the signature";
  }
  return {};
}

// SpcIndirectDataContent: { SpcAttributeTypeAndOptionalValue, DigestInfo }.
std::string ReadIndirectData(Bytes content, AuthenticodeSignature* signature) {
  CDerReader reader(content);
  DerElement indirect, data, dataType, digestInfo, digest;
  if (!reader.Expect(kDerSequence, &indirect)) return "no SpcIndirectDataContent";
  signature->signedContent = Copy(indirect.value);
  CDerReader fields(indirect.value);
  if (!fields.Expect(kDerSequence, &data) || !fields.Expect(kDerSequence, &digestInfo)) {
    return "malformed SpcIndirectDataContent";
  }
  CDerReader dataFields(data.value);
  if (!dataFields.Expect(kDerOid, &dataType) || !IsOid(dataType, kOidPeImageData))
    return "not a PE image signature";
  CDerReader digestFields(digestInfo.value);
  if (std::string why = ReadDigestAlgorithm(&digestFields, "image", &signature->imageDigestKind);
      !why.empty()) {
    return why;
  }
  if (!digestFields.Expect(kDerOctetString, &digest) ||
      digest.value.size() != DigestSize(signature->imageDigestKind)) {
    return "malformed image digest";
  }
  signature->imageDigest = Copy(digest.value);
  return {};
}

// The authenticated attributes: the content type must be the indirect data's,
// and the message digest is kept.
std::string ReadAttributes(Bytes attributes, AuthenticodeSignature* signature) {
  CDerReader reader(attributes);
  bool contentType = false;
  while (!reader.AtEnd()) {
    DerElement attribute, type, values, value;
    if (!reader.Expect(kDerSequence, &attribute)) return "malformed attribute";
    CDerReader fields(attribute.value);
    if (!fields.Expect(kDerOid, &type) || !fields.Expect(kDerSet, &values)) return "malformed attribute";
    CDerReader valueReader(values.value);
    if (!valueReader.Next(&value) || !valueReader.AtEnd()) continue;
    if (IsOid(type, kOidContentType)) {
      if (contentType || !IsOid(value, kOidIndirectData)) return "wrong signed content type";
      contentType = true;
    } else if (IsOid(type, kOidMessageDigest)) {
      if (!signature->messageDigest.empty() || value.tag != kDerOctetString)
        return "malformed message digest";
      signature->messageDigest = Copy(value.value);
    }
  }
  if (!contentType || signature->messageDigest.empty()) return "signed attributes incomplete";
  return {};
}

// Finds the certificate whose issuer and serial number are the signer's and
// keeps its SubjectPublicKeyInfo.
bool FindSignerKey(Bytes certificates, Bytes issuer, Bytes serial, AuthenticodeSignature* signature) {
  CDerReader reader(certificates);
  while (!reader.AtEnd()) {
    DerElement certificate, tbs, version, certSerial, algorithm, certIssuer, validity, subject, key;
    if (!reader.Next(&certificate)) return false;
    if (certificate.tag != kDerSequence) continue;
    CDerReader certFields(certificate.value);
    if (!certFields.Expect(kDerSequence, &tbs)) continue;
    CDerReader tbsFields(tbs.value);
    if (tbsFields.PeekTag() == kDerContext0 && !tbsFields.Next(&version)) continue;
    if (!tbsFields.Expect(kDerInteger, &certSerial) || !tbsFields.Expect(kDerSequence, &algorithm) ||
        !tbsFields.Expect(kDerSequence, &certIssuer) || !tbsFields.Expect(kDerSequence, &validity) ||
        !tbsFields.Expect(kDerSequence, &subject) || !tbsFields.Expect(kDerSequence, &key)) {
      continue;
    }
    if (SameBytes(certIssuer.whole, issuer) && SameBytes(certSerial.whole, serial)) {
      signature->signerPublicKeyInfo = Copy(key.whole);
      return true;
    }
  }
  return false;
}

std::string ReadSignerInfo(Bytes signerInfos, Bytes certificates, AuthenticodeSignature* signature) {
  CDerReader reader(signerInfos);
  DerElement signer, version, issuerAndSerial, issuer, serial, attributes;
  if (!reader.Expect(kDerSequence, &signer)) return "no signer";
  if (!reader.AtEnd()) return "more than one signer";
  CDerReader fields(signer.value);
  if (!fields.Expect(kDerInteger, &version) || !fields.Expect(kDerSequence, &issuerAndSerial)) {
    return "malformed signer";
  }
  CDerReader idFields(issuerAndSerial.value);
  if (!idFields.Expect(kDerSequence, &issuer) || !idFields.Expect(kDerInteger, &serial))
    return "malformed signer";
  if (std::string why = ReadDigestAlgorithm(&fields, "signer", &signature->signerDigestKind); !why.empty()) {
    return why;
  }
  if (!fields.Expect(kDerContext0, &attributes)) return "no signed attributes";
  if (std::string why = ReadAttributes(attributes.value, signature); !why.empty()) return why;
  if (!FindSignerKey(certificates, issuer.whole, serial.whole, signature))
    return "signer certificate missing";
  return {};
}

}  // namespace

std::string ParseAuthenticodeSignature(Bytes table, AuthenticodeSignature* signature) {
  *signature = {};
  if (table.size() < 8) return "truncated certificate table";
  const uint32_t length = LoadLe32(table.data());
  const uint16_t revision = LoadLe16(table.data() + 4);
  const uint16_t type = LoadLe16(table.data() + 6);
  if (length < 8 || length > table.size()) return "certificate entry past the table's end";
  if (revision != kCertificateRevision || type != kPkcsSignedData) return "not a PKCS#7 signature";
  CDerReader outer(table.subspan(8, length - 8));
  DerElement contentInfo, contentType, explicitContent, signedData;
  if (!outer.Expect(kDerSequence, &contentInfo)) return "truncated signature";
  if (std::string why = CheckSingleEntry(table, length, contentInfo.whole.size()); !why.empty()) return why;
  signature->pkcs7 = Copy(contentInfo.whole);
  CDerReader info(contentInfo.value);
  if (!info.Expect(kDerOid, &contentType) || !IsOid(contentType, kOidSignedData)) return "not SignedData";
  if (!info.Expect(kDerContext0, &explicitContent)) return "truncated signature";
  CDerReader wrapped(explicitContent.value);
  if (!wrapped.Expect(kDerSequence, &signedData)) return "truncated signature";

  CDerReader fields(signedData.value);
  DerElement version, algorithms, inner, innerType, innerContent, certificates, crls, signerInfos;
  if (!fields.Expect(kDerInteger, &version) || !fields.Expect(kDerSet, &algorithms) ||
      !fields.Expect(kDerSequence, &inner)) {
    return "malformed SignedData";
  }
  CDerReader innerFields(inner.value);
  if (!innerFields.Expect(kDerOid, &innerType) || !IsOid(innerType, kOidIndirectData) ||
      !innerFields.Expect(kDerContext0, &innerContent)) {
    return "no SpcIndirectDataContent";
  }
  if (std::string why = ReadIndirectData(innerContent.value, signature); !why.empty()) return why;
  if (fields.PeekTag() == kDerContext0 && !fields.Next(&certificates)) return "malformed certificates";
  if (fields.PeekTag() == kDerContext1 && !fields.Next(&crls)) return "malformed revocation lists";
  if (!fields.Expect(kDerSet, &signerInfos)) return "no signer";
  return ReadSignerInfo(signerInfos.value, certificates.value, signature);
}

bool SignedContentMatches(const AuthenticodeSignature& signature) {
  return DigestOf(signature.signerDigestKind, signature.signedContent) == signature.messageDigest;
}

}  // namespace code_signing
