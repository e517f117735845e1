// The two request forms with this client's identity, clock and nonce
// sequence (the forms themselves: request_signing.cpp).
#include "server_api/client_facts.h"
#include "server_api/http_client.h"
#include "server_api/request_signing.h"

TRequestIdentity CHttpClient::Identity() const {
  TRequestIdentity identity;
  identity.qid = m_qid;
  identity.softid = m_softid;
  identity.av = m_av;
  identity.category = m_category;
  identity.version = m_version;
  identity.osCode = m_osCode;
  identity.virtualMachine = IsVirtualMachineFlagSet();  // read afresh for every request
  identity.special = m_special != 0;
  return identity;
}

std::u16string CHttpClient::FormPair(std::u16string_view key, std::u16string_view value, bool separate) {
  return ::FormPair(key, value, separate);
}

std::u16string CHttpClient::SignPair(std::u16string_view key, std::u16string_view value) {
  return ::SignPair(key, value);
}

std::u16string CHttpClient::BuildSignedBody(CParamMap& params, std::u16string_view excludedKey,
                                            std::u16string_view excludedValue) {
  const TSignedExtras extras{m_fingerprint, m_instTime, GetTimestamp(), NextCrtRand(&m_randomState)};
  return ::BuildSignedBody(params, Identity(), extras, excludedKey, excludedValue);
}

std::u16string CHttpClient::BuildQueryString(CParamMap& params) {
  return ::BuildQueryString(params, Identity());
}
