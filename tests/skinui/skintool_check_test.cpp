#include "check_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/text.h"
#include "platform/system/file_handle.h"
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
                           "</Window>\n" +
                           dir.File("none.xml") + ": cannot be read\n");
}

TEST(SkintoolCheck, OpensFilesWithChineseNames) {
  TempDir dir;
  // Written through the wide file calls: the name need not fit the ANSI
  // code page.
  const std::string name = Utf16ToUtf8(dir.path().u16string()) + "/\xE7\x9A\xAE\xE8\x82\xA4.xml";
  platform::CFileHandle file;
  ASSERT_TRUE(file.CreateForWriting(Utf8ToUtf16(name))) << name;
  uint32_t written = 0;
  ASSERT_TRUE(file.Write("<Window/>", 9, &written));
  file.Close();
  std::ostringstream out;
  EXPECT_EQ(skintool::RunCheck({name}, out), 0);
  EXPECT_EQ(out.str(), name + ": ok\n");
}
