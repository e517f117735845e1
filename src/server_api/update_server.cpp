#include "server_api/update_server.h"

#include <vector>

#include "platform/system/codepage.h"
#include "server_api/connect_help.h"

namespace {

class CUpdateServer : public IUpdateServer {
 public:
  explicit CUpdateServer(const CConnectHelp& client) : m_client(client) {}

  std::optional<TUpdateOffer> QueryUpdate(bool silent) override {
    std::optional<TUpdateOffer> offer = m_client.QueryUpdateOffer(silent);
    if (!offer) return std::nullopt;
    for (const std::u16string* text : {&offer->version, &offer->installerUrl, &offer->checksumUrl}) {
      if (text->size() > kMaxOfferTextLength) return std::nullopt;
    }
    return offer;
  }

  std::optional<std::u16string> FetchText(const std::u16string& url) override {
    std::optional<std::vector<uint8_t>> bytes = m_client.DownloadBytes(url, nullptr);
    if (!bytes) return std::nullopt;
    bytes->push_back(0);
    return platform::AnsiToWide(reinterpret_cast<const char*>(bytes->data()));
  }

  bool DownloadToFile(const std::u16string& url, const std::u16string& path,
                      CDownLoadCallBack* callback) override {
    return m_client.DownloadToFile(url, path, callback);
  }

 private:
  CConnectHelp m_client;
};

}  // namespace

std::shared_ptr<IUpdateServer> MakeUpdateServer(const CConnectHelp& client) {
  return std::make_shared<CUpdateServer>(client);
}
