#include "server_api/server_connect.h"

#include "server_api/connect_help.h"

CConnectHelp& ProcessClient() {
  static CConnectHelp client;
  return client;
}

CServerConnect* GetServerConnect() { return &ProcessClient(); }
