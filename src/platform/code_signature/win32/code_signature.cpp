// Windows code signatures: crypt32 (CryptMsgOpenToDecode, CryptMsgUpdate,
// CryptDecodeObjectEx of the key, CryptMsgControl
// CMSG_CTRL_VERIFY_SIGNATURE_EX) and WinVerifyTrust with the Authenticode
// policy, on the open file handle, cache only.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>

#include "platform/code_signature/code_signature.h"
#include "platform/system/win32/wide.h"

namespace platform {

bool SystemChecksCodeSignatures() { return true; }

bool SignerSignatureValid(std::span<const uint8_t> pkcs7, std::span<const uint8_t> subjectPublicKeyInfo) {
  constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
  CERT_PUBLIC_KEY_INFO* key = nullptr;
  DWORD keySize = 0;
  if (!CryptDecodeObjectEx(kEncoding, X509_PUBLIC_KEY_INFO, subjectPublicKeyInfo.data(),
                           static_cast<DWORD>(subjectPublicKeyInfo.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr,
                           &key, &keySize)) {
    return false;
  }
  bool valid = false;
  if (HCRYPTMSG message = CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr)) {
    if (CryptMsgUpdate(message, pkcs7.data(), static_cast<DWORD>(pkcs7.size()), TRUE)) {
      CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA para{};
      para.cbSize = sizeof(para);
      para.dwSignerIndex = 0;
      para.dwSignerType = CMSG_VERIFY_SIGNER_PUBKEY;
      para.pvSigner = key;
      valid = CryptMsgControl(message, 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &para) != FALSE;
    }
    CryptMsgClose(message);
  }
  LocalFree(key);
  return valid;
}

std::string AskTrustPolicy(const CFileHandle& file) {
  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = win32::W(file.Path());
  fileInfo.hFile = reinterpret_cast<HANDLE>(file.Native());
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result == ERROR_SUCCESS) return "trusted";
  char text[32];
  std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(result));
  return text;
}

}  // namespace platform
