// The publisher keys pinned in the program's resources (resource "PUBKEYS"
// 130), beside its own signer key: a renewed key is accepted before the
// program is signed with it.
#pragma once

#include <vector>

#include "code_signing/publisher_keys.h"

std::vector<code_signing::PublisherKey> PinnedPublisherKeys();
