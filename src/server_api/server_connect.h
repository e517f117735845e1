// CServerConnect: the API server client the program shares; an update job
// asks a copy of its own instead (server_api/update_server.h).
//
// Operations are declared in their fixed slot order. Every operation reports
// failure by its result; out-parameters are left as they were on failure
// unless the operation says otherwise. The client has no lock: one request
// at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server_api/download_callback.h"
#include "server_api/json_doc.h"
#include "server_api/param_map.h"

class CServerConnect {
 public:
  virtual ~CServerConnect() = default;

  // 0: stores the identity values sent with every request, then synchronises
  // the clock with the server; returns whether that synchronisation worked.
  virtual bool Init(int32_t softid, int32_t qid, const std::u16string& version, int32_t av, int32_t category,
                    int64_t instTime, int32_t special) = 0;

  // 1-25: endpoints. Report* are signed POSTs true when the server accepted
  // them; Get*/Query* are unsigned GETs.
  virtual bool ReportInstallPrepare() = 0;
  // True unless the server accepted the request and answered with a string
  // other than "no" (a missing or non-string answer counts as no answer: true).
  virtual bool QueryUninstall() = 0;
  virtual bool ReportInstallCancel() = 0;
  virtual bool ReportInstalled() = 0;
  virtual bool ReportUninstalled() = 0;
  // Presets the non-null outs to 1, 1, 1, 0; on an accepted reply with data
  // they receive the server's integers and the result is true.
  virtual bool GetInstallConfig(int32_t* shellMenu, int32_t* desktopIcon, int32_t* startMenu,
                                int32_t* taskBar) = 0;
  virtual bool ReportUpdated() = 0;
  virtual bool ReportLaunchModule(int32_t parent, int32_t child, bool success) = 0;
  virtual bool ReportStartup(int32_t module, int32_t parent) = 0;
  virtual bool ReportRepair(int32_t module) = 0;
  virtual bool ReportRepairV2(int32_t module) = 0;
  virtual bool ReportWindowPrePop(int32_t popup, int32_t bindId) = 0;
  virtual bool ReportWindowPop(int32_t popup, int32_t bindId) = 0;
  virtual bool ReportNoShowIn7Day(int32_t mini) = 0;
  virtual bool ReportCrash(int32_t module) = 0;
  virtual bool ReportCom(int32_t opp) = 0;
  // Asks whether a newer installer exists. False when the request failed, the
  // server refused it, or a value does not fit its buffer (sizes in
  // characters, terminator included; nothing is written then). True with the
  // buffers untouched when there is no data; else the three texts are copied.
  virtual bool QueryUpdate(char16_t* version, size_t versionSize, char16_t* url, size_t urlSize,
                           char16_t* md5Url, size_t md5UrlSize, bool silent) = 0;
  // The payload as compact JSON into buffer (no copy when buffer is null).
  // False when refused, without payload, or when the text does not fit.
  virtual bool GetPopupConfig(char16_t* buffer, size_t size) = 0;
  virtual bool GetDropPacketConfig() = 0;
  // As GetPopupConfig, for the drop-packet report's answer.
  virtual bool ReportDropPacket(char16_t* buffer, size_t size) = 0;
  virtual bool GetCompetitorConfig(std::u16string* json, int32_t v) = 0;
  virtual bool QueryPlug(std::u16string* plugKey, std::u16string* crx, std::u16string* json) = 0;
  virtual bool ReportPlugCount(const std::u16string& plugKey) = 0;
  virtual bool GetConfig(std::u16string* json) = 0;
  virtual bool ReportBindInstalled(const std::u16string& bindId) = 0;

  // 26: downloads url into memory, then writes it to path (missing folders
  // are created, an existing file is replaced); true when the file was written.
  // False without a request when path's folder is a link or junction.
  virtual bool DownloadToFile(const std::u16string& url, const std::u16string& path,
                              CDownLoadCallBack* callback) = 0;
  // 27: downloads url into the client's download buffer (emptied first).
  virtual bool DownloadToMemory(const std::u16string& url, CDownLoadCallBack* callback) = 0;
  // 28: bytes in the download buffer.
  virtual uint32_t GetDownloadedSize() = 0;
  // 29: copies min(downloaded, size) bytes into buffer; returns the count.
  virtual uint32_t CopyDownloaded(void* buffer, uint32_t size) = 0;
  // 30: asks for an upload URL for key and PUTs the file there; true when the
  // storage server accepted it (2xx).
  virtual bool UploadFile(const std::u16string& key, const std::u16string& path) = 0;
  // 31: seconds since 1970-01-01 UTC on the server's clock (local time minus
  // the offset measured by Init).
  virtual int64_t GetTimestamp() = 0;
  // 32: asks the product's local service (pipe "OrvaneSvcLpc") to start the
  // program name of the install folder with the command text (null for
  // none). True only when the service answered within 1 s with a "result"
  // that is true or a non-zero integer; false when it cannot be reached,
  // answers late, answers with an error or with anything else.
  virtual bool StartComponent(const std::u16string& name, const char16_t* command) = 0;
  // 33-34: endpoints.
  virtual bool GetDeInitConfig(int32_t module, int32_t dv, std::u16string* url, int32_t* outDv) = 0;
  virtual bool QueryIsps() = 0;

  // 36: sets the clock offset from the server's "microtime/"; false (offset
  // kept) when the server did not answer with status 200 and a time.
  virtual bool SyncServerTime() = 0;
  // 37: signed report of totals.
  virtual bool PostRecord(int32_t total, int32_t fail) = 0;
  // 38: the upload URL the server hands out for key; empty on any failure.
  virtual std::u16string GetPutUrl(const std::u16string& key) = 0;
  // 39-40: one request whose reply must be non-empty JSON; *document is reset
  // first and holds the parsed reply on success. The HTTP status is not looked at.
  virtual bool HttpPost(const std::u16string& url, const std::u16string& body, JsonPtr* document) = 0;
  virtual bool HttpGet(const std::u16string& url, JsonPtr* document) = 0;
  // 41: PUTs a whole non-empty file; true when the server answered 2xx.
  virtual bool HttpPutFile(const std::u16string& url, const std::u16string& path) = 0;
  // 42-43: the envelope: "status" is the JSON integer 200; "message" is
  // exactly the string "success".
  virtual bool IsStatusOk(const json_t* document) = 0;
  virtual bool IsMessageSuccess(const json_t* document) = 0;
  // 44: the Windows version code sent as "os".
  virtual int32_t GetOsCode() = 0;
  // 45: "&" (when separate), key, "=", value.
  virtual std::u16string FormPair(std::u16string_view key, std::u16string_view value, bool separate) = 0;
  // 46: key followed by value.
  virtual std::u16string SignPair(std::u16string_view key, std::u16string_view value) = 0;
  // 47: adds the common parameters to params (the excluded pair first, when
  // excludedKey is non-empty) and returns the form body with its signature;
  // the excluded pair is signed but left out of the body.
  virtual std::u16string BuildSignedBody(CParamMap& params, std::u16string_view excludedKey,
                                         std::u16string_view excludedValue) = 0;
  // 48: adds the common unsigned parameters and returns the query string.
  virtual std::u16string BuildQueryString(CParamMap& params) = 0;
};

// The process's client, created on first use and destroyed at exit.
CServerConnect* GetServerConnect();
