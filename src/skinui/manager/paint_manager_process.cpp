// The process-wide side of the paint managers: the module skins come from,
// colour adjustment, and the list of managers that have a window.
#include <algorithm>

#include "skinui/manager/paint_manager.h"
#include "skinui/render/render_engine.h"
#include "skinui/resources/skin_resources.h"

namespace SkinUI {

std::vector<CUIPaintManager*>& CUIPaintManager::AllManagers() {
  // Never destroyed: windows may end while other static objects do.
  static auto* managers = new std::vector<CUIPaintManager*>;
  return *managers;
}

void CUIPaintManager::SetInstance(const IResourceModule* instance) { SkinResources().SetInstance(instance); }

void CUIPaintManager::SetHSL(short hue, short saturation, short lightness) {
  CUIRenderEngine::SetAdjustHSL(std::clamp<short>(hue, 0, 360), std::clamp<short>(saturation, 0, 200),
                                std::clamp<short>(lightness, 0, 200));
  for (CUIPaintManager* manager : AllManagers()) manager->Invalidate();
}

void CUIPaintManager::GetHSL(short* hue, short* saturation, short* lightness) {
  CUIRenderEngine::GetAdjustHSL(hue, saturation, lightness);
}

std::vector<CUIPaintManager*> CUIPaintManager::GetPaintManagers() { return AllManagers(); }

}  // namespace SkinUI
