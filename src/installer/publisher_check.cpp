#include "installer/publisher_check.h"

#include <algorithm>

#include "common/text.h"
#include "platform/code_signature/code_signature.h"

namespace {

// The signer key of a signature whose signer's signature the system checked.
bool VerifiedSignerKey(const code_signing::AuthenticodeSignature& signature,
                       code_signing::PublisherKey* key) {
  if (!code_signing::SignedContentMatches(signature) ||
      !platform::SignerSignatureValid(signature.pkcs7, signature.signerPublicKeyInfo)) {
    return false;
  }
  *key = code_signing::PublisherKeyOf(signature.signerPublicKeyInfo);
  return true;
}

}  // namespace

OurPublisher FindOurPublisher(const std::u16string& program,
                              const std::function<std::vector<code_signing::PublisherKey>()>& pinnedKeys) {
  OurPublisher publisher;
  if (!platform::SystemChecksCodeSignatures()) {
    publisher.skipReason = "no code signing on this system";
    return publisher;
  }
  // The program's own image digest is not recomputed: whoever could change
  // this file could change the check as well.
  platform::CCheckedProgram self;
  code_signing::PublisherKey own;
  if (!self.Open(program)) {
    publisher.checked = true;
    publisher.ownSignatureProblem = "program unreadable";
    return publisher;
  }
  const InstallerDigests digests = ReadProgramSignature(&self);
  if (digests.signature == InstallerSignature::kNone) {
    publisher.skipReason = "unsigned program";
    return publisher;
  }
  // A program that carries a certificate table is signed: whatever keeps its
  // signature from being read must not turn the check off.
  publisher.checked = true;
  if (digests.signature == InstallerSignature::kMalformed) {
    publisher.ownSignatureProblem = digests.problem;
    return publisher;
  }
  if (!VerifiedSignerKey(digests.authenticode, &own)) {
    publisher.ownSignatureProblem = "signer's signature invalid";
    return publisher;
  }
  publisher.keys.push_back(own);
  if (pinnedKeys) {
    for (const auto& key : pinnedKeys()) publisher.keys.push_back(key);
  }
  return publisher;
}

std::string PublisherRefusal(const OurPublisher& publisher, const InstallerDigests& digests) {
  if (!publisher.checked) return {};
  if (!publisher.ownSignatureProblem.empty())
    return "own signature unreadable: " + publisher.ownSignatureProblem;
  switch (digests.signature) {
    case InstallerSignature::kNone:
      return "installer unsigned";
    case InstallerSignature::kMalformed:
      return "installer signature malformed: " + digests.problem;
    case InstallerSignature::kPresent:
      break;
  }
  if (!digests.imageDigestMatches) return "installer changed after signing (image digest differs)";
  code_signing::PublisherKey key;
  if (!VerifiedSignerKey(digests.authenticode, &key)) return "installer signer's signature invalid";
  if (std::find(publisher.keys.begin(), publisher.keys.end(), key) == publisher.keys.end()) {
    return "installer signed by another publisher";
  }
  return {};
}

std::string VersionRefusal(const InstallerDigests& digests, std::u16string_view offered) {
  const auto offer = code_signing::ParseVersionText(offered);
  if (!offer) return "offered version unreadable: " + Utf16ToUtf8(offered);
  if (!digests.fileVersion) return "installer has no file version (" + digests.versionProblem + ")";
  if (*digests.fileVersion != *offer) {
    return "installer version " + digests.fileVersion->Text() + " differs from the offered " + offer->Text();
  }
  return {};
}
