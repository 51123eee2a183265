// Where the product's installer may have put a folder of the product: a
// 32-bit installer uses the Program Files folder that Windows names for 32-bit
// programs, which is "C:\Program Files (x86)" on a 64-bit Windows and may be on
// another drive; the product's fixed names say "C:\Program Files".
#pragma once

#include "platform/Afx.h"

// `name` (relative to a Program Files folder) in each Program Files folder,
// in the order they are searched: the fixed "C:\Program Files" first, then the
// one Windows names for this program when that is another folder. Each folder
// counts once, however it is spelt.
void ProgramFilesPaths(LPCSTR name, CStringArray& paths);
