// Window icons: the large one (task switcher, title bar) and the small one
// (task bar), given to a window with WM_SETICON (wParam ICON_BIG or
// ICON_SMALL, lParam the icon; the previous one is returned) and read back
// with WM_GETICON (numbers in window_messages.h). DefWindowProc keeps them
// and the display shows them (on X11 as the window's _NET_WM_ICON).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/window/window_system.h"

namespace platform {

struct TIcon;
using HICON = const TIcon*;

// GetSystemMetrics. POSIX answers the icon sizes (SM_CXICON, SM_CYICON:
// 32; SM_CXSMICON, SM_CYSMICON: 16) and 0 for any other index.
int GetSystemMetrics(int index);

// Windows only: icon resource id of the program's executable at width x
// height (LoadImageW with IMAGE_ICON and LR_SHARED: the resource's image
// nearest that size, scaled). Null when the executable has no such icon.
HICON LoadIconResource(UINT id, int width, int height);

// POSIX only, where executables carry no resource section and the program
// links its .ico file in as data: an icon from that file's bytes, its
// 32-bit image nearest width x height scaled to that size. The icon lives
// for the whole process. Null when the file holds no such image.
HICON CreateIconFromIcoFile(const uint8_t* data, size_t size, int width, int height);

}  // namespace platform
