// Images, styles, default attribute lists, window settings and the DPI scale
// of a paint manager.
#include <mutex>

#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"
#include "skinui/manager/paint_manager_shared.h"
#include "skinui/render/render_engine.h"
#include "skinui/render/window_scale.h"

namespace SkinUI {
namespace {

template <class Table>
std::u16string Lookup(const Table& table, std::u16string_view name) {
  auto it = table.find(std::u16string(name));
  return it == table.end() ? std::u16string() : it->second;
}

TUIRect ScaleRect(const CUIPaintManager& manager, const TUIRect& rc) {
  return {manager.Scale(rc.left), manager.Scale(rc.top), manager.Scale(rc.right),
          manager.Scale(rc.bottom)};
}

}  // namespace

void CUIDpi::SetScale(int scale) {
  m_scale = ClampScale(scale);
  if (!m_bScaleSet) m_firstScale = m_scale;
  m_bScaleSet = true;
}

const TUIImageInfo* CUIPaintManager::GetImageEx(std::u16string_view name, std::u16string_view type,
                                                uint32_t mask) {
  if (const TUIImageInfo* image = GetImage(name)) return image;
  return AddImage(name, type, mask);
}

const TUIImageInfo* CUIPaintManager::GetImage(std::u16string_view name) const {
  auto it = m_mImageHash.find(std::u16string(name));
  return it == m_mImageHash.end() ? nullptr : it->second.get();
}

const TUIImageInfo* CUIPaintManager::AddImage(std::u16string_view name, std::u16string_view type,
                                              uint32_t mask) {
  if (name.empty()) return nullptr;
  // A resource type asks for a module resource by its decimal identifier.
  if (!type.empty() && !(name[0] >= u'0' && name[0] <= u'9')) return nullptr;
  std::unique_ptr<TUIImageInfo> image = CUIRenderEngine::LoadImage(name, type, mask);
  if (!image) return nullptr;
  image->sResType = type;
  image->dwMask = mask;
  auto [it, inserted] = m_mImageHash.try_emplace(std::u16string(name), std::move(image));
  return inserted ? it->second.get() : nullptr;
}

bool CUIPaintManager::RemoveImage(std::u16string_view name) {
  return m_mImageHash.erase(std::u16string(name)) != 0;
}

void CUIPaintManager::RemoveAllImages() { m_mImageHash.clear(); }

void CUIPaintManager::AddStyle(std::u16string_view name, std::u16string_view value, bool shared) {
  if (!shared) {
    m_mStyleHash[std::u16string(name)] = value;
    return;
  }
  // The first shared definition wins, and a local one hides it anyway.
  if (m_mStyleHash.count(std::u16string(name))) return;
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  all.styles.try_emplace(std::u16string(name), value);
}

std::u16string CUIPaintManager::GetStyle(std::u16string_view name) const {
  if (auto it = m_mStyleHash.find(std::u16string(name)); it != m_mStyleHash.end()) {
    return it->second;
  }
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return Lookup(shared.styles, name);
}

void CUIPaintManager::AddDefaultAttributeList(std::u16string_view element,
                                              std::u16string_view list, bool shared) {
  if (!shared) {
    m_mDefaultAttrHash[std::u16string(element)] = list;
    return;
  }
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  all.defaultAttributes[std::u16string(element)] = list;
}

std::u16string CUIPaintManager::GetDefaultAttributeList(std::u16string_view element) const {
  if (auto it = m_mDefaultAttrHash.find(std::u16string(element));
      it != m_mDefaultAttrHash.end()) {
    return it->second;
  }
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return Lookup(shared.defaultAttributes, element);
}

void CUIPaintManager::SetInitSize(int cx, int cy) { m_szInitWindowSize = {cx, cy}; }

TUISize CUIPaintManager::GetInitSize() const {
  return {Scale(m_szInitWindowSize.cx), Scale(m_szInitWindowSize.cy)};
}

TUISize CUIPaintManager::GetRoundCorner() const {
  return {Scale(m_szRoundCorner.cx), Scale(m_szRoundCorner.cy)};
}

TUIRect CUIPaintManager::GetSizeBox() const { return ScaleRect(*this, m_rcSizeBox); }

TUIRect CUIPaintManager::GetCaptionRect() const { return ScaleRect(*this, m_rcCaption); }

CUIDpi* CUIPaintManager::GetDPIObj() {
  if (!m_pDPI) m_pDPI = std::make_unique<CUIDpi>();
  return m_pDPI.get();
}

void CUIPaintManager::SetDPI(int dpi) { SetDPIScale(ScaleOfDpi(dpi)); }

void CUIPaintManager::SetDPIScale(int scale) {
  int before = GetDPIScale();
  GetDPIObj()->SetScale(scale);
  if (GetDPIScale() == before) return;
  // Fonts are made at a pixel height; a new scale needs them made again.
  RebuildLocalFonts();
  if (m_pRoot) m_pRoot->NeedUpdate();
  m_bUpdateNeeded = true;
  Invalidate();
}

int CUIPaintManager::GetDPIScale() const { return m_pDPI ? m_pDPI->GetScale() : 100; }

}  // namespace SkinUI
