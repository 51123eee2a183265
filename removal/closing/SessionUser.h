// Who is signed in to a Terminal Services session (wtsapi32.dll, looked up
// when it is used): "" for nobody, or where this Windows cannot tell.
#pragma once

#include "platform/Afx.h"

CString SessionUser(DWORD session);
