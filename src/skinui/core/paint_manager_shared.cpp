#include "skinui/core/paint_manager_shared.h"

#include <algorithm>

#include "skinui/core/paint_manager.h"
#include "skinui/core/skin_resources.h"

namespace SkinUI {

TUISharedResources& SharedResources() {
  // Never destroyed: fonts may be asked for while other static objects end.
  static TUISharedResources* shared = new TUISharedResources;
  return *shared;
}

void CUIPaintManager::SetInstance(const IResourceModule* instance) {
  SharedResources();  // the shared lock exists before the first window
  SkinResources().SetInstance(instance);
}

void CUIPaintManager::SetHSL(short hue, short saturation, short lightness) {
  TUISharedResources& shared = SharedResources();
  shared.hue = std::clamp<short>(hue, 0, 360);
  shared.saturation = std::clamp<short>(saturation, 0, 200);
  shared.lightness = std::clamp<short>(lightness, 0, 200);
  for (CUIPaintManager* manager : shared.managers) manager->Invalidate();
}

void CUIPaintManager::GetHSL(short* hue, short* saturation, short* lightness) {
  const TUISharedResources& shared = SharedResources();
  *hue = shared.hue;
  *saturation = shared.saturation;
  *lightness = shared.lightness;
}

std::vector<CUIPaintManager*> CUIPaintManager::GetPaintManagers() {
  return SharedResources().managers;
}

void CUIPaintManager::RemoveAllShared() {
  TUISharedResources& shared = SharedResources();
  std::lock_guard<std::mutex> guard(shared.lock);
  shared.fonts.clear();
  shared.defaultFont.reset();
  shared.styles.clear();
  shared.defaultAttributes.clear();
}

}  // namespace SkinUI
