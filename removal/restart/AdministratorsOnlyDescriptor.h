// The security that keeps an entry from everyone but SYSTEM and
// Administrators: owner Administrators, a protected DACL giving them alone
// full control, passed on to what is inside.
#pragma once

#include "platform/Win32.h"

// Self-relative, as SetKernelObjectSecurity and NtCreateFile take it.
PSECURITY_DESCRIPTOR AdministratorsOnlyDescriptor();
