// The control part of a skin: element names to control classes, Include,
// and the order in which a control is added, given its default attribute
// list and its own attributes.
#include <string>

#include "skinui/builder/skin_builder.h"
#include "skinui/control/attribute_values.h"
#include "skinui/control/button.h"
#include "skinui/control/control.h"
#include "skinui/control/label.h"
#include "skinui/control/progress.h"
#include "skinui/layout/container.h"
#include "skinui/layout/horizontal_layout.h"
#include "skinui/layout/tab_layout.h"
#include "skinui/layout/vertical_layout.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

struct TControlClass {
  std::u16string_view element;
  CControlUI* (*make)();
};

template <class T>
CControlUI* Make() {
  return new T;
}

// Element names (exact case) of the classes that exist. Names of the wider
// element table without a class here behave like unknown ones.
constexpr TControlClass kControlClasses[] = {
    {u"Control", Make<CControlUI>},
    {u"Container", Make<CContainerUI>},
    {u"VerticalLayout", Make<CVerticalLayoutUI>},
    {u"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {u"TabLayout", Make<CTabLayoutUI>},
    {u"Label", Make<CLabelUI>},
    {u"Button", Make<CButtonUI>},
    {u"Progress", Make<CProgressUI>},
};

// Resource elements count only at the top of a skin.
bool IsResourceElement(std::u16string_view name) {
  return name == u"Image" || name == u"Font" || name == u"Fonts" || name == u"Style" || name == u"Styles" ||
         name == u"Default";
}

constexpr size_t kMaxIncludeSource = 499;

}  // namespace

CControlUI* CUISkinBuilder::CreateControl(std::u16string_view name) const {
  for (const TControlClass& c : kControlClasses) {
    if (c.element == name) return c.make();
  }
  return m_pCallback ? m_pCallback->CreateControl(name) : nullptr;
}

CControlUI* CUISkinBuilder::ParseChildren(CUIMarkupNode parentNode, CControlUI* parent,
                                          CUIPaintManager* manager) {
  CControlUI* first = nullptr;
  for (CUIMarkupNode node = parentNode.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const std::u16string_view name = node.GetName();
    if (IsResourceElement(name)) continue;
    if (name == u"Include") {
      CControlUI* included = ParseInclude(node, parent, manager);
      if (!first) first = included;
      continue;
    }
    CControlUI* control = CreateControl(name);
    if (!control) continue;
    if (node.HasChildren()) ParseChildren(node, control, manager);
    if (parent) {
      auto* container = static_cast<IContainerUI*>(parent->GetInterface(u"IContainer"));
      if (!container) {
        // Nothing can own the control: it goes, and so does this level.
        delete control;
        return nullptr;
      }
      if (!container->Add(control)) {
        delete control;
        continue;
      }
    }
    ApplyAttributes(control, node, manager);
    if (!first) first = control;
  }
  return first;
}

void CUISkinBuilder::ApplyAttributes(CControlUI* control, CUIMarkupNode node, CUIPaintManager* manager) {
  // The manager is lent for the attributes that need it (style, scaling):
  // the parent link stays, and so does an attachment the parent already made.
  IControlHost* attached = control->GetManager();
  if (manager) {
    control->SetManager(manager, control->GetParent(), false);
    const std::u16string defaults = manager->Resources().GetDefaultAttributeList(node.GetName());
    if (!defaults.empty()) control->ApplyAttributeList(defaults);
  }
  const int count = node.GetAttributeCount();
  for (int i = 0; i < count; ++i) {
    control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
  }
  if (manager) control->SetManager(attached, control->GetParent(), false);
}

CControlUI* CUISkinBuilder::ParseInclude(CUIMarkupNode node, CControlUI* parent, CUIPaintManager* manager) {
  if (!node.HasAttributes()) return nullptr;
  char16_t buffer[kMaxIncludeSource + 1] = {};
  int count = 1;
  if (node.GetAttributeValue(u"count", buffer, kMaxIncludeSource)) count = ParseIntValue(buffer);
  if (!node.GetAttributeValue(u"source", buffer, kMaxIncludeSource) || buffer[0] == 0) {
    return nullptr;
  }
  const std::u16string source = buffer;
  CControlUI* result = nullptr;
  for (int i = 0; i < count; ++i) {
    CUISkinBuilder builder;
    builder.m_bNested = true;
    CControlUI* built = builder.Create(source, m_pstrtype, m_pCallback, manager, parent);
    if (parent || !built) continue;
    // Without a parent nothing would own what was built: the first becomes
    // this level's result, later ones are not kept.
    if (!result)
      result = built;
    else
      delete built;
  }
  return result;
}

}  // namespace SkinUI
