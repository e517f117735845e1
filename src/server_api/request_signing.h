// The two request forms of the API as pure functions of what goes into
// them: the signed form body (parameters, identity, timestamp, nonce, the
// MD5 over the sorted walk and the signing key) and the unsigned query
// string. CHttpClient feeds them its identity, clock and nonce sequence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server_api/param_map.h"

// The signing key appended to every signature input.
inline constexpr char16_t kSigningKey[] = u"5e0c9a7d2b41f8e63c0d7a9b1e24f6c8";

// The identity every request carries; "vmware" is the virtual-machine flag
// as read for this request.
struct TRequestIdentity {
  int32_t qid = 1;
  int32_t softid = 1;
  int32_t av = 0;
  int32_t category = 0;
  std::u16string version;
  int32_t osCode = 0;
  bool virtualMachine = false;
  bool special = false;
};

// What only the signed form adds.
struct TSignedExtras {
  std::u16string fingerprint;  // "mac"
  int64_t instTime = 0;
  int64_t timestamp = 0;
  int32_t nonce = 0;  // "signatureNonce"
};

// "key=value", after "&" when separate.
std::u16string FormPair(std::u16string_view key, std::u16string_view value, bool separate);
// "keyvalue": one piece of the signature input.
std::u16string SignPair(std::u16string_view key, std::u16string_view value);

// Adds the identity parameters both forms carry. The map orders its keys
// itself and keeps the first value of a key, so an endpoint's own parameter
// of the same name wins.
void AddIdentityParams(CParamMap& params, const TRequestIdentity& identity);

// Adds the excluded pair (when excludedKey is non-empty), the signed extras
// and the identity to params; returns the form body in key order with its
// signature last. The excluded pair is signed but left out of the body.
std::u16string BuildSignedBody(CParamMap& params, const TRequestIdentity& identity,
                               const TSignedExtras& extras, std::u16string_view excludedKey,
                               std::u16string_view excludedValue);

// Adds the identity to params; returns the query string in key order.
std::u16string BuildQueryString(CParamMap& params, const TRequestIdentity& identity);

// The next value 0..32767 of the C runtime's rand() sequence from state.
int32_t NextCrtRand(uint32_t* state);
