// The two request forms: the signed form body and the unsigned query string.
#include "common/md5.h"
#include "common/text.h"
#include "platform/codepage.h"
#include "server_api/client_facts.h"
#include "server_api/http_client.h"

namespace {

std::u16string Flag(bool value) { return value ? u"true" : u"false"; }

}  // namespace

// The identity every request carries, signed or not. The map orders its
// keys itself and keeps the first value of a key, so an endpoint's own
// parameter of the same name wins.
void CHttpClient::AddIdentityParams(CParamMap& params) {
  params.Insert(u"qid", ToU16(m_qid));
  params.Insert(u"softid", ToU16(m_softid));
  params.Insert(u"av", ToU16(m_av));
  params.Insert(u"category", ToU16(m_category));
  params.Insert(u"version", m_version);
  params.Insert(u"os", ToU16(m_osCode));
  params.Insert(u"vmware", Flag(IsVirtualMachineFlagSet()));
  params.Insert(u"special", Flag(m_special != 0));
}

std::u16string CHttpClient::FormPair(std::u16string_view key, std::u16string_view value,
                                     bool separate) {
  std::u16string pair = separate ? u"&" : u"";
  pair.append(key).append(u"=").append(value);
  return pair;
}

std::u16string CHttpClient::SignPair(std::u16string_view key, std::u16string_view value) {
  return std::u16string(key).append(value);
}

int32_t CHttpClient::NextNonce() {
  // The C runtime's rand(): values 0..32767 from a seeded linear congruence.
  m_randomState = m_randomState * 214013u + 2531011u;
  return static_cast<int32_t>((m_randomState >> 16) & 0x7FFF);
}

std::u16string CHttpClient::BuildSignedBody(CParamMap& params, std::u16string_view excludedKey,
                                            std::u16string_view excludedValue) {
  if (!excludedKey.empty()) params.Insert(std::u16string(excludedKey), std::u16string(excludedValue));
  params.Insert(u"mac", m_fingerprint);
  params.Insert(u"signatureNonce", ToU16(NextNonce()));
  params.Insert(u"timestamp", ToU16(GetTimestamp()));
  params.Insert(u"instTime", ToU16(m_instTime));
  AddIdentityParams(params);

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

std::u16string CHttpClient::BuildQueryString(CParamMap& params) {
  AddIdentityParams(params);
  std::u16string query;
  for (const auto& [key, value] : params) query += FormPair(key, value, !query.empty());
  return query;
}
