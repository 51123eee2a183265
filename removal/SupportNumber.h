// The maker's support line, as the user is told to call it.
#pragma once

inline constexpr char kSupportTelephoneNumber[] = "1-800-555-0143";
