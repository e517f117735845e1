// orvreg: reads and writes the registry stand-in with the syntax of reg.exe.
// Exit status 0 on success, 1 on any error (message on stderr).
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/system/folder_listing.h"
#include "platform/system/registry.h"
#include "reg_arguments.h"

namespace {

using platform::RegistryKey;

constexpr uint32_t kAccess = platform::kKeyAllAccess | platform::kKeyWow64_64Key;

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

int StoreError(long rc) {
  if (rc == platform::kErrorBadDb) {
    const char* path = std::getenv("ORV_REGISTRY");
    return Fail(std::string("ERROR: The registry store ") + (path ? path : "(default)") +
                " is corrupt or is not a registry database.");
  }
  if (rc == platform::kErrorFileNotFound) {
    return Fail("ERROR: The system was unable to find the specified registry key or value.");
  }
  return Fail("ERROR: The registry operation failed with error " + std::to_string(rc) + ".");
}

uint32_t TypeCode(const std::string& name) {
  if (name == "REG_EXPAND_SZ") return platform::kRegExpandSz;
  if (name == "REG_DWORD") return platform::kRegDword;
  if (name == "REG_QWORD") return platform::kRegQword;
  return platform::kRegSz;
}

const char* TypeName(uint32_t type) {
  switch (type) {
    case platform::kRegSz:
      return "REG_SZ";
    case platform::kRegExpandSz:
      return "REG_EXPAND_SZ";
    case platform::kRegDword:
      return "REG_DWORD";
    case platform::kRegQword:
      return "REG_QWORD";
    default:
      return "REG_BINARY";
  }
}

// Encodes /d for the type; false with a message when it does not fit.
bool EncodeData(const RegCommand& c, std::vector<uint8_t>* bytes, std::string* error) {
  const std::string text = c.data.value_or("");
  const uint32_t type = TypeCode(c.typeName);
  if (type == platform::kRegSz || type == platform::kRegExpandSz) {
    std::u16string wide = Utf8ToUtf16(text);
    wide.push_back(u'\0');
    const auto* raw = reinterpret_cast<const uint8_t*>(wide.data());
    bytes->assign(raw, raw + wide.size() * 2);
    return true;
  }
  const unsigned long long limit = type == platform::kRegDword ? 0xFFFFFFFFull : ~0ull;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (text.empty() || *end != '\0' || text[0] == '-' || errno == ERANGE || value > limit) {
    *error = "ERROR: Invalid data \"" + text + "\" for " + c.typeName + ": give a number.";
    return false;
  }
  const size_t width = type == platform::kRegDword ? 4 : 8;
  for (size_t i = 0; i < width; ++i) bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
  return true;
}

std::string FormatData(const RegistryKey::Value& value) {
  const auto& d = value.data;
  if (value.type == platform::kRegSz || value.type == platform::kRegExpandSz) {
    std::u16string text(d.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(d[2 * i] | (d[2 * i + 1] << 8));
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return Utf16ToUtf8(text);
  }
  if ((value.type == platform::kRegDword && d.size() == 4) ||
      (value.type == platform::kRegQword && d.size() == 8)) {
    uint64_t number = 0;
    for (size_t i = d.size(); i-- > 0;) number = (number << 8) | d[i];
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%" PRIx64, number);
    return buffer;
  }
  std::string hex;
  for (uint8_t b : d) {
    char buffer[3];
    std::snprintf(buffer, sizeof(buffer), "%02X", b);
    hex += buffer;
  }
  return hex;
}

int Add(const RegCommand& c) {
  RegistryKey key;
  if (const long rc = key.Create(c.root, Utf8ToUtf16(c.path), kAccess); rc != 0) return StoreError(rc);
  if (!c.valueName) return std::puts("The operation completed successfully."), 0;
  const std::u16string name = Utf8ToUtf16(*c.valueName);
  uint32_t type = 0, size = 0;
  if (!c.force && key.QueryValue(name, &type, nullptr, &size) == 0) {
    return Fail("ERROR: Value " + *c.valueName + " exists; use /f to overwrite it.");
  }
  std::vector<uint8_t> bytes;
  std::string error;
  if (!EncodeData(c, &bytes, &error)) return Fail(error);
  const long rc = key.SetValue(name, TypeCode(c.typeName), bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (rc != 0) return StoreError(rc);
  std::puts("The operation completed successfully.");
  return 0;
}

// True when the registry lives in a store file and there is none yet.
bool StoreIsMissing() {
  const std::u16string store = platform::RegistryStorePath();
  platform::FileIdentity identity;
  return !store.empty() && !platform::QueryPathIdentity(store, &identity);
}

int Query(const RegCommand& c) {
  RegistryKey key;
  if (const long rc = key.Open(c.root, Utf8ToUtf16(c.path), platform::kKeyRead); rc != 0) {
    if (rc == platform::kErrorFileNotFound && StoreIsMissing()) {
      return Fail("ERROR: There is no registry store at " + Utf16ToUtf8(platform::RegistryStorePath()) +
                  " (nothing has been written yet).");
    }
    return StoreError(rc);
  }
  std::vector<RegistryKey::Value> values;
  if (const long rc = key.EnumValues(&values); rc != 0) return StoreError(rc);
  std::printf("\n%s%s%s\n", c.rootName.c_str(), c.path.empty() ? "" : "\\", c.path.c_str());
  bool found = false;
  for (const auto& value : values) {
    if (c.valueName && !EqualsIgnoreAsciiCase(value.name, Utf8ToUtf16(*c.valueName))) continue;
    found = true;
    std::printf("    %s    %s    %s\n", Utf16ToUtf8(value.name).c_str(), TypeName(value.type),
                FormatData(value).c_str());
  }
  std::puts("");
  if (c.valueName && !found) return StoreError(platform::kErrorFileNotFound);
  return 0;
}

int Delete(const RegCommand& c) {
  if (!c.force) return Fail("ERROR: delete needs /f (orvreg never asks for confirmation).");
  long rc;
  if (c.valueName) {
    RegistryKey key;
    rc = key.Open(c.root, Utf8ToUtf16(c.path), kAccess);
    if (rc == 0) rc = key.DeleteValue(Utf8ToUtf16(*c.valueName));
  } else {
    rc = RegistryKey::DeleteTree(c.root, Utf8ToUtf16(c.path));
  }
  if (rc != 0) return StoreError(rc);
  std::puts("The operation completed successfully.");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto command = ParseRegCommand(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!command) return Fail(error);
  if (command->verb == "add") return Add(*command);
  if (command->verb == "query") return Query(*command);
  return Delete(*command);
}
