// The programs that the removal's copy in another session is to close, as
// its switch's value: "ID:HIGH:LOW" (a program's id and the two halves of its
// start), separated by commas.
#pragma once

#include "platform/Afx.h"

// Adds a program at the end.
void AddToCloseList(CString& list, const RM_UNIQUE_PROCESS& program);
// Reads the program at `text` and moves past it and the comma after it;
// false where no program in that form is there (a part missing, not a
// number, past 32 bits, or a comma with nothing after it).
bool NextInCloseList(LPCSTR& text, RM_UNIQUE_PROCESS& program);
// The whole of `list` names programs in that form.
bool IsCloseList(LPCSTR list);
