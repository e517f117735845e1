#include "server_api/client_facts.h"

#include "common/md5.h"
#include "common/text.h"
#include "platform/system/codepage.h"
#include "settings/cfg_app.h"

namespace {

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x7F; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the text as hexadecimal digits, white space counting as "0".
std::optional<std::string> DecodeHexText(std::string_view raw) {
  std::string bytes;
  bool ended = false;  // a zero byte ends the text, as in a C string
  int pending = -1;
  for (char c : raw) {
    const char lower = AsciiToLower(c);
    const int digit = IsSpace(lower) ? 0 : HexValue(lower);
    if (digit < 0) return std::nullopt;
    if (pending < 0) {
      pending = digit;
      continue;
    }
    const auto byte = static_cast<unsigned char>(pending * 16 + digit);
    if (byte != 0 && !IsPrintable(byte)) return std::nullopt;
    ended = ended || byte == 0;
    if (!ended) bytes.push_back(static_cast<char>(byte));
    pending = -1;
  }
  return bytes;
}

std::string PlainText(std::string_view raw) {
  for (char c : raw) {
    if (!IsPrintable(static_cast<unsigned char>(c))) return {};
  }
  return std::string(raw);
}

std::string TrimSpace(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsSpace(text[first])) ++first;
  while (last > first && IsSpace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

int NtCode(const platform::OsVersion& v) {
  const bool workstation = v.productType == 1;
  switch (v.major) {
    case 10:
      return v.minor == 0 ? (workstation ? 17 : 18) : 0;
    case 6:
      if (v.minor > 3) return 0;
      return 9 + 2 * static_cast<int>(v.minor) + (workstation ? 0 : 1);
    case 5:
      if (v.minor == 2) {
        if (v.serverR2) return 8;
        return (workstation && v.processorArch == 9) ? 6 : 7;
      }
      if (v.minor == 1) return 6;
      if (v.minor == 0) return 5;
      return 0;
    default:
      return v.major <= 4 ? 4 : 0;
  }
}

int Win9xCode(const platform::OsVersion& v) {
  if (v.major != 4) return 0;
  if (v.minor == 0) return 1;
  if (v.minor == 10) return 2;
  if (v.minor == 90) return 3;
  return 0;
}

}  // namespace

std::string DecodeDescriptorString(std::string_view raw, bool flip) {
  const size_t end = raw.find('\0');
  if (end != std::string_view::npos) raw = raw.substr(0, end);
  std::string text = DecodeHexText(raw).value_or(PlainText(raw));
  if (flip) {
    for (size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
  }
  return TrimSpace(text);
}

std::string FingerprintOf(const std::optional<platform::DiskIdentity>& identity) {
  CMd5 md5;
  if (identity) {
    const std::string model =
        identity->fromDescriptor ? DecodeDescriptorString(identity->model, false) : identity->model;
    const std::string serial =
        identity->fromDescriptor ? DecodeDescriptorString(identity->serial, true) : identity->serial;
    md5.Update(model.data(), model.size());
    md5.Update(serial.data(), serial.size());
  }
  return Md5Hex(md5.Finish());
}

std::u16string GetMachineFingerprint() {
  return platform::AnsiToWide(FingerprintOf(platform::QuerySystemDiskIdentity()));
}

int OsCodeFor(const std::optional<platform::OsVersion>& version) {
  if (!version) return 0;
  if (version->platformId == 2) return NtCode(*version);
  if (version->platformId == 1) return Win9xCode(*version);
  return 0;
}

int GetOsCode() { return OsCodeFor(platform::QueryOsVersion()); }

bool IsVirtualMachineFlagSet() { return CCfgApp().ReadDwordOr(u"VirtualMachine", 0) != 0; }
