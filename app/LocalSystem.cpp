#include "app/LocalSystem.h"

#include <cstring>

bool RunsAsLocalSystem() {
  // S-1-5-18: revision 1, one sub-authority, NT authority 5, LocalSystem 18.
  static const BYTE kLocalSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD buffer[32];
  DWORD size = 0;
  const bool read = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) != 0;
  CloseHandle(token);
  return read && memcmp(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, kLocalSystem,
                        sizeof kLocalSystem) == 0;
}
