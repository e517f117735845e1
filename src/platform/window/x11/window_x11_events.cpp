// X11 window backend: the one place that turns X events into what the window
// core understands (pointer, keys with Windows virtual-key codes, placement
// and visibility changes made by others, a window destroyed by another client,
// focus, exposure, close requests, a compositing manager that comes or goes,
// a new Xft.dpi on the root, monitors and work areas that change, frames that
// move and restack, and what rings follow of their owners).
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include "platform/window/x11/window_x11.h"
#include "platform/window/x11/window_x11_monitors.h"
#include "platform/window/window_messages.h"

namespace platform::posix::x11 {
namespace {

struct TKeyPair {
  unsigned long keysym;
  int virtualKey;
};

constexpr TKeyPair kKeys[] = {
    {XK_Return, VK_RETURN},     {XK_KP_Enter, VK_RETURN},   {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},  {XK_BackSpace, VK_BACK},    {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},       {XK_Left, VK_LEFT},         {XK_Up, VK_UP},
    {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},         {XK_Home, VK_HOME},
    {XK_End, VK_END},           {XK_Prior, VK_PRIOR},       {XK_Next, VK_NEXT},
    {XK_Insert, VK_INSERT},     {XK_Delete, VK_DELETE},     {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},     {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},        {XK_Alt_R, VK_MENU},        {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL},
};

uint32_t Modifiers(unsigned state) {
  return ((state & ShiftMask) ? KEY_SHIFT : 0) | ((state & ControlMask) ? KEY_CONTROL : 0) |
         ((state & Mod1Mask) ? KEY_ALT : 0);
}

// The UTF-16 unit a key press types (Latin-1 keysyms are their code points,
// Unicode keysyms carry theirs); 0 for none.
char16_t CharacterOf(XKeyEvent& event) {
  char bytes[8];
  KeySym keysym = 0;
  int length = XLookupString(&event, bytes, sizeof bytes, &keysym, nullptr);
  if ((event.state & ControlMask) || length <= 0) {
    if (keysym >= 0x01000100 && keysym <= 0x0100FFFF) return static_cast<char16_t>(keysym & 0xFFFF);
    return 0;
  }
  if (keysym == XK_Return || keysym == XK_KP_Enter) return u'\r';
  if (keysym >= 0x01000100 && keysym <= 0x0100FFFF) return static_cast<char16_t>(keysym & 0xFFFF);
  return static_cast<unsigned char>(bytes[0]);
}

// Our window at the event's root point: the event window when the point is
// inside it, else the topmost one there (X reports to the grabbing window).
HWND TargetAt(Window eventWindow, POINT screen) {
  RECT rect;
  HWND hwnd = HwndOf(eventWindow);
  if (GetWindowRect(hwnd, &rect) && screen.x >= rect.left && screen.x < rect.right && screen.y >= rect.top &&
      screen.y < rect.bottom)
    return hwnd;
  return LocalWindowAt(screen);
}

void OnButton(XButtonEvent& event, bool down) {
  POINT screen{event.x_root, event.y_root};
  SetModifierState(Modifiers(event.state));
  HWND target = TargetAt(event.window, screen);
  if (event.button == Button4 || event.button == Button5) {
    if (down) OnPointerWheel(target, screen, event.button == Button4 ? 1 : -1);
    return;
  }
  int button = event.button == Button1 ? VK_LBUTTON : event.button == Button2 ? VK_MBUTTON : VK_RBUTTON;
  if (event.button <= Button3) OnPointerButton(target, screen, button, down);
}

void OnKeyEvent(XKeyEvent& event, bool down) {
  KeySym keysym = XkbKeycodeToKeysym(event.display, static_cast<KeyCode>(event.keycode), 0, 0);
  int virtualKey = VirtualKeyOf(keysym);
  if (!virtualKey) return;
  SetModifierState(Modifiers(event.state));
  OnKey(HwndOf(event.window), virtualKey, down, down ? CharacterOf(event) : 0);
}

void OnConfigure(TConnection& c, XConfigureEvent& event) {
  auto window = LocalWindow(HwndOf(event.window));
  if (!window || (!event.send_event && event.serial < NativeOf(*window).placementSerial)) return;
  int x = event.x, y = event.y;
  Window child;
  // Real events from a reparenting window manager are relative to its frame.
  if (!event.send_event) XTranslateCoordinates(c.display, event.window, c.root, 0, 0, &x, &y, &child);
  OnExternalPlacement(window->hwnd, {x, y, x + event.width, y + event.height});
}

void OnMapChange(TConnection& c, Window id, unsigned long serial, bool mapped) {
  auto window = LocalWindow(HwndOf(id));
  if (!window) return;
  c.ringsStale = true;
  // A ring's own X window stays unmapped while its edges show it.
  if (serial < NativeOf(*window).mapSerial || !NativeOf(*window).edges.empty()) return;
  TNativeWindow& native = NativeOf(*window);
  native.mapped = mapped;
  // A window manager decides itself whether a window that maps gets the
  // focus (with the user time it was mapped with); without one, it is ours
  // to give.
  if (mapped && native.focusWhenMapped) {
    native.focusWhenMapped = false;
    if (!WindowManagerActivates(c)) SetInputFocus(c, id);
  }
  OnExternalShown(window->hwnd, mapped);
}

// A frame of one of our windows moved (a window manager moving it, also
// while the user drags it, when some tell the window only at the end): the
// window is where its frame put it.
void FollowFrame(TConnection& c, XConfigureEvent& event) {
  for (HWND hwnd : CurrentQueue()->windows) {
    auto window = LocalWindow(hwnd);
    if (!window || !window->native || IsUnmanaged(*window)) continue;
    TNativeWindow& native = NativeOf(*window);
    if (event.window == native.id || FrameOf(c, native) != event.window) continue;
    // Restacked or resized where it was: the window's own events tell.
    if (native.frameOrigin.x == event.x && native.frameOrigin.y == event.y) return;
    native.frameOrigin = {event.x, event.y};
    int x = 0, y = 0;
    Window child;
    if (event.serial < native.placementSerial ||
        !XTranslateCoordinates(c.display, native.id, c.root, 0, 0, &x, &y, &child))
      return;
    const RECT& r = window->rect;
    OnExternalPlacement(hwnd, {x, y, x + r.right - r.left, y + r.bottom - r.top});
    return;
  }
}

// Events about the root's children (its SubstructureNotifyMask): frames
// move, windows come, go and restack. The rings follow each.
bool OnRootChild(TConnection& c, XEvent& event) {
  if (event.xany.window != c.root) return false;
  switch (event.type) {
    case ConfigureNotify:
      FollowFrame(c, event.xconfigure);
      break;
    case MapNotify:
    case UnmapNotify:
    case CreateNotify:
    case DestroyNotify:
    case ReparentNotify:
    case CirculateNotify:
    case GravityNotify:
      break;
    default:
      return false;
  }
  c.ringsStale = true;
  return true;
}

// The window manager's idea of whether a window of ours shows (minimised,
// shaded, its workspace) or which workspace is the current one changed.
void OnShowingStateChange(TConnection& c, XPropertyEvent& event) {
  const TAtoms& a = c.atoms;
  const Atom atom = event.atom;
  if (event.window == c.root ? atom == a.netCurrentDesktop
                             : atom == a.wmState || atom == a.netWmState || atom == a.netWmDesktop)
    c.ringsStale = true;
}

void OnExpose(TConnection& c, XExposeEvent& event) {
  auto window = LocalWindow(HwndOfEventWindow(event.window));
  if (!window) return;
  RECT area{event.x, event.y, event.x + event.width, event.y + event.height};
  // An edge of a ring reports in its own coordinates.
  for (const TRingEdge& edge : NativeOf(*window).edges) {
    if (edge.id != event.window) continue;
    area = {area.left + edge.area.left, area.top + edge.area.top, area.right + edge.area.left,
            area.bottom + edge.area.top};
  }
  if ((window->exStyle & WS_EX_LAYERED) && PutBackLayered(c, NativeOf(*window), area)) return;
  InvalidateRect(window->hwnd, &area, false);
}

void OnClientMessage(TConnection& c, XClientMessageEvent& event) {
  if (event.message_type == c.atoms.wmProtocols &&
      static_cast<Atom>(event.data.l[0]) == c.atoms.wmDeleteWindow && LocalWindow(HwndOf(event.window)))
    SendMessage(HwndOf(event.window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The compositing manager's selection changed hands: tell our windows when
// that changed whether translucent windows are blended.
void OnCompositorChange(TConnection& c) {
  bool composited = CompositorRuns(c);
  if (composited == c.composited) return;
  c.composited = composited;
  OnCompositionChanged();
}

void Translate(TConnection& c, XEvent& event) {
  if (c.fixesEventBase >= 0 && event.type == c.fixesEventBase + XFixesSelectionNotify) {
    OnCompositorChange(c);
    return;
  }
  if (OnRootChild(c, event)) return;
  if (event.type == PropertyNotify) OnShowingStateChange(c, event.xproperty);
  if (OnMonitorEvent(c, event)) return;
  switch (event.type) {
    case MotionNotify: {
      POINT screen{event.xmotion.x_root, event.xmotion.y_root};
      SetModifierState(Modifiers(event.xmotion.state));
      OnPointerMotion(TargetAt(event.xmotion.window, screen), screen);
      break;
    }
    case ButtonPress:
      c.userTime = event.xbutton.time;
      OnButton(event.xbutton, true);
      break;
    case ButtonRelease:
      OnButton(event.xbutton, false);
      break;
    case LeaveNotify:
      if (event.xcrossing.mode == NotifyNormal) OnPointerLeft(HwndOf(event.xcrossing.window));
      break;
    case KeyPress:
      c.userTime = event.xkey.time;
      OnKeyEvent(event.xkey, true);
      break;
    case KeyRelease:
      OnKeyEvent(event.xkey, false);
      break;
    case FocusIn:
    case FocusOut:
      if (event.xfocus.detail != NotifyPointer && event.xfocus.mode != NotifyGrab &&
          event.xfocus.mode != NotifyUngrab && event.xfocus.serial >= c.focusSerial)
        OnExternalFocus(HwndOf(event.xfocus.window), event.type == FocusIn);
      break;
    case ConfigureNotify:
      OnConfigure(c, event.xconfigure);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == event.xdestroywindow.event)
        OnExternalDestroy(HwndOf(event.xdestroywindow.window));
      break;
    case ReparentNotify:
      if (auto window = LocalWindow(HwndOf(event.xreparent.window)); window && window->native) {
        NativeOf(*window).frame = 0;
        c.ringsStale = true;
      }
      break;
    case MapNotify:
      OnMapChange(c, event.xmap.window, event.xmap.serial, true);
      break;
    case UnmapNotify:
      OnMapChange(c, event.xunmap.window, event.xunmap.serial, false);
      break;
    case Expose:
      OnExpose(c, event.xexpose);
      break;
    case ClientMessage:
      OnClientMessage(c, event.xclient);
      break;
    case PropertyNotify:
      if (event.xproperty.window == c.root && event.xproperty.atom == XA_RESOURCE_MANAGER)
        OnResourcesChanged(c);
      break;
    default:
      break;
  }
}

}  // namespace

int VirtualKeyOf(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return static_cast<int>('A' + (keysym - XK_a));
  if (keysym >= XK_A && keysym <= XK_Z) return static_cast<int>(keysym);
  if (keysym >= XK_0 && keysym <= XK_9) return static_cast<int>(keysym);
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<int>(VK_F1 + (keysym - XK_F1));
  for (const TKeyPair& pair : kKeys)
    if (pair.keysym == keysym) return pair.virtualKey;
  return 0;
}

unsigned long KeysymOf(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return XK_a + (virtualKey - 'A');
  if (virtualKey >= '0' && virtualKey <= '9') return static_cast<unsigned long>(virtualKey);
  if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return XK_F1 + (virtualKey - VK_F1);
  for (const TKeyPair& pair : kKeys)
    if (pair.virtualKey == virtualKey) return pair.keysym;
  return NoSymbol;
}

void PumpEvents(TConnection& c) {
  if (c.lost) return;
  TThreadQueue& queue = *CurrentQueue();
  int64_t now = NowNs();
  bool read = c.socketReadable || now - c.lastSocketRead > 1000000;
  if (read) {
    c.socketReadable = false;
    c.lastSocketRead = now;
  }
  while (queue.input.empty() && !c.lost &&
         XEventsQueued(c.display, read ? QueuedAfterReading : QueuedAlready) > 0) {
    XEvent event;
    XNextEvent(c.display, &event);
    Translate(c, event);
  }
  if (c.ringsStale && !c.lost) {
    c.ringsStale = false;
    FollowOwners(c);
  }
}

}  // namespace platform::posix::x11
