#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/sha256.h"
#include "common/sha512.h"
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
  const char* sha384;
  const char* sha512;
};

class ShaVectors : public ::testing::TestWithParam<TVector> {};

// FIPS 180 examples, fed in uneven pieces.
TEST_P(ShaVectors, MatchPublishedDigests) {
  CSha256 sha256;
  CSha512 sha384(CSha512::EVariant::kSha384), sha512;
  for (size_t i = 0; i < GetParam().repeat; ++i) {
    const std::string& m = GetParam().message;
    for (size_t at = 0; at < m.size(); at += 7) {
      const size_t n = std::min<size_t>(7, m.size() - at);
      sha256.Update(m.data() + at, n);
      sha384.Update(m.data() + at, n);
      sha512.Update(m.data() + at, n);
    }
  }
  EXPECT_EQ(Hex(sha256.Finish()), GetParam().sha256);
  EXPECT_EQ(Hex(sha384.Finish()), GetParam().sha384);
  EXPECT_EQ(Hex(sha512.Finish()), GetParam().sha512);
}

INSTANTIATE_TEST_SUITE_P(
    Fips, ShaVectors,
    ::testing::Values(TVector{"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                              "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65"
                              "fbd51ad2f14898b95b",
                              "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2"
                              "b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e"},
                      TVector{"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                              "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc"
                              "2358baeca134c825a7",
                              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1"
                              "a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
                      TVector{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
                              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
                              "3391fdddfc8dc7393707a65b1b4709397cf8b1d162af05abfe8f450de5f36bc6b0455a8520bc4e"
                              "6f5fe95b1fe3c8452b",
                              "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07"
                              "f9aa1d3bea57789ca031ad85c7a71dd70354ec631238ca3445"},
                      TVector{"a", 1000000,
                              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
                              "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4"
                              "ebae97ddd87f3d8985",
                              "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea6"
                              "0a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"}));

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
