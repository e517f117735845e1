#include "check_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/temp_dir.h"

TEST(SkintoolCheck, ReportsOkAndErrorsWithPosition) {
  TempDir dir;
  dir.Write("good.xml", "\xEF\xBB\xBF<Window><Label text=\"\xE5\xA5\xA5\"/></Window>");
  dir.Write("bad.xml", "<Window>\n  <Label text='x'/>\n</Window>");
  std::ostringstream out;
  EXPECT_EQ(skintool::RunCheck({dir.File("good.xml")}, out), 0);
  EXPECT_EQ(out.str(), dir.File("good.xml") + ": ok\n");
  out.str("");
  EXPECT_EQ(skintool::RunCheck({dir.File("good.xml"), dir.File("bad.xml"), dir.File("none.xml")}, out), 1);
  EXPECT_EQ(out.str(), dir.File("good.xml") + ": ok\n" + dir.File("bad.xml") +
                           ": Expected attribute value at line 2, column 15 (offset 23): 'x'/>\n"
                           "</Window>\n" + dir.File("none.xml") + ": cannot be read\n");
}
