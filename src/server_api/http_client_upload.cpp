// The two-step upload (an upload URL from the API server, then a PUT to
// storage) and the signed record report.
#include "common/text.h"
#include "server_api/http_client.h"

bool CHttpClient::PostRecord(int32_t total, int32_t fail) {
  CParamMap params;
  params.Insert(u"total", ToU16(total));
  params.Insert(u"fail", ToU16(fail));
  JsonPtr reply;
  return PostSigned(u"api/statistics/soft/postRecord", std::move(params), &reply);
}

std::u16string CHttpClient::GetPutUrl(const std::u16string& key) {
  CParamMap params;
  params.Insert(u"filepath", key);
  JsonPtr reply;
  if (!PostSigned(u"api/default/getPutUrl", std::move(params), &reply)) return {};
  return JsonStringValue(json_object_get(reply.get(), "recordset"));
}

bool CHttpClient::UploadFile(const std::u16string& key, const std::u16string& path) {
  // An empty URL is not checked here: the transport refuses it.
  return HttpPutFile(GetPutUrl(key), path);
}
