// Whether the program runs as LocalSystem, as deployment tools start it:
// told by the account's SID, whose name Windows gives in its own language.
#pragma once

#include "platform/Win32.h"

bool RunsAsLocalSystem();
