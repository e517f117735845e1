// What rendering asks of the window it draws for: the answers come from the
// window's resources (the mouse position, the other question, is the
// manager's own).
#include "skinui/manager/paint_manager.h"

namespace SkinUI {

const TUIFontInfo* CUIPaintManager::GetFontInfo(int index) { return m_resources.GetFontInfo(index); }

int CUIPaintManager::FindFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  return m_resources.FindFont(face, size, bold, underline, italic);
}

int CUIPaintManager::AddFont(std::u16string_view face, int size, bool bold, bool underline, bool italic) {
  return m_resources.AddFont(face, size, bold, underline, italic);
}

const TUIImageInfo* CUIPaintManager::GetImageEx(std::u16string_view name, std::u16string_view type,
                                                uint32_t mask) {
  return m_resources.GetImageEx(name, type, mask);
}

uint32_t CUIPaintManager::GetLinkColor() const { return m_resources.Colors().linkFont; }

uint32_t CUIPaintManager::GetLinkHoverColor() const { return m_resources.Colors().linkHoverFont; }

uint32_t CUIPaintManager::GetSelectedBkColor() const { return m_resources.Colors().selectedBk; }

}  // namespace SkinUI
