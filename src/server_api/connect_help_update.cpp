// The update query: the server decides whether a newer installer is on offer.
#include "server_api/connect_help.h"

namespace {

TUpdateOffer OfferOf(const json_t* recordset) {
  return TUpdateOffer{JsonStringMember(recordset, "version"), JsonStringMember(recordset, "url"),
                      JsonStringMember(recordset, "md5")};
}

}  // namespace

bool CConnectHelp::QueryUpdateRecord(bool silent, JsonPtr* reply, const json_t** recordset) {
  CParamMap params;
  params.Insert(u"slience", silent ? u"1" : u"0");
  if (!GetUnsigned(u"api/update/v2", std::move(params), reply)) return false;
  *recordset = Recordset(*reply);
  return true;
}

bool CConnectHelp::QueryUpdate(char16_t* version, size_t versionSize, char16_t* url, size_t urlSize,
                               char16_t* md5Url, size_t md5UrlSize, bool silent) {
  JsonPtr reply;
  const json_t* recordset = nullptr;
  if (!QueryUpdateRecord(silent, &reply, &recordset)) return false;
  if (json_is_null(recordset)) return true;
  const TUpdateOffer offer = OfferOf(recordset);
  // A cut URL or version would point elsewhere: either all three fit or none is written.
  if (offer.version.size() >= versionSize || offer.installerUrl.size() >= urlSize ||
      offer.checksumUrl.size() >= md5UrlSize) {
    return false;
  }
  return CopyBounded(offer.version, version, versionSize) && CopyBounded(offer.installerUrl, url, urlSize) &&
         CopyBounded(offer.checksumUrl, md5Url, md5UrlSize);
}

std::optional<TUpdateOffer> CConnectHelp::QueryUpdateOffer(bool silent) {
  JsonPtr reply;
  const json_t* recordset = nullptr;
  if (!QueryUpdateRecord(silent, &reply, &recordset)) return std::nullopt;
  if (json_is_null(recordset)) return TUpdateOffer{};
  return OfferOf(recordset);
}
