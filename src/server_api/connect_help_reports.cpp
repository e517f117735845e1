// The signed report endpoints.
#include "common/text.h"
#include "server_api/connect_help.h"

CConnectHelp::CConnectHelp() : CHttpClient(DefaultClientSetup()) {}
CConnectHelp::CConnectHelp(CClientSetup setup) : CHttpClient(std::move(setup)) {}

bool CConnectHelp::Report(std::u16string_view path, CParamMap params) {
  JsonPtr reply;
  return PostSigned(path, std::move(params), &reply);
}

bool CConnectHelp::ReportInstallPrepare() { return Report(u"api/statistics/soft/installPrepare"); }
bool CConnectHelp::ReportInstallCancel() { return Report(u"api/statistics/soft/installCancel"); }
bool CConnectHelp::ReportInstalled() { return Report(u"api/statistics/soft/installed"); }
bool CConnectHelp::ReportUninstalled() { return Report(u"api/statistics/soft/uninstalled"); }
bool CConnectHelp::ReportUpdated() { return Report(u"api/statistics/soft/updated"); }

bool CConnectHelp::ReportLaunchModule(int32_t parent, int32_t child, bool success) {
  CParamMap params;
  params.Insert(u"Parent", ToU16(parent));
  params.Insert(u"Child", ToU16(child));
  params.Insert(u"success", success ? u"1" : u"0");
  return Report(u"api/statistics/soft/launchModule", std::move(params));
}

bool CConnectHelp::ReportStartup(int32_t module, int32_t parent) {
  CParamMap params;
  params.Insert(u"module", ToU16(module));
  params.Insert(u"Parent", ToU16(parent));
  return Report(u"api/statistics/soft/startup", std::move(params));
}

namespace {

CParamMap One(const char16_t* key, int32_t value) {
  CParamMap params;
  params.Insert(key, ToU16(value));
  return params;
}

CParamMap PopupParams(int32_t popup, int32_t bindId) {
  CParamMap params;
  params.Insert(u"popup", ToU16(popup));
  params.Insert(u"bind_id", ToU16(bindId));
  return params;
}

}  // namespace

bool CConnectHelp::ReportRepair(int32_t module) {
  return Report(u"api/statistics/soft/repair", One(u"module", module));
}
bool CConnectHelp::ReportRepairV2(int32_t module) {
  return Report(u"api/statistics/soft/repairV2", One(u"module", module));
}
bool CConnectHelp::ReportWindowPrePop(int32_t popup, int32_t bindId) {
  return Report(u"api/statistics/soft/windowprepop", PopupParams(popup, bindId));
}
bool CConnectHelp::ReportWindowPop(int32_t popup, int32_t bindId) {
  return Report(u"api/statistics/soft/windowpopv2", PopupParams(popup, bindId));
}
bool CConnectHelp::ReportNoShowIn7Day(int32_t mini) {
  return Report(u"api/statistics/soft/NoShowIn7Day", One(u"mini", mini));
}
bool CConnectHelp::ReportCrash(int32_t module) {
  return Report(u"api/statistics/soft/crash", One(u"module", module));
}
bool CConnectHelp::ReportCom(int32_t opp) { return Report(u"api/statistics/soft/com", One(u"opp", opp)); }

bool CConnectHelp::ReportBindInstalled(const std::u16string& bindId) {
  CParamMap params;
  params.Insert(u"bindid", bindId);
  return Report(u"api/statistics/bind/installed", std::move(params));
}

bool CConnectHelp::ReportPlugCount(const std::u16string& plugKey) {
  CParamMap params;
  params.Insert(u"plugkey", plugKey);
  JsonPtr reply;
  return PostSigned(u"api/update/plugCount", std::move(params), &reply) && HasPayload(reply);
}

bool CConnectHelp::ReportDropPacket(char16_t* buffer, size_t size) {
  JsonPtr reply;
  return PostSigned(u"api/statistics/soft/dropPacket", {}, &reply) && CopyPayload(reply, buffer, size);
}
