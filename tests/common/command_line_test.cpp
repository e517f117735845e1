#include <gtest/gtest.h>

#include "common/command_line.h"

using Args = std::vector<std::u16string>;

TEST(CommandLine, SplitsWithTheWindowsQuotingRules) {
  EXPECT_EQ(SplitCommandLine(u"a b\t c"), (Args{u"a", u"b", u"c"}));
  EXPECT_EQ(SplitCommandLine(u"\"C:\\Program Files\\x.exe\" -update"),
            (Args{u"C:\\Program Files\\x.exe", u"-update"}));
  EXPECT_EQ(SplitCommandLine(u"a\\\\\\\"b"), (Args{u"a\\\"b"}));      // 3 slashes + quote
  EXPECT_EQ(SplitCommandLine(u"\"a\\\\\" b"), (Args{u"a\\", u"b"}));  // 2 slashes close
  EXPECT_EQ(SplitCommandLine(u"a\\b"), (Args{u"a\\b"}));
  EXPECT_EQ(SplitCommandLine(u"\"\""), (Args{u""}));
  EXPECT_TRUE(SplitCommandLine(u"   ").empty());
}

TEST(CommandLine, QuotingRoundTrips) {
  const Args args{u"plain", u"with space", u"quote\"inside", u"trailing\\", u"", u"dir\\ x\\"};
  EXPECT_EQ(SplitCommandLine(JoinCommandLine(args)), args);
}
