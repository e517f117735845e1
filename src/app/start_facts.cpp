#include "app/start_facts.h"

#include "common/md5.h"
#include "common/product.h"
#include "common/text.h"
#include "platform/system/clock.h"
#include "platform/system/codepage.h"
#include "platform/system/environment.h"
#include "platform/system/machine_facts.h"
#include "platform/system/process.h"
#include "platform/system/process_command_line.h"
#include "settings/cfg_app.h"

namespace {

constexpr char16_t kStartBySwitch[] = u"-startby=";
// Hashed with the computer name into the dialog's window class name.
constexpr char16_t kClassNameWord[] = u"ORVORVUpdate";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

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

uint32_t AutoModeDelayMs() {
  const auto text = platform::ReadEnvironmentVariable("ORV_AUTO_DELAY_MS");
  int value = 0;
  if (text && ScanDecimal(*text, &value) && value >= 0) return static_cast<uint32_t>(value);
  return kAutoModeDelayMs;
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
  const std::u16string text = computerName + product::kProductWord + std::u16string(kClassNameWord);
  const std::string digest = Md5HexOf(platform::WideToAnsi(text));
  return Utf8ToUtf16(digest.substr(10, 16));
}

const std::u16string& BuildWindowClassName() {
  static const std::u16string name = BuildWindowClassName(platform::QueryComputerName());
  return name;
}
