#include "skinui/control_support.h"

#include <sstream>
#include <vector>

#include "common/text.h"
#include "skinui/control/button.h"
#include "skinui/control/label.h"
#include "skinui/control/progress.h"
#include "skinui/layout/horizontal_layout.h"
#include "skinui/layout/tab_layout.h"
#include "skinui/layout/vertical_layout.h"

namespace skinui_test {

using namespace SkinUI;

CControlUI* CreateControl(std::u16string_view element) {
  if (element == u"Control") return new CControlUI;
  if (element == u"Container") return new CContainerUI;
  if (element == u"VerticalLayout") return new CVerticalLayoutUI;
  if (element == u"HorizontalLayout") return new CHorizontalLayoutUI;
  if (element == u"TabLayout") return new CTabLayoutUI;
  if (element == u"Label") return new CLabelUI;
  if (element == u"Button") return new CButtonUI;
  if (element == u"Progress") return new CProgressUI;
  return nullptr;
}

namespace {

struct TLine {
  int depth;
  std::u16string element;
  std::u16string attributes;
};

// Builds lines[*at] and its deeper followers; advances *at past them.
CControlUI* BuildAt(const std::vector<TLine>& lines, size_t* at, std::string* error) {
  const TLine& line = lines[*at];
  CControlUI* control = CreateControl(line.element);
  if (!control) {
    *error = "unknown element " + Utf16ToUtf8(line.element);
    return nullptr;
  }
  ++*at;
  while (*at < lines.size() && lines[*at].depth > line.depth) {
    CControlUI* child = BuildAt(lines, at, error);
    auto* container = static_cast<IContainerUI*>(control->GetInterface(u"IContainer"));
    if (!child || !container) {
      if (child) *error = "children under a control that is no container";
      delete child;
      delete control;
      return nullptr;
    }
    (void)container->Add(child);
  }
  control->ApplyAttributeList(line.attributes);
  return control;
}

}  // namespace

std::unique_ptr<CControlUI> BuildTree(const std::string& text, std::string* error) {
  std::vector<TLine> lines;
  std::istringstream in(text);
  for (std::string raw; std::getline(in, raw);) {
    size_t indent = raw.find_first_not_of(' ');
    if (indent == std::string::npos || raw[indent] == '#') continue;
    size_t space = raw.find(' ', indent);
    std::string element = raw.substr(indent, space == std::string::npos ? std::string::npos : space - indent);
    std::string attributes = space == std::string::npos ? "" : raw.substr(space + 1);
    lines.push_back({static_cast<int>(indent / 2), Utf8ToUtf16(element), Utf8ToUtf16(attributes)});
  }
  if (lines.empty()) {
    *error = "no controls";
    return nullptr;
  }
  size_t at = 0;
  std::unique_ptr<CControlUI> root(BuildAt(lines, &at, error));
  if (root && at != lines.size()) *error = "more than one root";
  return root && at == lines.size() ? std::move(root) : nullptr;
}

CControlUI* FindByName(CControlUI* root, std::u16string_view name) {
  auto match = [](CControlUI* c, void* data) -> CControlUI* {
    return c->GetName() == *static_cast<std::u16string_view*>(data) ? c : nullptr;
  };
  return root->FindControl(match, &name, kFindMeFirst);
}

std::string RectText(const TUIRect& rc) {
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + "," +
         std::to_string(rc.bottom);
}

}  // namespace skinui_test
