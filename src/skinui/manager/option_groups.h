// Option groups of a window: controls that share a group name, of which one
// is selected at a time. The paint manager owns them and forgets a control
// that goes away.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace SkinUI {

class CControlUI;

class CUIOptionGroups {
 public:
  CUIOptionGroups();
  // Adds control to group; false for null or when it is there already.
  bool Add(std::u16string_view group, CControlUI* control);
  // The members of group; null when there is no such group.
  const std::vector<CControlUI*>* Get(std::u16string_view group) const;
  // Takes control out of group; a group left empty goes.
  void Remove(std::u16string_view group, CControlUI* control);
  // Takes control out of every group.
  void Forget(const CControlUI* control);
  void RemoveAll() { m_groups.clear(); }

 private:
  std::unordered_map<std::u16string, std::vector<CControlUI*>> m_groups;
};

}  // namespace SkinUI
