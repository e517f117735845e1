// Option groups of a window.
#include "skinui/manager/option_groups.h"

#include <algorithm>

#include "skinui/resources/ui_resources.h"

namespace SkinUI {

CUIOptionGroups::CUIOptionGroups() { m_groups.rehash(CUIResources::kInitialBuckets); }

bool CUIOptionGroups::Add(std::u16string_view group, CControlUI* control) {
  std::vector<CControlUI*>& members = m_groups[std::u16string(group)];
  if (!control || std::find(members.begin(), members.end(), control) != members.end()) return false;
  members.push_back(control);
  return true;
}

const std::vector<CControlUI*>* CUIOptionGroups::Get(std::u16string_view group) const {
  auto it = m_groups.find(std::u16string(group));
  return it == m_groups.end() ? nullptr : &it->second;
}

void CUIOptionGroups::Remove(std::u16string_view group, CControlUI* control) {
  auto it = m_groups.find(std::u16string(group));
  if (it == m_groups.end()) return;
  std::erase(it->second, control);
  if (it->second.empty()) m_groups.erase(it);
}

void CUIOptionGroups::Forget(const CControlUI* control) {
  for (auto& [group, members] : m_groups) std::erase(members, control);
}

}  // namespace SkinUI
