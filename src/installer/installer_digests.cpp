#include "installer/installer_digests.h"

#include <optional>
#include <vector>

#include "code_signing/image_digest.h"
#include "code_signing/pe_layout.h"
#include "common/md5.h"
#include "common/text.h"
#include "installer/background_digest.h"

namespace {

constexpr uint32_t kPassBlockSize = 64 * 1024;

// Reads up to size bytes from offset; fewer only at the file's end.
bool ReadAt(platform::CCheckedProgram* file, uint64_t offset, uint32_t size, std::vector<uint8_t>* bytes) {
  bytes->resize(size);
  if (!file->SeekTo(offset)) return false;
  uint32_t filled = 0, read = 0;
  do {
    if (!file->Read(bytes->data() + filled, size - filled, &read)) return false;
    filled += read;
  } while (read > 0 && filled < size);
  bytes->resize(filled);
  return true;
}

// The file version of its version resource.
void ReadVersion(platform::CCheckedProgram* file, const code_signing::PeLayout& layout,
                 InstallerDigests* digests) {
  const code_signing::FileReader read = [file](uint64_t offset, uint32_t size, std::vector<uint8_t>* bytes) {
    return ReadAt(file, offset, size, bytes);
  };
  code_signing::FileVersion version;
  switch (code_signing::ReadFileVersion(layout, read, &version, &digests->versionProblem)) {
    case code_signing::FileVersionResult::kFound:
      digests->fileVersion = version;
      break;
    case code_signing::FileVersionResult::kNone:
      digests->versionProblem = "no version resource";
      break;
    case code_signing::FileVersionResult::kMalformed:
      break;
  }
}

// Finds the signature and the file version; the file's layout goes to
// *layout when it has one.
void ReadSignature(platform::CCheckedProgram* file, uint64_t size, code_signing::PeLayout* layout,
                   InstallerDigests* digests) {
  std::vector<uint8_t> bytes;
  digests->versionProblem = "no PE image";
  if (!ReadAt(file, 0, code_signing::kPeHeadBytes, &bytes)) return;
  const auto parsed = code_signing::ParsePeLayout(bytes, size, layout, &digests->problem);
  if (parsed == code_signing::PeLayoutResult::kMalformed) digests->signature = InstallerSignature::kMalformed;
  if (parsed != code_signing::PeLayoutResult::kParsed) return;
  ReadVersion(file, *layout, digests);
  if (!layout->HasCertificateTable()) return;
  if (!ReadAt(file, layout->certificateTableOffset, layout->certificateTableSize, &bytes) ||
      bytes.size() != layout->certificateTableSize) {
    digests->signature = InstallerSignature::kMalformed;
    digests->problem = "certificate table unreadable";
    return;
  }
  digests->problem = code_signing::ParseAuthenticodeSignature(bytes, &digests->authenticode);
  digests->signature =
      digests->problem.empty() ? InstallerSignature::kPresent : InstallerSignature::kMalformed;
}

}  // namespace

InstallerDigests ReadProgramSignature(platform::CCheckedProgram* program) {
  InstallerDigests digests;
  uint64_t size = 0;
  code_signing::PeLayout layout;
  if (program->Size(&size)) ReadSignature(program, size, &layout, &digests);
  return digests;
}

InstallerDigests ReadInstallerDigests(platform::CCheckedProgram* installer,
                                      const std::function<bool(uint64_t)>& beforeBlock) {
  InstallerDigests digests;
  uint64_t size = 0;
  code_signing::PeLayout layout;
  if (installer->Size(&size)) ReadSignature(installer, size, &layout, &digests);
  if (!installer->SeekTo(0)) return digests;
  std::optional<CBackgroundImageDigest> image;
  if (digests.signature == InstallerSignature::kPresent) {
    image.emplace(layout, digests.authenticode.imageDigestKind, kPassBlockSize);
  }
  CMd5 md5;
  std::vector<uint8_t> ownBlock(image ? 0 : kPassBlockSize);
  uint32_t read = 0;
  uint64_t checked = 0;
  do {
    std::vector<uint8_t>* block = image ? image->Take() : &ownBlock;
    if (!beforeBlock(checked) || !installer->Read(block->data(), kPassBlockSize, &read)) return digests;
    if (image) image->Hand(read);
    md5.Update(block->data(), read);
    checked += read;
  } while (read > 0);
  digests.md5 = Utf8ToUtf16(Md5Hex(md5.Finish()));
  if (image) digests.imageDigestMatches = image->Finish() == digests.authenticode.imageDigest;
  return digests;
}
