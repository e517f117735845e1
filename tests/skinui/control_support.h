// Helpers of the control and layout tests: controls made by element name and
// trees built from an indented text, the way the skin builder builds them
// (children first, then the element's attributes).
#pragma once

#include <memory>
#include <string>

#include "skinui/control/control.h"

namespace skinui_test {

// A new control for an element name (Control, Container, VerticalLayout,
// HorizontalLayout, TabLayout, Label, Button, Progress); null when unknown.
SkinUI::CControlUI* CreateControl(std::u16string_view element);

// Builds the tree of lines "  Element name=\"v\" ..." (two blanks of indent
// per level, attribute-list syntax after the element). Blank lines and lines
// starting with '#' are skipped; error receives the first problem.
std::unique_ptr<SkinUI::CControlUI> BuildTree(const std::string& text, std::string* error);

// The control named name in the subtree of root, or null.
SkinUI::CControlUI* FindByName(SkinUI::CControlUI* root, std::u16string_view name);

// "l,t,r,b".
std::string RectText(const SkinUI::TUIRect& rc);

}  // namespace skinui_test
