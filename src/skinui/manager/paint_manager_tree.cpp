// The control tree of a paint manager: attaching, the name map, forgetting
// destroyed controls, delayed cleanup, finding controls, and the lists of
// listeners.
#include <algorithm>

#include "platform/window/window_system.h"
#include "skinui/manager/ui_accessible_content.h"
#include "skinui/control/control.h"
#include "skinui/manager/paint_manager.h"

namespace SkinUI {
namespace {

template <class T>
bool AddOnce(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <class T>
bool RemoveItem(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

CControlUI* MatchPoint(CControlUI* control, void*) { return control; }

CControlUI* MatchName(CControlUI* control, void* data) {
  return control->GetName() == *static_cast<std::u16string_view*>(data) ? control : nullptr;
}

}  // namespace

CUIPaintManager::CUIPaintManager() { m_mNameHash.rehash(CUIResources::kInitialBuckets); }

CUIPaintManager::~CUIPaintManager() {
  ReleaseAccessible();
  m_timers.RemoveAll();
  m_tooltip.Destroy();
  // The manager owns the trees attached to it and the controls waiting for
  // cleanup; each destructor comes back through ReapObjects.
  m_pRoot = nullptr;
  delete std::exchange(m_pOwnedRoot, nullptr);
  for (CControlUI* control : std::exchange(m_aDelayedCleanup, {})) delete control;
  std::erase(AllManagers(), this);
}

void CUIPaintManager::Init(platform::HWND hWnd) {
  m_hWndPaint = hWnd;
  m_timers.SetWindow(hWnd);
  m_layeredUpdate.SetWindow(hWnd);
  AddOnce(AllManagers(), this);
}

bool CUIPaintManager::AttachDialog(CControlUI* root) {
  SetFocus(nullptr);
  m_pEventKey = m_pEventHover = m_pEventClick = nullptr;
  if (m_pOwnedRoot && m_pOwnedRoot != root) {
    m_aPostPaintControls.clear();
    // Names must not find the controls of the tree that is going.
    m_mNameHash.clear();
    m_optionGroups.RemoveAll();
    AddDelayedCleanup(m_pOwnedRoot);
  }
  m_pRoot = m_pOwnedRoot = root;
  if (root) {
    // Ownership ends when the tree is destroyed by anyone else.
    root->OnDestroy.Add([this](CControlUI* dying) {
      if (dying == m_pOwnedRoot) m_pOwnedRoot = nullptr;
      return true;
    });
  }
  m_bUpdateNeeded = true;
  m_bFirstLayout = true;
  m_focus.Ask();
  return InitControls(root);
}

bool CUIPaintManager::InitControls(CControlUI* control, CControlUI* parent) {
  if (!control) return false;
  control->SetManager(this, parent ? parent : control->GetParent(), true);
  // Depth first, children before their container: a later control with the
  // same name replaces the earlier one.
  control->FindControl(
      [](CControlUI* c, void* data) -> CControlUI* {
        auto* self = static_cast<CUIPaintManager*>(data);
        if (!c->GetName().empty()) self->m_mNameHash[c->GetName()] = c;
        return nullptr;
      },
      this, 0);
  return true;
}

void CUIPaintManager::ReapObjects(CControlUI* control) {
  if (!control) return;
  if (control == m_pEventKey) m_pEventKey = nullptr;
  if (control == m_pEventHover) m_pEventHover = nullptr;
  if (control == m_pEventClick) m_pEventClick = nullptr;
  m_focus.Forget(control);
  KillTimer(control);
  if (auto it = m_mNameHash.find(control->GetName()); it != m_mNameHash.end() && it->second == control) {
    m_mNameHash.erase(it);
  }
  for (TUINotify& pending : m_aAsyncNotify) {
    if (pending.pSender == control) pending.pSender = nullptr;
  }
  // A destroyed control must not be painted or grouped any more either.
  RemoveItem(m_aPostPaintControls, control);
  m_optionGroups.Forget(control);
  if (control == m_pRoot) m_pRoot = nullptr;
}

void CUIPaintManager::AddDelayedCleanup(CControlUI* control) {
  if (!control) return;
  control->SetManager(nullptr, nullptr, false);
  AddOnce(m_aDelayedCleanup, control);
  if (m_hWndPaint) platform::PostMessage(m_hWndPaint, kMsgDelayedCleanup, 0, 0);
}

void CUIPaintManager::OnDelayedCleanup() {
  for (CControlUI* control : std::exchange(m_aDelayedCleanup, {})) delete control;
}

CControlUI* CUIPaintManager::FindControl(TUIPoint point) const {
  return FindSubControlByPoint(m_pRoot, point);
}

CControlUI* CUIPaintManager::FindControl(std::u16string_view name) const {
  auto it = m_mNameHash.find(std::u16string(name));
  return it == m_mNameHash.end() ? nullptr : it->second;
}

CControlUI* CUIPaintManager::FindSubControlByPoint(CControlUI* parent, TUIPoint point) const {
  if (!parent) return nullptr;
  return parent->FindControl(MatchPoint, &point, kFindVisible | kFindHitTest | kFindTopFirst);
}

CControlUI* CUIPaintManager::FindSubControlByName(CControlUI* parent, std::u16string_view name) const {
  if (!parent) return nullptr;
  return parent->FindControl(MatchName, &name, kFindMeFirst);
}

CControlUI* CUIPaintManager::ControlUnderPoint(TUIPoint point) const {
  CControlUI* control = FindControl(point);
  return control && control->GetManager() == this ? control : nullptr;
}

bool CUIPaintManager::AddNotifier(INotifyUI* notifier) { return AddOnce(m_aNotifiers, notifier); }
bool CUIPaintManager::RemoveNotifier(INotifyUI* notifier) { return RemoveItem(m_aNotifiers, notifier); }
bool CUIPaintManager::AddPreMessageFilter(IMessageFilterUI* filter) {
  return AddOnce(m_aPreMessageFilters, filter);
}
bool CUIPaintManager::RemovePreMessageFilter(IMessageFilterUI* filter) {
  return RemoveItem(m_aPreMessageFilters, filter);
}
bool CUIPaintManager::AddMessageFilter(IMessageFilterUI* filter) {
  return AddOnce(m_aMessageFilters, filter);
}
bool CUIPaintManager::RemoveMessageFilter(IMessageFilterUI* filter) {
  return RemoveItem(m_aMessageFilters, filter);
}
bool CUIPaintManager::AddPostPaint(CControlUI* control) { return AddOnce(m_aPostPaintControls, control); }
bool CUIPaintManager::RemovePostPaint(CControlUI* control) {
  return RemoveItem(m_aPostPaintControls, control);
}
bool CUIPaintManager::AddTranslateAccelerator(ITranslateAccelerator* translator) {
  return AddOnce(m_aTranslateAccelerator, translator);
}
bool CUIPaintManager::RemoveTranslateAccelerator(ITranslateAccelerator* translator) {
  return RemoveItem(m_aTranslateAccelerator, translator);
}

}  // namespace SkinUI
