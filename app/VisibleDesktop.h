// Whether anybody can see a window this program opens. A service's window
// station has no WSF_VISIBLE, and from Vista on session 0 is the services'
// own: a window or message box there waits for a click that never comes.
#pragma once

#include "platform/Win32.h"

bool DesktopIsVisible();
