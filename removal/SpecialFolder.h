// A shell folder by its CSIDL.
#pragma once

#include "platform/Afx.h"

// The shell folder's path, or "" when the system cannot name it.
CString SpecialFolder(int csidl);
