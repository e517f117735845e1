#include <gtest/gtest.h>

#include "server_api/client_facts.h"
#include "settings/cfg_app.h"
#include "support/test_environment.h"

TEST(Fingerprint, NothingKnownGivesTheEmptyDigest) {
  EXPECT_EQ(FingerprintOf(std::nullopt), "D41D8CD98F00B204E9800998ECF8427E");
  const std::u16string live = GetMachineFingerprint();
  EXPECT_EQ(live.size(), 32u);
  EXPECT_EQ(live.find_first_not_of(u"0123456789ABCDEF"), std::u16string::npos);
}

TEST(Fingerprint, ModelThenSerialWithoutSeparator) {
  platform::DiskIdentity plain{"Samsung SSD", "S4EWNX0N", false};
  EXPECT_EQ(FingerprintOf(plain), "94DA5D12DE22F0E2E416F03901F94B17");  // MD5("Samsung SSDS4EWNX0N")
  // Descriptor strings: the serial is decoded from hex and byte-flipped.
  platform::DiskIdentity descriptor{"  WDC WD10  ", "5757442d57434334", true};
  EXPECT_EQ(FingerprintOf(descriptor), "EE37EE900032022D0282C41B2F5B685E");  // MD5("WDC WD10WW-DCW4C")
}

TEST(DescriptorString, HexTextFlippingAndFallbacks) {
  EXPECT_EQ(DecodeDescriptorString("5757442d57434334", false), "WWD-WCC4");
  EXPECT_EQ(DecodeDescriptorString("5757442d57434334", true), "WW-DCW4C");
  EXPECT_EQ(DecodeDescriptorString("WWD-WCC4", true), "WW-DCW4C");  // plain text flips too
  EXPECT_EQ(DecodeDescriptorString("20204142", false), "AB");       // decoded, then trimmed
  EXPECT_EQ(DecodeDescriptorString("57 57", false), "57 57");       // blank as "0" gives 0x05: raw text
  EXPECT_EQ(DecodeDescriptorString("0a41", false), "0a41");         // a control byte: raw text
  EXPECT_EQ(DecodeDescriptorString("  ABC  ", false), "ABC");       // not hex: kept, trimmed
  EXPECT_EQ(DecodeDescriptorString("AB\x01", false), "");           // raw text with a control byte
  EXPECT_EQ(DecodeDescriptorString("", true), "");
}

TEST(OsCode, WholeTable) {
  using V = platform::OsVersion;
  auto nt = [](uint32_t major, uint32_t minor, uint8_t type = 1) {
    V v;
    v.platformId = 2, v.major = major, v.minor = minor, v.productType = type;
    return v;
  };
  EXPECT_EQ(OsCodeFor(nt(10, 0)), 17);
  EXPECT_EQ(OsCodeFor(nt(10, 0, 3)), 18);  // Server 2019
  EXPECT_EQ(OsCodeFor(nt(10, 1)), 0);
  EXPECT_EQ(OsCodeFor(nt(6, 3)), 15);
  EXPECT_EQ(OsCodeFor(nt(6, 3, 2)), 16);
  EXPECT_EQ(OsCodeFor(nt(6, 2)), 13);
  EXPECT_EQ(OsCodeFor(nt(6, 1, 3)), 12);
  EXPECT_EQ(OsCodeFor(nt(6, 0)), 9);
  EXPECT_EQ(OsCodeFor(nt(6, 4)), 0);
  V r2 = nt(5, 2, 3);
  r2.serverR2 = true;
  EXPECT_EQ(OsCodeFor(r2), 8);
  V xp64 = nt(5, 2, 1);
  xp64.processorArch = 9;
  EXPECT_EQ(OsCodeFor(xp64), 6);
  EXPECT_EQ(OsCodeFor(nt(5, 2, 3)), 7);
  EXPECT_EQ(OsCodeFor(nt(5, 1)), 6);
  EXPECT_EQ(OsCodeFor(nt(5, 0)), 5);
  EXPECT_EQ(OsCodeFor(nt(5, 3)), 0);
  EXPECT_EQ(OsCodeFor(nt(4, 0)), 4);
  EXPECT_EQ(OsCodeFor(nt(3, 51)), 4);
  EXPECT_EQ(OsCodeFor(nt(7, 0)), 0);
  EXPECT_EQ(OsCodeFor(nt(11, 0)), 0);
  V w9x;
  w9x.platformId = 1, w9x.major = 4;
  for (auto [minor, code] : {std::pair{0u, 1}, {10u, 2}, {90u, 3}, {5u, 0}}) {
    w9x.minor = minor;
    EXPECT_EQ(OsCodeFor(w9x), code);
  }
  EXPECT_EQ(OsCodeFor(std::nullopt), 0);
  if (platform::QueryOsVersion()) {
    EXPECT_GT(GetOsCode(), 0);  // a Windows version the table knows (Wine says 7)
  } else {
    EXPECT_EQ(GetOsCode(), 0);  // no Windows here
  }
}

TEST(VirtualMachineFlag, ReadAfreshAtEveryCall) {
  TestEnvironment env;
  env.SeedUserSid();
  EXPECT_FALSE(IsVirtualMachineFlagSet());
  platform::RegistryKey key;
  {
    CCfgApp app;  // creates the key
  }
  CCfgApp app;
  ASSERT_TRUE(app.HasKey());
  const std::u16string folio = platform::CurrentUserSidText() + u"\\SOFTWARE\\Brightfen\\Folio";
  ASSERT_EQ(key.Open(platform::RegRoot::kUsers, folio, platform::kKeyAllAccess), 0);
  const uint32_t one = 1, zero = 0;
  ASSERT_EQ(key.SetValue(u"VirtualMachine", platform::kRegDword, &one, 4), 0);
  EXPECT_TRUE(IsVirtualMachineFlagSet());
  ASSERT_EQ(key.SetValue(u"VirtualMachine", platform::kRegDword, &zero, 4), 0);
  EXPECT_FALSE(IsVirtualMachineFlagSet());
}
