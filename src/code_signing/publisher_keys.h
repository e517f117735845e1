// Publishers are known by their signing key: the SHA-256 of the signer
// certificate's SubjectPublicKeyInfo, so a renewed certificate with the same
// key stays ours.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "code_signing/der_reader.h"

namespace code_signing {

using PublisherKey = std::array<uint8_t, 32>;

PublisherKey PublisherKeyOf(Bytes subjectPublicKeyInfo);

// Reads a list of keys, one of 64 hex digits a line; blank lines and lines
// starting with '#' are skipped, and so is any other malformed line.
std::vector<PublisherKey> ParsePinnedPublisherKeys(std::string_view text);

}  // namespace code_signing
