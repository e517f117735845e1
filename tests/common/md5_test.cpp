#include <gtest/gtest.h>

#include <string>

#include "common/md5.h"

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, Rfc1321Suite) {
  EXPECT_EQ(Md5HexOf(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Md5HexOf("a"), "0CC175B9C0F1B6A831C399E269772661");
  EXPECT_EQ(Md5HexOf("abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5HexOf("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(Md5HexOf("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
  EXPECT_EQ(Md5HexOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "D174AB98D277D9F5A5611C2C9F419D9F");
  EXPECT_EQ(Md5HexOf("1234567890123456789012345678901234567890123456789012345678901234567890"
                     "1234567890"),
            "57EDF4A22BE3C955AC49DA2E2107B67A");
}

// Feeding in pieces that straddle block and padding boundaries gives the
// same digest as one call.
TEST(Md5, PiecewiseUpdatesMatchOneShot) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data.push_back(static_cast<char>(i * 7));
  for (size_t len : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
    const std::string part = data.substr(0, len);
    for (size_t split : {size_t{0}, size_t{1}, len / 2, len}) {
      CMd5 md5;
      md5.Update(part.data(), split);
      md5.Update(part.data() + split, len - split);
      EXPECT_EQ(Md5Hex(md5.Finish()), Md5HexOf(part)) << "len " << len << " split " << split;
    }
  }
}

TEST(Md5, ObjectIsReusableAfterFinish) {
  CMd5 md5;
  md5.Update("abc", 3);
  (void)md5.Finish();
  md5.Update("a", 1);
  EXPECT_EQ(Md5Hex(md5.Finish()), "0CC175B9C0F1B6A831C399E269772661");
}
