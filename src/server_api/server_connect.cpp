#include "server_api/server_connect.h"

#include "server_api/connect_help.h"
#include "server_api/update_server.h"

namespace {

CConnectHelp& ProcessClient() {
  static CConnectHelp client;
  return client;
}

}  // namespace

CServerConnect* GetServerConnect() { return &ProcessClient(); }

std::shared_ptr<IUpdateServer> MakeUpdateServer() { return MakeUpdateServer(ProcessClient()); }
