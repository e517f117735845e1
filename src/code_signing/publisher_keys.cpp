#include "code_signing/publisher_keys.h"

#include "common/sha256.h"

namespace code_signing {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

bool ParseKey(std::string_view line, PublisherKey* key) {
  if (line.size() != 64) return false;
  for (size_t i = 0; i < 32; ++i) {
    const int high = HexValue(line[2 * i]), low = HexValue(line[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    (*key)[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace

PublisherKey PublisherKeyOf(Bytes subjectPublicKeyInfo) {
  return Sha256Of(subjectPublicKeyInfo.data(), subjectPublicKeyInfo.size());
}

std::vector<PublisherKey> ParsePinnedPublisherKeys(std::string_view text) {
  std::vector<PublisherKey> keys;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    PublisherKey key;
    if (!line.empty() && line[0] != '#' && ParseKey(line, &key)) keys.push_back(key);
  }
  return keys;
}

}  // namespace code_signing
