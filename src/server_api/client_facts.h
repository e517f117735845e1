// Facts about the client machine sent with every API request: the machine
// fingerprint ("mac"), the Windows version code ("os") and the
// virtual-machine flag ("vmware").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/system/machine_facts.h"

// 32 uppercase hex digits: MD5 of the system disk's model text followed by
// its serial-number text. The digest of nothing when the disk answers no query.
std::u16string GetMachineFingerprint();
// The fingerprint of given identity texts (descriptor strings decoded first).
std::string FingerprintOf(const std::optional<platform::DiskIdentity>& identity);

// Decodes a storage descriptor string: hexadecimal text ("5757442d...") is
// turned into its bytes, plain printable text is kept, anything else gives
// the empty text; with flip, each pair of characters is swapped; white space
// at both ends is removed.
std::string DecodeDescriptorString(std::string_view raw, bool flip);

// The Windows version code of the running system (0 when unknown or not Windows).
int GetOsCode();
// The code for given version facts.
int OsCodeFor(const std::optional<platform::OsVersion>& version);

// True when the settings value "VirtualMachine" is a non-zero DWORD; read afresh.
bool IsVirtualMachineFlagSet();
