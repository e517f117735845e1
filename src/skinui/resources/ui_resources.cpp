// Images, styles, default attribute lists and the DPI scale of a window.
#include "skinui/resources/ui_resources.h"

#include <mutex>

#include "skinui/render/render_engine.h"
#include "skinui/render/window_scale.h"
#include "skinui/resources/shared_resources.h"

namespace SkinUI {
namespace {

template <class Table>
std::u16string Lookup(const Table& table, std::u16string_view name) {
  auto it = table.find(std::u16string(name));
  return it == table.end() ? std::u16string() : it->second;
}

}  // namespace

CUIResources::CUIResources() {
  m_images.rehash(kInitialBuckets);
  m_styles.rehash(kInitialBuckets);
  m_defaultAttributes.rehash(kInitialBuckets);
}

void CUIDpi::SetScale(int scale) {
  m_scale = ClampScale(scale);
  if (!m_bScaleSet) m_firstScale = m_scale;
  m_bScaleSet = true;
}

const TUIImageInfo* CUIResources::GetImageEx(std::u16string_view name, std::u16string_view type,
                                             uint32_t mask) {
  if (const TUIImageInfo* image = GetImage(name)) return image;
  return AddImage(name, type, mask);
}

const TUIImageInfo* CUIResources::GetImage(std::u16string_view name) const {
  auto it = m_images.find(std::u16string(name));
  return it == m_images.end() ? nullptr : it->second.get();
}

const TUIImageInfo* CUIResources::AddImage(std::u16string_view name, std::u16string_view type,
                                           uint32_t mask) {
  if (name.empty()) return nullptr;
  // A resource type asks for a module resource by its decimal identifier.
  if (!type.empty() && !(name[0] >= u'0' && name[0] <= u'9')) return nullptr;
  std::unique_ptr<TUIImageInfo> image = CUIRenderEngine::LoadImage(name, type, mask);
  if (!image) return nullptr;
  image->sResType = type;
  image->dwMask = mask;
  auto [it, inserted] = m_images.try_emplace(std::u16string(name), std::move(image));
  return inserted ? it->second.get() : nullptr;
}

bool CUIResources::RemoveImage(std::u16string_view name) { return m_images.erase(std::u16string(name)) != 0; }

void CUIResources::RemoveAllImages() { m_images.clear(); }

void CUIResources::AddStyle(std::u16string_view name, std::u16string_view value, bool shared) {
  if (!shared) {
    m_styles[std::u16string(name)] = value;
    return;
  }
  // The first shared definition wins, and a local one hides it anyway.
  if (m_styles.count(std::u16string(name))) return;
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  all.styles.try_emplace(std::u16string(name), value);
}

std::u16string CUIResources::GetStyle(std::u16string_view name) const {
  if (auto it = m_styles.find(std::u16string(name)); it != m_styles.end()) {
    return it->second;
  }
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return Lookup(shared.styles, name);
}

void CUIResources::AddDefaultAttributeList(std::u16string_view element, std::u16string_view list,
                                           bool shared) {
  if (!shared) {
    m_defaultAttributes[std::u16string(element)] = list;
    return;
  }
  TUISharedResources& all = SharedResources();
  std::lock_guard<std::mutex> guard(all.lock);
  all.defaultAttributes[std::u16string(element)] = list;
}

std::u16string CUIResources::GetDefaultAttributeList(std::u16string_view element) const {
  if (auto it = m_defaultAttributes.find(std::u16string(element)); it != m_defaultAttributes.end()) {
    return it->second;
  }
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  return Lookup(shared.defaultAttributes, element);
}

bool CUIResources::SetDPIScale(int scale) {
  const int before = GetDPIScale();
  m_dpi.SetScale(scale);
  if (GetDPIScale() == before) return false;
  // Fonts are made at a pixel height; a new scale needs them made again.
  RebuildOwnFonts();
  return true;
}

}  // namespace SkinUI
