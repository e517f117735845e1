#include "server_api/server_connect.h"

#include "server_api/connect_help.h"

CServerConnect* GetServerConnect() {
  static CConnectHelp client;
  return &client;
}
