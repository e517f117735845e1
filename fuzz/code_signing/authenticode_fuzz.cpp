// An installer as the update check reads it: the input is the whole file.
// Its PE layout is read from its head, its certificate table (when the
// layout names one inside the input) as an Authenticode signature, and the
// image digest runs over it; the same bytes are also read as a certificate
// table of their own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "code_signing/authenticode_signature.h"
#include "code_signing/image_digest.h"
#include "code_signing/pe_layout.h"
#include "code_signing/publisher_keys.h"

using namespace code_signing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Copies of exactly the bytes handed over, so ASan sees any read past them.
  const std::vector<uint8_t> file(data, data + size);
  const std::vector<uint8_t> head(
      file.begin(), file.begin() + static_cast<ptrdiff_t>(std::min<size_t>(size, kPeHeadBytes)));
  PeLayout layout;
  std::string why;
  AuthenticodeSignature signature;
  if (ParsePeLayout(head, file.size(), &layout, &why) == PeLayoutResult::kParsed &&
      layout.HasCertificateTable()) {
    const std::vector<uint8_t> table(
        file.begin() + static_cast<ptrdiff_t>(layout.certificateTableOffset),
        file.begin() + static_cast<ptrdiff_t>(layout.certificateTableOffset + layout.certificateTableSize));
    if (ParseAuthenticodeSignature(table, &signature).empty()) {
      CImageDigest digest(layout, signature.imageDigestKind);
      digest.Update(file.data(), file.size());
      (void)digest.Finish();
      (void)SignedContentMatches(signature);
      (void)PublisherKeyOf(signature.signerPublicKeyInfo);
    }
  }
  (void)ParseAuthenticodeSignature(file, &signature);
  return 0;
}
