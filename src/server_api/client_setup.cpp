#include <chrono>

#include "paths_and_log/folders.h"
#include "server_api/api_base.h"
#include "server_api/client_facts.h"
#include "server_api/http_client.h"

CClientSetup DefaultClientSetup() {
  CClientSetup setup;
  setup.fingerprint = GetMachineFingerprint();
  setup.osCode = GetOsCode();
  // Test mode is decided once, here; both bases follow it for the client's life.
  setup.signedBase = ApiBaseUrl(IsTestMode());
  setup.queryBase = setup.signedBase;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  setup.seed = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
  return setup;
}
