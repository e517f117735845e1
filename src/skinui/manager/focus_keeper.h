// Which control of a window has the keyboard focus, which one should take it
// at the next paint (once the tab order is known), and the order the tab
// stops come in. The paint manager owns one and tells the controls.
#pragma once

#include <utility>

namespace SkinUI {

class CControlUI;

class CUIFocusKeeper {
 public:
  CControlUI* Get() const { return m_focus; }
  void Set(CControlUI* control) { m_focus = control; }
  // Takes the focus away; the control that had it.
  CControlUI* Take() { return std::exchange(m_focus, nullptr); }

  // A focus is asked for at the next paint: control, or without one the
  // default control or the first tab stop.
  void AskFor(CControlUI* control) {
    m_wanted = control;
    m_asked = true;
  }
  // The same without naming a control.
  void Ask() { m_asked = true; }
  bool IsAsked() const { return m_asked; }
  void Answered() { m_asked = false; }
  // The control asked for; it is forgotten.
  CControlUI* TakeWanted() { return std::exchange(m_wanted, nullptr); }

  // Forgets control, which is going away.
  void Forget(const CControlUI* control);

  // The tab stop after (before) the focus among the visible, enabled
  // controls of root's tree, wrapping around; null when there is none.
  CControlUI* NextTabStop(CControlUI* root, bool forward) const;
  // The visible, enabled control of root's tree that is its page's main
  // action; null when none.
  static CControlUI* FindDefault(CControlUI* root);
  // Enter while no tab stop has the focus activates root's default control;
  // true when it did.
  bool ActivateDefault(CControlUI* root) const;

 private:
  CControlUI* m_focus = nullptr;
  CControlUI* m_wanted = nullptr;
  bool m_asked = false;
};

}  // namespace SkinUI
