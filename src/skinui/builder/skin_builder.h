// CUISkinBuilder reads one skin file, registers the resources it declares
// (fonts, styles, default attribute lists, images) with a window's paint
// manager, applies the root Window element's settings to that window, and
// builds the tree of controls it describes.
//
//   CUISkinBuilder builder;
//   CControlUI* root = builder.Create(u"dlg_main.xml", {}, callback, &manager);
//   if (root) manager.AttachDialog(root);
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "skinui/markup/markup.h"

namespace SkinUI {

class CControlUI;
class CUIPaintManager;
class CUIResources;

// Makes controls for element names the builder does not know.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A new control for the element name, or null (the element and its subtree
  // are then skipped).
  virtual CControlUI* CreateControl(std::u16string_view name) = 0;
};

class CUISkinBuilder {
 public:
  CUISkinBuilder() = default;
  CUISkinBuilder(const CUISkinBuilder&) = delete;
  CUISkinBuilder& operator=(const CUISkinBuilder&) = delete;

  // Builds skin and returns the first control created at the top level, or
  // null. skin is a markup text beginning with '<', a skin file name (read
  // through the skin resources), or - with a resource type - a decimal module
  // resource identifier. manager and parent may be null. With a manager, the
  // DPI of the monitor its window stands on is set on it and the window is
  // scaled to that DPI (or to the largest step at which it fits that
  // monitor's work area). Null when
  // the skin cannot be read or parsed, or describes no control.
  CControlUI* Create(std::u16string_view skin, std::u16string_view type = {},
                     IDialogBuilderCallback* callback = nullptr, CUIPaintManager* manager = nullptr,
                     CControlUI* parent = nullptr);

  // The document of the last Create (for its error message after a failure).
  CUIMarkup& GetMarkup() { return m_xml; }

 private:
  // Loads skin into the document; false when it cannot be read or parsed.
  bool Load(std::u16string_view skin, std::u16string_view type);
  CControlUI* Build(CUIPaintManager* manager, CControlUI* parent);
  // The top-level resource elements (Image, Font, Default, Style, Fonts, Styles).
  void RegisterResources(CUIMarkupNode root, CUIResources& resources);
  void RegisterResourceFile(CUIMarkupNode node, CUIResources& resources, bool fonts);
  // The root Window element's settings and colours, and its size.
  void ApplyWindowAttributes(CUIMarkupNode root, CUIPaintManager* manager);
  void ScaleWindow(CUIPaintManager* manager, CControlUI* root);
  CControlUI* ParseChildren(CUIMarkupNode parentNode, CControlUI* parent, CUIPaintManager* manager);
  // Runs an Include element count times into parent. Without a parent, the
  // first control it built is returned (this level's result when first).
  CControlUI* ParseInclude(CUIMarkupNode node, CControlUI* parent, CUIPaintManager* manager);
  CControlUI* CreateControl(std::u16string_view name) const;
  void ApplyAttributes(CControlUI* control, CUIMarkupNode node, CUIPaintManager* manager);

  CUIMarkup m_xml;
  IDialogBuilderCallback* m_pCallback = nullptr;
  std::u16string m_pstrtype;  // resource type; empty when the skin is no module resource
  // An included file builds inside another skin: the window is not scaled
  // again for it.
  bool m_bNested = false;
};

}  // namespace SkinUI
