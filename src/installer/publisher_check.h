// Whether the installer comes from our publisher: on a system that checks
// code signatures and when this program is signed itself, the installer's
// Authenticode signature must verify, its signer key must be this program's
// own signer key or one pinned in the program's resources, and its file
// version must be the offered one. A program that carries a signature it
// cannot read or verify refuses every installer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "code_signing/publisher_keys.h"
#include "installer/installer_digests.h"

// What the check knows of our publisher.
struct OurPublisher {
  bool checked = false;  // false: the check is skipped (see skipReason)
  std::string skipReason;
  std::string ownSignatureProblem;               // not empty: this program's signature is unreadable
  std::vector<code_signing::PublisherKey> keys;  // the program's signer key first, then the pinned ones
};

// Our publisher as this system and program tell it: the signer key of
// program (checked with the system) and the keys pinnedKeys gives (asked only
// once the program's own key is known; none when it is empty).
OurPublisher FindOurPublisher(const std::u16string& program,
                              const std::function<std::vector<code_signing::PublisherKey>()>& pinnedKeys);

// Why the installer must not start; empty when it may. The system checks the
// signer's signature; the caller has compared the MD5 before.
std::string PublisherRefusal(const OurPublisher& publisher, const InstallerDigests& digests);

// Why the installer must not start under the offered version text; empty
// when its file version is that version. The shown version is then the
// installed one.
std::string VersionRefusal(const InstallerDigests& digests, std::u16string_view offered);
