// The update query: the server decides whether a newer installer is on offer.
#include "server_api/connect_help.h"

bool CConnectHelp::QueryUpdate(char16_t* version, size_t versionSize, char16_t* url,
                               size_t urlSize, char16_t* md5Url, size_t md5UrlSize, bool silent) {
  CParamMap params;
  params.Insert(u"slience", silent ? u"1" : u"0");
  JsonPtr reply;
  if (!GetUnsigned(u"api/update/v2", std::move(params), &reply)) return false;
  const json_t* recordset = Recordset(reply);
  if (json_is_null(recordset)) return true;
  const std::u16string texts[] = {JsonStringMember(recordset, "version"),
                                  JsonStringMember(recordset, "url"),
                                  JsonStringMember(recordset, "md5")};
  // A cut URL or version would point elsewhere: either all three fit or none is written.
  if (texts[0].size() >= versionSize || texts[1].size() >= urlSize ||
      texts[2].size() >= md5UrlSize) {
    return false;
  }
  return CopyBounded(texts[0], version, versionSize) && CopyBounded(texts[1], url, urlSize) &&
         CopyBounded(texts[2], md5Url, md5UrlSize);
}
