// The users of Terminal Services sessions (wtsapi32.dll, looked up when it is
// used): who is signed in to one, and starting a program there as them, with
// their own environment (userenv.dll).
#pragma once

#include "platform/Afx.h"

// "" for nobody, or where this Windows cannot tell.
CString SessionUser(DWORD session);
// Starts this program with `arguments` in `session`, as the user at it, on
// the desktop they see (winsta0\default); the process, or NULL where the
// session is not active (nobody at it, or disconnected), this account may not
// take its user's token (only SYSTEM may), or the start fails.
HANDLE StartInSession(DWORD session, const CString& arguments);
