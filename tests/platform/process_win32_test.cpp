// Process facts of the real Windows API.
#include <gtest/gtest.h>

#include "platform/system/process.h"

// The token's mandatory label is one of the defined levels; Wine runs its
// user as an administrator with a high label unless told otherwise.
TEST(ProcessWindows, IntegrityIsAMandatoryLabelOfTheToken) {
  const uint32_t rid = platform::GetProcessIntegrityRid();
  EXPECT_TRUE(rid == 0x1000 || rid == 0x2000 || rid == 0x2100 || rid == 0x3000 || rid == 0x4000)
      << std::hex << rid;
  EXPECT_FALSE(platform::SystemPredatesIntegrityLevels());
}

TEST(ProcessWindows, CurrentUserSidIsAStringSid) {
  const std::u16string sid = platform::CurrentUserSidText();
  EXPECT_EQ(sid.rfind(u"S-1-5-", 0), 0u);
}
