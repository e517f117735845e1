#include "app/run_modes.h"

#include "app/main_module.h"
#include "app/run_mode_steps.h"
#include "common/md5.h"
#include "common/product.h"
#include "common/text.h"
#include "paths_and_log/folders.h"
#include "paths_and_log/log.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/environment.h"
#include "platform/machine_facts.h"
#include "platform/process.h"
#include "platform/process_command_line.h"
#include "platform/sleep.h"
#include "platform/window_activation.h"
#include "platform/window_system.h"
#include "settings/cfg_app.h"

namespace {

constexpr char16_t kStartBySwitch[] = u"-startby=";
// Hashed with the computer name into the dialog's window class name.
constexpr char16_t kClassNameWord[] = u"ORVORVUpdate";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// Reads a decimal integer as %d does: leading blanks, an optional sign, digits
// (wrapping like the C runtime's 32-bit conversion). False when no digit follows.
bool ScanDecimal(std::u16string_view text, int* value) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  uint32_t magnitude = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
    magnitude = magnitude * 10 + static_cast<uint32_t>(text[i] - u'0');
  }
  if (digits == 0) return false;
  *value = static_cast<int>(negative ? 0u - magnitude : magnitude);
  return true;
}

void RunInteractiveMode() {
  CMainModule& module = GetMainModule();
  const uint32_t level = GetIntegrityLevel();
  // A run that would show the dialog itself decides about the display before
  // it takes the mutex: finding out may take a while (an X server that does
  // not answer is given a few seconds). An elevated start leaves it to the
  // elevated run.
  if (level >= kHighIntegrityRid && !CanShowDialog()) return;
  if (!module.AcquireUpdateMutex()) {
    // Another instance runs the dialog: bring its window forward, if any. It
    // is registered under this computer's dialog class name.
    platform::ActivateWindowOfClass(BuildWindowClassName());
    return;
  }
  if (level < kHighIntegrityRid) {
    module.m_bRelaunchElevated = true;
  } else {
    RunUpdateDialog(false);
  }
  module.ReleaseUpdateMutex();
}

}  // namespace

int ParseStartBy(const std::u16string& commandLine) {
  const size_t at = commandLine.find(kStartBySwitch);
  std::u16string_view text = commandLine;
  if (at != std::u16string::npos) text.remove_prefix(at);
  const std::u16string_view prefix = kStartBySwitch;
  if (text.substr(0, prefix.size()) != prefix) return kStartByUnknown;
  int value = 0;
  return ScanDecimal(text.substr(prefix.size()), &value) ? value : kStartByUnknown;
}

int ParseStartBy() { return ParseStartBy(platform::GetCommandLineText()); }

void DispatchRunMode(const std::vector<std::u16string>& args) {
  if (args.size() != 1) {
    const std::u16string first = args.size() > 1 ? args[1] : std::u16string();
    if (first == u"-auto") return RunAutoMode();
    if (first == u"-close_ad") return RunCloseAdRequest();
    if (first != u"-update") return;  // "-inst_fix" and anything else: nothing more
  }
  RunInteractiveMode();
}

void DispatchRunMode() { DispatchRunMode(platform::GetCommandLineArgs()); }

uint32_t AutoModeDelayMs() {
  const auto text = platform::ReadEnvironmentVariable("ORV_AUTO_DELAY_MS");
  int value = 0;
  if (text && ScanDecimal(*text, &value) && value >= 0) return static_cast<uint32_t>(value);
  return kAutoModeDelayMs;
}

void RunAutoMode() {
  CMainModule& module = GetMainModule();
  if (IsTestMode()) WriteLog("ExecAutoUpdate");
  platform::SleepMilliseconds(AutoModeDelayMs());
  if (module.AcquireUploadMutex()) {
    RunDumpUpload(GetDataDir() + u"Dumps.zip");
    module.ReleaseUploadMutex();
  }
  // The hidden dialog runs with or without a display; which one it gets is
  // settled before the mutex is held, as finding out may take a while.
  (void)platform::HasUserDisplay();
  if (module.AcquireUpdateMutex()) {
    RunUpdateDialog(true);
    module.ReleaseUpdateMutex();
  }
}

bool RunUpdateDialog(bool bAuto) {
  if (bAuto && IsNoActionRecent()) return false;
  return RunMainDialog(bAuto);
}

uint32_t GetIntegrityLevel() {
  if (platform::SystemPredatesIntegrityLevels()) return kHighIntegrityRid;
  return platform::GetProcessIntegrityRid();
}

bool IsNoActionRecent(int64_t now, int64_t noAction) {
  platform::LocalTime nowLocal, noActionLocal;
  if (!platform::ToLocalTime(now, &nowLocal) || !platform::ToLocalTime(noAction, &noActionLocal)) {
    return false;
  }
  return nowLocal.year == noActionLocal.year && nowLocal.dayOfYear - noActionLocal.dayOfYear < 7;
}

bool IsNoActionRecent() {
  const uint64_t noAction = CCfgApp().ReadQwordOr(u"NoAction", 0);
  return IsNoActionRecent(platform::GetUnixTime(), static_cast<int64_t>(noAction));
}

std::u16string BuildWindowClassName(const std::u16string& computerName) {
  const std::u16string text =
      computerName + product::kProductWord + std::u16string(kClassNameWord);
  const std::string digest = Md5HexOf(platform::WideToAnsi(text));
  return Utf8ToUtf16(digest.substr(10, 16));
}

const std::u16string& BuildWindowClassName() {
  static const std::u16string name = BuildWindowClassName(platform::QueryComputerName());
  return name;
}
