// A shell folder by its CSIDL.
#pragma once

#include "removal/WidePath.h"

// The shell folder's path, by its whole name (the ANSI call would give a
// best fit, naming nothing, for a name the code page cannot spell); empty
// when the system cannot name it.
CWidePath ShellFolder(int csidl);
