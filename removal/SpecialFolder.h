// A shell folder by its CSIDL.
#pragma once

#include "removal/WidePath.h"

// The shell folder's path, or "" when the system cannot name it. A name the
// code page cannot spell comes in its best fit, which names nothing.
CString SpecialFolder(int csidl);

// The shell folder's whole path, for the folders the removal works in; empty
// when the system cannot name it.
CWidePath ShellFolder(int csidl);
