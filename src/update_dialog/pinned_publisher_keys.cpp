#include "update_dialog/pinned_publisher_keys.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "skinui/resources/skin_resources.h"

namespace {

constexpr uint16_t kPinnedKeysId = 130;
constexpr char16_t kPinnedKeysType[] = u"PUBKEYS";

}  // namespace

std::vector<code_signing::PublisherKey> PinnedPublisherKeys() {
  std::vector<uint8_t> text;
  size_t size = 0;
  auto& resources = SkinUI::SkinResources();
  if (resources.ReadSkinResource(kPinnedKeysId, kPinnedKeysType, nullptr, &size) !=
      SkinUI::kSkinBufferTooSmall) {
    return {};
  }
  text.resize(size);
  if (resources.ReadSkinResource(kPinnedKeysId, kPinnedKeysType, text.data(), &size) != SkinUI::kSkinReadOk) {
    return {};
  }
  return code_signing::ParsePinnedPublisherKeys(
      std::string_view(reinterpret_cast<const char*>(text.data()), std::min(size, text.size())));
}
