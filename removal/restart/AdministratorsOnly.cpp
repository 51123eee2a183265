#include "removal/restart/AdministratorsOnly.h"

#include "removal/held/HeldListing.h"
#include "removal/restart/AdministratorsOnlyDescriptor.h"

namespace {

bool SetSecurity(const CHeldEntry& folder, SECURITY_INFORMATION what) {
  return SetKernelObjectSecurity(folder.Handle(), what, AdministratorsOnlyDescriptor()) != FALSE;
}

const ACCESS_MASK kLockAccess =
    WRITE_OWNER | WRITE_DAC | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

// Each folder is changed through the handle that told it a folder, so what
// is made administrators' own is what was told, whatever its name now leads
// to; the folders inside are opened relative to it.
bool LockHeld(const CHeldEntry& folder) {
  // The owner first: the owner may always rewrite the DACL, even one that
  // grants administrators nothing.
  if (!SetSecurity(folder, OWNER_SECURITY_INFORMATION) ||
      !SetSecurity(folder, DACL_SECURITY_INFORMATION))
    return false;
  CHeldListing listing(folder);
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CHeldEntry inside;
    const NTSTATUS opened =
        inside.OpenIn(folder, name, length, listed, kLockAccess, FILE_DIRECTORY_FILE);
    // A link stays as it is: the folder that holds it is locked. Nothing can
    // be made in a folder Windows is deleting already.
    if (opened == STATUS_NOT_A_DIRECTORY || opened == STATUS_REPARSE_POINT_NOT_RESOLVED ||
        opened == STATUS_DELETE_PENDING || (NT_SUCCESS(opened) && inside.IsLink()))
      continue;
    if (!NT_SUCCESS(opened) || !LockHeld(inside)) return false;
  }
  return listing.Complete();
}

}  // namespace

bool MakeAdministratorsOnly(const CWidePath& folder) {
  CHeldEntry top;
  return top.Open(folder, kLockAccess) && top.IsFolder() && LockHeld(top);
}
