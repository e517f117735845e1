// The unsigned query endpoints and their payload rules.
#include "common/text.h"
#include "server_api/connect_help.h"

bool CConnectHelp::HasPayload(const JsonPtr& reply) {
  return !json_is_null(json_object_get(reply.get(), "recordset"));
}

const json_t* CConnectHelp::Recordset(const JsonPtr& reply) {
  return json_object_get(reply.get(), "recordset");
}

bool CConnectHelp::CopyPayload(const JsonPtr& reply, char16_t* buffer, size_t size) {
  const json_t* recordset = Recordset(reply);
  if (recordset == nullptr || json_is_null(recordset)) return false;
  return buffer == nullptr || CopyBounded(CompactJsonText(recordset), buffer, size);
}

bool CConnectHelp::QueryUninstall() {
  CParamMap params;
  params.Insert(u"mac", Fingerprint());
  JsonPtr reply;
  if (!GetUnsigned(u"api/default/uninstall", std::move(params), &reply)) return true;
  // Only a text answer decides; anything else is treated like no answer.
  const json_t* recordset = Recordset(reply);
  return !json_is_string(recordset) || JsonStringValue(recordset) == u"no";
}

bool CConnectHelp::GetInstallConfig(int32_t* shellMenu, int32_t* desktopIcon, int32_t* startMenu,
                                    int32_t* taskBar) {
  if (shellMenu) *shellMenu = 1;
  if (desktopIcon) *desktopIcon = 1;
  if (startMenu) *startMenu = 1;
  if (taskBar) *taskBar = 0;
  JsonPtr reply;
  if (!GetUnsigned(u"api/config/installCfg", {}, &reply) || !HasPayload(reply)) return false;
  const json_t* recordset = Recordset(reply);
  if (shellMenu) *shellMenu = JsonIntMember(recordset, "shellMenu");
  if (desktopIcon) *desktopIcon = JsonIntMember(recordset, "desktopIcon");
  if (startMenu) *startMenu = JsonIntMember(recordset, "startMenu");
  if (taskBar) *taskBar = JsonIntMember(recordset, "taskBar");
  return true;
}

bool CConnectHelp::GetPopupConfig(char16_t* buffer, size_t size) {
  JsonPtr reply;
  return GetUnsigned(u"api/popup/popup", {}, &reply) && CopyPayload(reply, buffer, size);
}

bool CConnectHelp::GetDropPacketConfig() {
  JsonPtr reply;
  return GetUnsigned(u"api/config/setDp", {}, &reply) && HasPayload(reply) &&
         JsonIntMember(Recordset(reply), "DropPacket") == 1;
}

bool CConnectHelp::GetCompetitorConfig(std::u16string* json, int32_t v) {
  CParamMap params;
  params.Insert(u"v", ToU16(v));
  JsonPtr reply;
  if (!GetUnsigned(u"api/config/competitor", std::move(params), &reply) || !HasPayload(reply)) {
    return false;
  }
  const json_t* recordset = Recordset(reply);
  if (json) *json = recordset ? CompactJsonText(recordset) : std::u16string();
  return true;
}

bool CConnectHelp::QueryPlug(std::u16string* plugKey, std::u16string* crx, std::u16string* json) {
  JsonPtr reply;
  if (!GetUnsigned(u"api/update/plug", {}, &reply) || !HasPayload(reply)) return false;
  const json_t* recordset = Recordset(reply);
  if (plugKey) *plugKey = JsonStringMember(recordset, "plugkey");
  if (crx) *crx = JsonStringMember(recordset, "crx");
  if (json) *json = JsonStringMember(recordset, "json");
  return true;
}

bool CConnectHelp::GetConfig(std::u16string* json) {
  JsonPtr reply;
  if (!GetUnsigned(u"api/config/get", {}, &reply)) return false;
  const json_t* recordset = Recordset(reply);
  if (recordset == nullptr || json_is_null(recordset)) return false;
  if (json) *json = CompactJsonText(recordset);
  return true;
}

bool CConnectHelp::GetDeInitConfig(int32_t module, int32_t dv, std::u16string* url, int32_t* outDv) {
  CParamMap params;
  params.Insert(u"module", ToU16(module));
  params.Insert(u"dv", ToU16(dv));
  JsonPtr reply;
  if (!GetUnsigned(u"api/default/deInit", std::move(params), &reply) || !HasPayload(reply)) {
    return false;
  }
  const json_t* config = json_object_get(Recordset(reply), "config");
  if (json_is_object(config)) {
    if (url) *url = JsonStringMember(config, "url");
    if (outDv) *outDv = JsonIntMember(config, "dv");
  }
  return true;
}

bool CConnectHelp::QueryIsps() {
  JsonPtr reply;
  return GetUnsigned(u"api/default/isps", {}, &reply) && HasPayload(reply) &&
         JsonIntMember(Recordset(reply), "isps") == 1;
}
