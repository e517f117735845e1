// What the system offers to check code signatures: on Windows crypt32 checks
// a signer's signature and WinVerifyTrust answers for chain and revocation
// by the system's policy. POSIX has no code signing: nothing is checked there.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/system/file_handle.h"

namespace platform {

// Whether programs carry signatures this system checks.
bool SystemChecksCodeSignatures();

// Whether the first signer of the PKCS#7 SignedData pkcs7 signed its signed
// attributes with the key subjectPublicKeyInfo (DER): CryptMsgControl's
// CMSG_CTRL_VERIFY_SIGNATURE_EX. False where the system checks nothing.
bool SignerSignatureValid(std::span<const uint8_t> pkcs7, std::span<const uint8_t> subjectPublicKeyInfo);

// WinVerifyTrust's answer for the open file, without a user interface and
// without fetching anything from the network, as text for the log
// ("trusted", or the error it gave). Its answer decides nothing.
std::string AskTrustPolicy(const CFileHandle& file);

}  // namespace platform
