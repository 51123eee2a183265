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

// Adds a program to its switch's value: "ID:HIGH:LOW" (its id and the two
// halves of its start), separated by commas.
void AddToCloseList(CString& list, const RM_UNIQUE_PROCESS& program);
// The copy's run: the notice for `seconds` (none for 0), then the request to
// close. A program that has ended, or whose id another took, is left alone.
int CloseInSession(const CString& list, DWORD seconds);
