#include "app/close_ad.h"

#include "platform/system/process.h"
#include "server_api/server_connect.h"
#include "settings/cfg_pop_mgr.h"

namespace {

constexpr char16_t kPageProgram[] = u"ORVPage.exe";

}  // namespace

void CloseAdRequest() {
  CCfgPopMgr settings;
  const int64_t now = GetServerConnect()->GetTimestamp();
  (void)settings.WriteQword(u"CloseAdTime", static_cast<uint64_t>(now));
  (void)EndPageProcess();
}

bool EndPageProcess() {
  const uint32_t self = platform::CurrentProcessId();
  for (const auto& entry : platform::SnapshotProcesses()) {
    if (entry.pid == self || entry.exeName.find(kPageProgram) == std::u16string::npos) continue;
    return platform::TerminateProcess(entry.pid);
  }
  return true;
}
