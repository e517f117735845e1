// POSIX has no code signing: no signature is checked.
#include "platform/code_signature/code_signature.h"

namespace platform {

bool SystemChecksCodeSignatures() { return false; }

bool SignerSignatureValid(std::span<const uint8_t>, std::span<const uint8_t>) { return false; }

std::string AskTrustPolicy(const CFileHandle&) { return "no code signing on this system"; }

}  // namespace platform
