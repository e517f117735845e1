// POSIX window core: accessibility. Implemented: nothing is offered to
// screen readers. Not implemented: the desktop's accessibility bus (AT-SPI2);
// the requests are never made here, so the answer is always "not answered".
#include "platform/window/accessibility.h"

namespace platform {

bool AnswerAccessibleObjectRequest(HWND, WPARAM, LPARAM, IAccessibleContent*, LRESULT*) { return false; }

void DisconnectAccessibleContent(HWND) {}

void NotifyAccessibleEvent(HWND, EAccessibleEvent, int32_t) {}

}  // namespace platform
