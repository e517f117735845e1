// Signatures made by osslsigncode (tests/support/sign_fixtures.sh) as this
// program reads them, and the same signatures cut short or with changed
// lengths.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "code_signing/authenticode_signature.h"
#include "code_signing/image_digest.h"
#include "code_signing/pe_layout.h"
#include "code_signing/publisher_keys.h"

namespace {

using namespace code_signing;

std::vector<uint8_t> Fixture(const std::string& name) {
  std::ifstream in(std::string(ORV_BINARY_DIR) + "/signed_fixtures/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TRead {
  PeLayoutResult layout = PeLayoutResult::kNotPe;
  std::string why;
  AuthenticodeSignature signature;
  bool digestMatches = false;
};

TRead Read(const std::vector<uint8_t>& file) {
  TRead read;
  PeLayout layout;
  read.layout = ParsePeLayout(file, file.size(), &layout, &read.why);
  if (read.layout != PeLayoutResult::kParsed || !layout.HasCertificateTable()) return read;
  const Bytes table = Bytes(file).subspan(layout.certificateTableOffset, layout.certificateTableSize);
  read.why = ParseAuthenticodeSignature(table, &read.signature);
  if (!read.why.empty()) return read;
  CImageDigest digest(layout, read.signature.imageDigestKind);
  digest.Update(file.data(), file.size());
  read.digestMatches = digest.Finish() == read.signature.imageDigest;
  return read;
}

struct TRow {
  const char* file;
  const char* why;  // "" for a signature read whole
  bool digestMatches;
};

void PrintTo(const TRow& row, std::ostream* os) { *os << row.file; }

class SignedFiles : public ::testing::TestWithParam<TRow> {};

TEST_P(SignedFiles, ReadAsSigned) {
  const std::vector<uint8_t> file = Fixture(GetParam().file);
  ASSERT_FALSE(file.empty()) << "the SignFixtures test makes " << GetParam().file;
  const TRead read = Read(file);
  EXPECT_EQ(read.why, GetParam().why);
  EXPECT_EQ(read.digestMatches, GetParam().digestMatches);
  if (read.why.empty() && !read.signature.pkcs7.empty()) {
    EXPECT_TRUE(SignedContentMatches(read.signature));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, SignedFiles,
    ::testing::Values(
        TRow{"installer_signed.exe", "", true}, TRow{"installer_signed_sha384.exe", "", true},
        TRow{"ORVUpdate_sha512.exe", "", true},
        TRow{"installer_signed_sha1.exe", "weak digest for the image (MD5 or SHA-1)", false},
        TRow{"installer_second_entry.exe", "bytes after the signature in the certificate table", false},
        TRow{"installer_entry_padding.exe", "bytes after the signature in the certificate table", false},
        TRow{"installer_section_tail.exe", "certificate table overlaps the image", false},
        TRow{"ORVUpdate_trailing.exe", "bytes after the certificate table", false},
        TRow{"installer_other.exe", "", true}, TRow{"ORVUpdate.exe", "", true},
        TRow{"installer_unsigned.exe", "", false}, TRow{"installer_tampered.exe", "", false},
        TRow{"installer_truncated.exe", "truncated signature", false},
        TRow{"installer_past_end.exe", "certificate table past the end of the file", false}));

TEST(PublisherKeys, SignerKeyIsTheCertificatesKey) {
  const TRead other = Read(Fixture("installer_other.exe")), ours = Read(Fixture("installer_signed.exe"));
  std::ifstream in(std::string(ORV_BINARY_DIR) + "/signed_fixtures/publisher_b.key");
  std::string hex;
  in >> hex;
  const auto pinned = ParsePinnedPublisherKeys("# renewal\n\n  " + hex + "  \r\nnot a key\n");
  ASSERT_EQ(pinned.size(), 1u);
  EXPECT_EQ(PublisherKeyOf(other.signature.signerPublicKeyInfo), pinned[0]);
  EXPECT_NE(PublisherKeyOf(ours.signature.signerPublicKeyInfo), pinned[0]);
}

// Every shorter table, and every byte of the signature set to 0xFF or 0x00
// (lengths past their element's end among them): refused or read, never
// read outside the table (ASan).
TEST(HostileSignatures, CutOrChangedTablesAreReadSafely) {
  const std::vector<uint8_t> file = Fixture("installer_signed.exe");
  PeLayout layout;
  std::string why;
  ASSERT_EQ(ParsePeLayout(file, file.size(), &layout, &why), PeLayoutResult::kParsed);
  const std::vector<uint8_t> table(file.begin() + static_cast<ptrdiff_t>(layout.certificateTableOffset),
                                   file.end());
  AuthenticodeSignature signature;
  for (size_t size = 0; size < table.size() - 8; ++size) {
    std::vector<uint8_t> cut(table.begin(), table.begin() + static_cast<ptrdiff_t>(size));
    // The entry's own length says the shorter size, as a truncating writer would.
    for (size_t i = 0; i < 4 && i < cut.size(); ++i) cut[i] = static_cast<uint8_t>(size >> (8 * i));
    const bool readWhole = ParseAuthenticodeSignature(cut, &signature).empty();
    // Only the padding after the ContentInfo may go.
    if (readWhole) {
      EXPECT_GE(size, 8 + signature.pkcs7.size());
    }
  }
  for (size_t at = 8; at < table.size(); ++at) {
    for (uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}}) {
      std::vector<uint8_t> changed(table);
      changed[at] = value;
      (void)ParseAuthenticodeSignature(changed, &signature);
    }
  }
}

}  // namespace
