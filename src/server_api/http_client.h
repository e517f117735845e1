// CHttpClient: the request forms, signature, clock, transport use and
// downloads of the API client. Still abstract: the endpoints are CConnectHelp's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server_api/request_signing.h"
#include "server_api/server_connect.h"
#include "server_api/transfer_limits.h"

// What a client is built with. DefaultClientSetup() gives the real values;
// tests substitute a fixed clock, seed or identity.
struct CClientSetup {
  std::u16string fingerprint;      // "mac"
  int32_t osCode = 0;              // "os"
  std::u16string signedBase;       // ends in "/"
  std::u16string queryBase;        // ends in "/"
  uint32_t seed = 0;               // of the "signatureNonce" sequence
  std::function<int64_t()> clock;  // local seconds since 1970 UTC; system clock when empty
  CTransferLimits limits;          // bounds on exchanges beyond the timeouts
};

// The machine facts, a seed from the clock, and the base URL of the mode the
// program is in now: ApiBaseUrl(IsTestMode()).
CClientSetup DefaultClientSetup();

// API replies (not downloads) larger than this are refused.
inline constexpr uint64_t kMaxApiReplyBytes = 16u * 1024 * 1024;

class CHttpClient : public CServerConnect {
 public:
  explicit CHttpClient(CClientSetup setup);

  bool Init(int32_t softid, int32_t qid, const std::u16string& version, int32_t av, int32_t category,
            int64_t instTime, int32_t special) override;
  bool DownloadToFile(const std::u16string& url, const std::u16string& path,
                      CDownLoadCallBack* callback) override;
  bool DownloadToMemory(const std::u16string& url, CDownLoadCallBack* callback) override;
  // The bytes at url, held by nobody else; nothing when the download failed.
  std::optional<std::vector<uint8_t>> DownloadBytes(const std::u16string& url, CDownLoadCallBack* callback);
  uint32_t GetDownloadedSize() override;
  uint32_t CopyDownloaded(void* buffer, uint32_t size) override;
  bool UploadFile(const std::u16string& key, const std::u16string& path) override;
  int64_t GetTimestamp() override;
  bool SyncServerTime() override;
  bool PostRecord(int32_t total, int32_t fail) override;
  std::u16string GetPutUrl(const std::u16string& key) override;
  bool HttpPost(const std::u16string& url, const std::u16string& body, JsonPtr* document) override;
  bool HttpGet(const std::u16string& url, JsonPtr* document) override;
  bool HttpPutFile(const std::u16string& url, const std::u16string& path) override;
  bool IsStatusOk(const json_t* document) override;
  // Reads the server's clock ("time", a JSON number cut toward zero) from an
  // accepted "microtime/" reply. False when it is missing, not a number or
  // outside the years 2000 to 2099: such a clock cannot be the server's and
  // would overflow the offset arithmetic.
  [[nodiscard]] static bool ReadServerTime(const json_t* reply, int64_t* seconds);
  bool IsMessageSuccess(const json_t* document) override;
  int32_t GetOsCode() override;
  std::u16string FormPair(std::u16string_view key, std::u16string_view value, bool separate) override;
  std::u16string SignPair(std::u16string_view key, std::u16string_view value) override;
  std::u16string BuildSignedBody(CParamMap& params, std::u16string_view excludedKey,
                                 std::u16string_view excludedValue) override;
  std::u16string BuildQueryString(CParamMap& params) override;

 protected:
  // The signed request for path: true with the accepted reply in *reply.
  bool PostSigned(std::u16string_view path, CParamMap params, JsonPtr* reply);
  // The unsigned request for path: true with the accepted reply in *reply.
  bool GetUnsigned(std::u16string_view path, CParamMap params, JsonPtr* reply);
  // The reply parsed and its envelope accepted.
  bool IsAccepted(const json_t* document);
  const std::u16string& Fingerprint() const { return m_fingerprint; }

 private:
  bool SendJsonRequest(std::u16string_view verb, const std::u16string& url, const std::u16string* body,
                       JsonPtr* document);
  int64_t LocalTime() const;
  // The identity of a request now (the virtual-machine flag read afresh).
  TRequestIdentity Identity() const;

  std::u16string m_fingerprint;
  std::u16string m_signedBase;
  std::u16string m_queryBase;
  std::u16string m_version;
  int32_t m_osCode = 0;
  int64_t m_clockOffset = 0;
  int32_t m_qid = 1;
  int32_t m_softid = 1;
  int32_t m_special = 0;
  int32_t m_av = 0;
  int32_t m_category = 0;
  int64_t m_instTime = 0;
  std::vector<uint8_t> m_download;  // bytes, then one zero byte
  uint32_t m_downloadLength = 0;
  uint32_t m_randomState = 0;
  std::function<int64_t()> m_clock;
  CTransferLimits m_limits;
};
