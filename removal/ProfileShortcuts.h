// The shortcut places of the other user profiles, for the removal and the check.
#pragma once

#include "removal/WidePath.h"

// The desktop and Start Menu of every user profile but this account's, at the
// places `userDesktop` and `userStartMenu` have in this account's profile, in
// `places` in UTF-8, the profile, its desktop, then its Start Menu; "" for
// one behind a link.
// False when the profiles cannot all be looked through; `profiles` is then
// their folder, "" where it is not known.
bool OtherProfiles(const CWidePath& userDesktop, const CWidePath& userStartMenu,
                   CWidePath& profiles, CStringArray& places);
