#include <gtest/gtest.h>

#include "platform/system/named_mutex.h"
#include "support/test_environment.h"

TEST(NamedMutex, ExistsWhileAnyHandleIsOpen) {
  TestEnvironment env;
  platform::NamedMutex first, second, third;
  bool existed = true;
  ASSERT_TRUE(first.Create(u"Orvane_Update_Test", &existed));
  EXPECT_FALSE(existed);
  ASSERT_TRUE(second.Create(u"Orvane_Update_Test", &existed));
  EXPECT_TRUE(existed);
  EXPECT_TRUE(first.Close());
  EXPECT_FALSE(first.Close());
  ASSERT_TRUE(third.Create(u"Orvane_Update_Test", &existed));
  EXPECT_TRUE(existed);  // the second handle keeps it alive
  second.Close();
  third.Close();
  ASSERT_TRUE(first.Create(u"Orvane_Update_Test", &existed));
  EXPECT_FALSE(existed);
}
