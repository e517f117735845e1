#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/sha256.h"
#include "common/sha_blocks.h"

namespace {

template <typename Digest>
std::string Hex(const Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : digest) text += {kDigits[byte >> 4], kDigits[byte & 15]};
  return text;
}

struct TVector {
  std::string message;
  size_t repeat;
  const char* sha256;
  const char* sha1;
};

class ShaVectors : public ::testing::TestWithParam<TVector> {};

// FIPS 180 examples, fed in uneven pieces.
TEST_P(ShaVectors, MatchPublishedDigests) {
  CSha256 sha256;
  CSha1 sha1;
  for (size_t i = 0; i < GetParam().repeat; ++i) {
    const std::string& m = GetParam().message;
    for (size_t at = 0; at < m.size(); at += 7) {
      const size_t n = std::min<size_t>(7, m.size() - at);
      sha256.Update(m.data() + at, n);
      sha1.Update(m.data() + at, n);
    }
  }
  EXPECT_EQ(Hex(sha256.Finish()), GetParam().sha256);
  EXPECT_EQ(Hex(sha1.Finish()), GetParam().sha1);
}

INSTANTIATE_TEST_SUITE_P(
    Fips, ShaVectors,
    ::testing::Values(
        TVector{"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        TVector{"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                "a9993e364706816aba3e25717850c26c9cd0d89d"},
        TVector{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
                "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
                "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        TVector{"a", 1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
                "34aa973cd4c4daa4f61eeb2bdbad27316534016f"}));

TEST(Sha256, ProcessorInstructionsAgreeWithThePortableCode) {
  std::mt19937 random(7);
  std::vector<uint8_t> data(64 * 97);
  for (auto& byte : data) byte = static_cast<uint8_t>(random());
  uint32_t fast[8] = {1, 2, 3, 4, 5, 6, 7, 8}, plain[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  sha_detail::Sha256Blocks(fast, data.data(), data.size() / 64);
  sha_detail::Sha256BlocksPortable(plain, data.data(), data.size() / 64);
  EXPECT_EQ(std::vector<uint32_t>(fast, fast + 8), std::vector<uint32_t>(plain, plain + 8));
}

}  // namespace
