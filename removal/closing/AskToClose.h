// Asking a program to close as a person does: WM_CLOSE to each of its visible
// top-level windows on this desktop, so that it can ask to save its work.
#pragma once

#include "platform/Afx.h"

// True when one of its windows was asked.
bool AskToClose(DWORD processId);
