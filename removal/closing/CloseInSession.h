// The copy of this program that the removal starts in another user's session,
// as that user, where the Restart Manager cannot reach: it shows the pupil the
// notice, then asks the named programs to close as a person would, and says by
// its exit code how that went. It ends nothing itself.
#pragma once

#include "platform/Afx.h"

// Its exit codes: every named program has ended, or one still runs.
const DWORD kProgramsClosed = 0;
const DWORD kProgramsStillRunning = 1460;  // ERROR_TIMEOUT
// How long the programs have, once asked, to close: their own question about
// unsaved work may be up.
const DWORD kAnswerTime = 30000;

// The copy's run, with a list that is whole (removal/closing/CloseList): the notice for `seconds`
// (none for 0), then the request to close. A program that has ended, or whose id another took, is
// left alone.
int CloseInSession(const CString& list, DWORD seconds);
