// Mouse capture and the cursor position.
//
// The position is the last one the pump saw (window position plus client coordinates), so
// GetCursorPos followed by ScreenToClient gives back the client point of the last mouse event.
// While a window holds the capture it receives every mouse message, inside its client or not.
#pragma once

#include "platform/win32/window.h"

// Returns the previous capture window.
HWND SetCapture(HWND window);
HWND GetCapture();
BOOL ReleaseCapture();
BOOL GetCursorPos(POINT* point);

namespace platform {

// What the pump tracks of the mouse: the button word (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON).
WORD MouseButtonState();
// Wheel movement in WHEEL_DELTA units (positive away from the user) from an SDL wheel event's
// y, preciseY and direction fields.
int WheelDeltaFromSdl(int y, float preciseY, unsigned int direction);

}  // namespace platform
