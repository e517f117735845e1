#include "server_api/request_signing.h"

#include "common/md5.h"
#include "common/text.h"
#include "platform/system/codepage.h"

namespace {

std::u16string Flag(bool value) { return value ? u"true" : u"false"; }

}  // namespace

std::u16string FormPair(std::u16string_view key, std::u16string_view value, bool separate) {
  std::u16string pair = separate ? u"&" : u"";
  pair.append(key).append(u"=").append(value);
  return pair;
}

std::u16string SignPair(std::u16string_view key, std::u16string_view value) {
  return std::u16string(key).append(value);
}

void AddIdentityParams(CParamMap& params, const TRequestIdentity& identity) {
  params.Insert(u"qid", ToU16(identity.qid));
  params.Insert(u"softid", ToU16(identity.softid));
  params.Insert(u"av", ToU16(identity.av));
  params.Insert(u"category", ToU16(identity.category));
  params.Insert(u"version", identity.version);
  params.Insert(u"os", ToU16(identity.osCode));
  params.Insert(u"vmware", Flag(identity.virtualMachine));
  params.Insert(u"special", Flag(identity.special));
}

std::u16string BuildSignedBody(CParamMap& params, const TRequestIdentity& identity,
                               const TSignedExtras& extras, std::u16string_view excludedKey,
                               std::u16string_view excludedValue) {
  if (!excludedKey.empty()) params.Insert(std::u16string(excludedKey), std::u16string(excludedValue));
  params.Insert(u"mac", extras.fingerprint);
  params.Insert(u"signatureNonce", ToU16(extras.nonce));
  params.Insert(u"timestamp", ToU16(extras.timestamp));
  params.Insert(u"instTime", ToU16(extras.instTime));
  AddIdentityParams(params, identity);

  std::u16string body;
  std::u16string signInput;
  for (const auto& [key, value] : params) {
    if (excludedKey.empty() || key != excludedKey) body += FormPair(key, value, !body.empty());
    signInput += SignPair(key, value);
  }
  signInput += kSigningKey;
  const std::string signature = Md5HexOf(platform::WideToAnsi(signInput));
  return body + FormPair(u"signature", Utf8ToUtf16(signature), true);
}

std::u16string BuildQueryString(CParamMap& params, const TRequestIdentity& identity) {
  AddIdentityParams(params, identity);
  std::u16string query;
  for (const auto& [key, value] : params) query += FormPair(key, value, !query.empty());
  return query;
}

int32_t NextCrtRand(uint32_t* state) {
  // The C runtime's rand(): a seeded linear congruence.
  *state = *state * 214013u + 2531011u;
  return static_cast<int32_t>((*state >> 16) & 0x7FFF);
}
