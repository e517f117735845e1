// What a window tells screen readers: the window's content described as a
// tree of elements (role, name, value, state, place, default action), the
// system's request for it, and the events listeners follow.
//
// Windows: WM_GETOBJECT for the client area is answered with an MSAA
// IAccessible tree over the content; events go out through NotifyWinEvent.
// POSIX: no accessibility bus is spoken; requests are not answered and
// events reach no one.
//
// All operations run on the thread that owns the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/window_system.h"

namespace platform {

// The id of the window's own element; every other element has a positive id
// that stays its own for the element's life.
inline constexpr int32_t kAccessibleSelf = 0;
// HitTest's answer for a point outside the window.
inline constexpr int32_t kAccessibleNone = -1;

enum class EAccessibleRole { kClient, kStaticText, kPushButton, kProgressBar };

// State bits of an element.
enum : uint32_t {
  kAccessibleFocused = 1,
  kAccessibleFocusable = 2,
  kAccessibleUnavailable = 4,  // disabled
  kAccessibleInvisible = 8,
};

struct TAccessibleElement {
  EAccessibleRole role = EAccessibleRole::kClient;
  std::u16string name;
  std::u16string value;          // empty when the element has none
  std::u16string defaultAction;  // empty when it has none
  uint32_t state = 0;
  RECT client{};  // in client pixels of the window
};

// A window's content, as the UI framework knows it.
class IAccessibleContent {
 public:
  // Fills element; false when the element does not exist (any more).
  virtual bool Describe(int32_t id, TAccessibleElement* element) = 0;
  // True when id names an element that exists or once existed (whose
  // control is gone); false for an id that never named one.
  virtual bool HasExisted(int32_t id) = 0;
  // The children of an element in reading order; empty for an unknown id.
  virtual std::vector<int32_t> GetChildren(int32_t id) = 0;
  // The parent of an element; kAccessibleNone for the window's own element
  // and for an unknown id.
  virtual int32_t GetParent(int32_t id) = 0;
  // The element with the keyboard focus; kAccessibleNone when none.
  virtual int32_t GetFocus() = 0;
  // The innermost element at a client point; kAccessibleNone outside.
  virtual int32_t HitTest(POINT client) = 0;
  // Performs the element's default action; false when it has none now.
  virtual bool DoDefaultAction(int32_t id) = 0;
  // Moves the keyboard focus to the element; false when it cannot take it.
  virtual bool TakeFocus(int32_t id) = 0;

 protected:
  ~IAccessibleContent() = default;
};

enum class EAccessibleEvent { kFocus, kNameChange, kValueChange, kShow, kHide };

// Answers the system's request for the window's accessible object (Windows:
// WM_GETOBJECT's wParam and lParam) with content. False when the request is
// not one for the client area, and on POSIX; the message then goes on.
bool AnswerAccessibleObjectRequest(HWND hwnd, WPARAM wParam, LPARAM lParam, IAccessibleContent* content,
                                   LRESULT* result);
// Objects handed out for hwnd's content stop reaching it: from now on they
// answer that they are disconnected. Call before the content goes away.
void DisconnectAccessibleContent(HWND hwnd);
// Tells listening screen readers that event happened to element id of hwnd.
void NotifyAccessibleEvent(HWND hwnd, EAccessibleEvent event, int32_t id);

}  // namespace platform
