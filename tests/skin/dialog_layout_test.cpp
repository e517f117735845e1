// The dialog skin laid out at its own size (96 DPI): where the controls the
// dialog finds by name end up, page by page.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "app/skin_archive.h"
#include "common/text.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/builder/skin_builder.h"
#include "skinui/layout/tab_layout.h"

namespace SkinUI {
namespace {

struct TPlace {
  const char16_t* name;
  TUIRect rect;
};

class DialogLayout : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(RegisterSkinArchive()); }
  static void TearDownTestSuite() { CUIResources::RemoveAllShared(); }

  void SetUp() override {
    CUISkinBuilder builder;
    CControlUI* root = builder.Create(u"dlg_main.xml", {}, nullptr, &m_manager);
    ASSERT_NE(root, nullptr) << Utf16ToUtf8(builder.GetMarkup().GetLastErrorMessage());
    ASSERT_TRUE(m_manager.AttachDialog(root));
    Layout();
  }
  void Layout() { m_manager.GetRoot()->SetPos({0, 0, 650, 430}); }
  CTabLayoutUI* Tab(const char16_t* name) { return static_cast<CTabLayoutUI*>(m_manager.FindControl(name)); }
  void ExpectPlaces(std::initializer_list<TPlace> places) {
    for (const TPlace& place : places) {
      const CControlUI* control = m_manager.FindControl(place.name);
      ASSERT_NE(control, nullptr) << Utf16ToUtf8(place.name);
      const TUIRect& rc = control->GetPos();
      EXPECT_EQ((std::array{rc.left, rc.top, rc.right, rc.bottom}),
                (std::array{place.rect.left, place.rect.top, place.rect.right, place.rect.bottom}))
          << Utf16ToUtf8(place.name);
    }
  }

  CUIPaintManager m_manager;
};

TEST_F(DialogLayout, CheckingPage) {
  ExpectPlaces({
      {u"sysminbutton", {598, 5, 620, 27}},
      {u"sysclosebutton", {622, 5, 644, 27}},
      {u"tab_main", {0, 32, 650, 430}},
      {u"lab_checking", {0, 170, 650, 206}},
      {u"lab_cur_version", {0, 210, 650, 232}},
      {u"btn_close", {235, 331, 415, 379}},
  });
}

TEST_F(DialogLayout, OfferAndProgressPages) {
  ASSERT_TRUE(Tab(u"tab_main")->SelectItem(1, false));
  Layout();
  ExpectPlaces({
      {u"lab_new_version", {0, 222, 650, 244}},
      {u"tab_status", {0, 280, 650, 430}},
      {u"btn_update", {235, 331, 415, 379}},
  });
  ASSERT_TRUE(Tab(u"tab_status")->SelectItem(1, false));
  Layout();
  ExpectPlaces({
      {u"lab_progress", {70, 334, 580, 358}},
      {u"progress_update", {70, 366, 580, 376}},
  });
  // The failure text takes the place of the progress text.
  m_manager.FindControl(u"lab_progress")->SetVisible(false);
  m_manager.FindControl(u"lab_error")->SetVisible(true);
  Layout();
  ExpectPlaces({
      {u"lab_error", {70, 334, 580, 358}},
      {u"progress_update", {70, 366, 580, 376}},
  });
}

}  // namespace
}  // namespace SkinUI
