// Whether the installer comes from our publisher: on a system that checks
// code signatures and when this program is signed itself, the installer's
// Authenticode signature must verify and its signer key must be this
// program's own signer key or one pinned in the program's resources.
#pragma once

#include <string>
#include <vector>

#include "code_signing/publisher_keys.h"
#include "update_dialog/installer_digests.h"

// What the check knows of our publisher.
struct OurPublisher {
  bool checked = false;         // false: the check is skipped (see skipReason)
  std::string skipReason;
  std::vector<code_signing::PublisherKey> keys;  // the program's signer key first, then the pinned ones
};

// Our publisher as this system and program tell it: the signer key of
// program (checked with the system) and the pinned keys.
OurPublisher FindOurPublisher(const std::u16string& program);

// Why the installer must not start; empty when it may. The system checks the
// signer's signature; the caller has compared the MD5 before.
std::string PublisherRefusal(const OurPublisher& publisher, const InstallerDigests& digests);

// The keys pinned in the program's resources (resource "PUBKEYS" 130).
std::vector<code_signing::PublisherKey> PinnedPublisherKeys();
