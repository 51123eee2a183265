// A Windows error for the log, as an administrator looks it up:
// " (error 5: Access is denied.)", or " (error 5)" where Windows has no text.
#pragma once

#include "platform/Afx.h"

CString ErrorText(DWORD error);
