#include "update_dialog/publisher_check.h"

#include <algorithm>

#include "platform/code_signature.h"
#include "skinui/resources/skin_resources.h"

namespace {

constexpr uint16_t kPinnedKeysId = 130;
constexpr char16_t kPinnedKeysType[] = u"PUBKEYS";

// The signer key of a signature whose signer's signature the system checked.
bool VerifiedSignerKey(const code_signing::AuthenticodeSignature& signature, code_signing::PublisherKey* key) {
  if (!code_signing::SignedContentMatches(signature) ||
      !platform::SignerSignatureValid(signature.pkcs7, signature.signerPublicKeyInfo)) {
    return false;
  }
  *key = code_signing::PublisherKeyOf(signature.signerPublicKeyInfo);
  return true;
}

}  // namespace

std::vector<code_signing::PublisherKey> PinnedPublisherKeys() {
  std::vector<uint8_t> text;
  size_t size = 0;
  auto& resources = SkinUI::SkinResources();
  if (resources.ReadSkinResource(kPinnedKeysId, kPinnedKeysType, nullptr, &size) != SkinUI::kSkinBufferTooSmall) {
    return {};
  }
  text.resize(size);
  if (resources.ReadSkinResource(kPinnedKeysId, kPinnedKeysType, text.data(), &size) != SkinUI::kSkinReadOk) {
    return {};
  }
  return code_signing::ParsePinnedPublisherKeys(
      std::string_view(reinterpret_cast<const char*>(text.data()), std::min(size, text.size())));
}

OurPublisher FindOurPublisher(const std::u16string& program) {
  OurPublisher publisher;
  if (!platform::SystemChecksCodeSignatures()) {
    publisher.skipReason = "no code signing on this system";
    return publisher;
  }
  // The program's own image digest is not recomputed: whoever could change
  // this file could change the check as well.
  platform::CCheckedProgram self;
  code_signing::PublisherKey own;
  const InstallerDigests digests =
      self.Open(program) ? ReadProgramSignature(&self) : InstallerDigests{};
  if (digests.signature != InstallerSignature::kPresent || !VerifiedSignerKey(digests.authenticode, &own)) {
    publisher.skipReason = "unsigned program";
    return publisher;
  }
  publisher.checked = true;
  publisher.keys.push_back(own);
  for (const auto& key : PinnedPublisherKeys()) publisher.keys.push_back(key);
  return publisher;
}

std::string PublisherRefusal(const OurPublisher& publisher, const InstallerDigests& digests) {
  if (!publisher.checked) return {};
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
