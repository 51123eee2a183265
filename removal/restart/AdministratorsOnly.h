// Windows carries out the deletes left to the restart by name, as SYSTEM,
// and follows a link anywhere on a path but at its end. Whoever may still
// change a folder on such a path (a pupil in their own folder of Students)
// could put a link there and steer the delete elsewhere.
#pragma once

#include "removal/WidePath.h"

// Makes `folder` (a "\\?\" path) and every folder inside it Administrators'
// own, with a DACL that grants SYSTEM and Administrators alone and takes
// nothing from above. Each folder is made so before it is listed, so that
// no name inside it can change afterwards; links inside are not entered.
// False when any of them could not be made so, or listed whole.
bool MakeAdministratorsOnly(const CWidePath& folder);
// That descriptor, for what is made SYSTEM's and Administrators' only from
// the start (the pupils' saved data): nobody else ever holds it open.
PSECURITY_DESCRIPTOR AdministratorsOnlyDescriptor();
