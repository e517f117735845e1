// The lock-file stand-in seen from other processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/named_mutex.h"
#include "support/test_environment.h"

namespace {

// Creates name in a fresh process and reports whether it already existed
// there (exit 1), was created (exit 0) or failed (exit 2).
int CreateInChild(const std::u16string& name) {
  const pid_t child = fork();
  if (child == 0) {
    platform::NamedMutex mutex;
    bool existed = false;
    if (!mutex.Create(name, &existed)) _exit(2);
    _exit(existed ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WEXITSTATUS(status);
}

}  // namespace

TEST(NamedMutexStandIn, SecondHandleSeesItExistsUntilAllAreClosed) {
  TestEnvironment env;
  platform::NamedMutex first;
  bool existed = true;
  ASSERT_TRUE(first.Create(u"Orvane_Update", &existed));
  EXPECT_FALSE(existed);
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 1);
  EXPECT_EQ(CreateInChild(u"Orvane_UpLoadDumps"), 0);  // names are independent

  platform::NamedMutex second;
  ASSERT_TRUE(second.Create(u"Orvane_Update", &existed));
  EXPECT_TRUE(existed);
  EXPECT_TRUE(first.Close());
  EXPECT_FALSE(first.Close());
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 1);  // the second handle keeps it alive
  second.Close();
  EXPECT_EQ(CreateInChild(u"Orvane_Update"), 0);
}

TEST(NamedMutexStandIn, EmptyNameFails) {
  TestEnvironment env;
  platform::NamedMutex mutex;
  bool existed = false;
  EXPECT_FALSE(mutex.Create(u"", &existed));
  EXPECT_FALSE(mutex.IsOpen());
}
