#include "removal/restart/DriveAtBoot.h"

bool OnDriveAtBoot(const CWidePath& path) {
  // "\\?\C:\...": anything else names a share or a device.
  if (path.GetLength() < 7 || path[5] != L':' || path[6] != L'\\') return false;
  const WCHAR root[] = {path[4], L':', L'\\', 0};
  if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
  // A SUBST drive is a fixed one too, but its device is another path.
  const WCHAR drive[] = {path[4], L':', 0};
  WCHAR device[MAX_PATH];
  if (!QueryDosDeviceW(drive, device, MAX_PATH)) return false;
  return !(device[0] == L'\\' && device[1] == L'?' && device[2] == L'?' && device[3] == L'\\');
}
