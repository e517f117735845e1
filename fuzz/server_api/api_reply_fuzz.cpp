// Feeds arbitrary bytes to the API client as the body of every reply: the
// envelope check, the clock, the update offer, the put URL and the other
// query replies read them exactly as they read a server's answer. Nothing
// goes to the network: the two exchange operations hand back the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server_api/connect_help.h"
#include "server_api/json_doc.h"

namespace {

class CReplayConnect final : public CConnectHelp {
 public:
  explicit CReplayConnect(std::string_view reply)
      : CConnectHelp(CClientSetup{u"FP", 0, u"http://127.0.0.1/", u"http://127.0.0.1/", 1,
                                  [] { return int64_t{1700000000}; }, CTransferLimits{}}),
        m_reply(reply) {}

  bool HttpPost(const std::u16string&, const std::u16string&, JsonPtr* document) override {
    return Replay(document);
  }
  bool HttpGet(const std::u16string&, JsonPtr* document) override { return Replay(document); }

 private:
  bool Replay(JsonPtr* document) {
    *document = ParseJson(m_reply);
    return *document != nullptr;
  }

  std::string_view m_reply;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CReplayConnect client(std::string_view(reinterpret_cast<const char*>(data), size));
  (void)client.SyncServerTime();
  (void)client.GetTimestamp();
  char16_t version[64], url[1024], md5[1024];
  (void)client.QueryUpdate(version, 64, url, 1024, md5, 1024, true);
  (void)client.GetPutUrl(u"dumps/x.zip");
  int32_t shell = 0, desktop = 0, start = 0, other = 0;
  (void)client.GetInstallConfig(&shell, &desktop, &start, &other);
  char16_t popup[512];
  (void)client.GetPopupConfig(popup, 512);
  std::u16string a, b, c;
  (void)client.QueryPlug(&a, &b, &c);
  int32_t dv = 0;
  (void)client.GetDeInitConfig(2, 1, &a, &dv);
  (void)client.ReportStartup(2, 102);
  return 0;
}
