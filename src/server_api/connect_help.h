// CConnectHelp: one method per API endpoint, on the request forms of CHttpClient.
#pragma once

#include <memory>
#include <optional>

#include "server_api/http_client.h"
#include "server_api/update_server.h"

class CConnectHelp : public CHttpClient {
 public:
  // A client with the machine's facts and the base URL of the current mode.
  CConnectHelp();
  explicit CConnectHelp(CClientSetup setup);

  bool ReportInstallPrepare() override;
  bool QueryUninstall() override;
  bool ReportInstallCancel() override;
  bool ReportInstalled() override;
  bool ReportUninstalled() override;
  bool GetInstallConfig(int32_t* shellMenu, int32_t* desktopIcon, int32_t* startMenu,
                        int32_t* taskBar) override;
  bool ReportUpdated() override;
  bool ReportLaunchModule(int32_t parent, int32_t child, bool success) override;
  bool ReportStartup(int32_t module, int32_t parent) override;
  bool ReportRepair(int32_t module) override;
  bool ReportRepairV2(int32_t module) override;
  bool ReportWindowPrePop(int32_t popup, int32_t bindId) override;
  bool ReportWindowPop(int32_t popup, int32_t bindId) override;
  bool ReportNoShowIn7Day(int32_t mini) override;
  bool ReportCrash(int32_t module) override;
  bool ReportCom(int32_t opp) override;
  bool QueryUpdate(char16_t* version, size_t versionSize, char16_t* url, size_t urlSize, char16_t* md5Url,
                   size_t md5UrlSize, bool silent) override;
  // The update query's answer as values: nothing when the check failed, three
  // empty texts when the server offers nothing.
  std::optional<TUpdateOffer> QueryUpdateOffer(bool silent);
  bool GetPopupConfig(char16_t* buffer, size_t size) override;
  bool GetDropPacketConfig() override;
  bool ReportDropPacket(char16_t* buffer, size_t size) override;
  bool GetCompetitorConfig(std::u16string* json, int32_t v) override;
  bool QueryPlug(std::u16string* plugKey, std::u16string* crx, std::u16string* json) override;
  bool ReportPlugCount(const std::u16string& plugKey) override;
  bool GetConfig(std::u16string* json) override;
  bool ReportBindInstalled(const std::u16string& bindId) override;
  bool StartComponent(const std::u16string& name, const char16_t* command) override;
  bool GetDeInitConfig(int32_t module, int32_t dv, std::u16string* url, int32_t* outDv) override;
  bool QueryIsps() override;

 private:
  // The update query's accepted reply in *reply and its "recordset" (JSON
  // null: no update); false when the check failed.
  bool QueryUpdateRecord(bool silent, JsonPtr* reply, const json_t** recordset);
  // A signed report with the given parameters: true when accepted.
  bool Report(std::u16string_view path, CParamMap params = {});
  // True unless "recordset" is JSON null: a reply without one counts as
  // having a payload whose values all read as 0 or empty.
  static bool HasPayload(const JsonPtr& reply);
  // "recordset", or null when the reply has none.
  static const json_t* Recordset(const JsonPtr& reply);
  // The payload as JSON text into a caller buffer; false without a payload or
  // when the text does not fit.
  static bool CopyPayload(const JsonPtr& reply, char16_t* buffer, size_t size);
};

// A client of its own for one update job, copied from client as it is now.
std::shared_ptr<IUpdateServer> MakeUpdateServer(const CConnectHelp& client);
