// One pass over the held installer: its MD5 and, when it carries an
// Authenticode signature, its image digest, computed from the same reads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "code_signing/authenticode_signature.h"
#include "code_signing/file_version.h"
#include "platform/system/process.h"

enum class InstallerSignature { kNone, kMalformed, kPresent };

struct InstallerDigests {
  std::u16string md5;  // 32 uppercase hex digits; empty when a read failed or the pass stopped
  InstallerSignature signature = InstallerSignature::kNone;
  std::string problem;  // what is malformed
  code_signing::AuthenticodeSignature authenticode;
  bool imageDigestMatches = false;
  // The file version of its version resource, when it has a readable one;
  // else versionProblem says why not.
  std::optional<code_signing::FileVersion> fileVersion;
  std::string versionProblem;
};

// Reads the PE headers, the version resource and the certificate table, then the whole file once
// from its start. beforeBlock(bytes checked so far) runs before each block;
// false from it stops the pass (md5 stays empty).
InstallerDigests ReadInstallerDigests(platform::CCheckedProgram* installer,
                                      const std::function<bool(uint64_t)>& beforeBlock);
// Only the signature, without the pass (md5 stays empty).
InstallerDigests ReadProgramSignature(platform::CCheckedProgram* program);
