#include "app/VisibleDesktop.h"

#include "location/NewerWindowsCalls.h"

bool DesktopIsVisible() {
  USEROBJECTFLAGS flags = {FALSE, FALSE, 0};
  const HWINSTA station = GetProcessWindowStation();
  if (station == NULL ||
      !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, NULL) ||
      (flags.dwFlags & WSF_VISIBLE) == 0)
    return false;
  // Before Vista the console's session is 0 too, and visible.
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  DWORD session = 1;
  return !GetVersionExA(&version) || version.dwMajorVersion < 6 ||
         !SessionOfProcess(GetCurrentProcessId(), &session) || session != 0;
}
