#include "removal/restart/AdministratorsOnly.h"

#include "removal/held/HeldListing.h"
#include "removal/restart/AdministratorsOnlyDescriptor.h"

namespace {

bool SetSecurity(const CHeldEntry& folder, SECURITY_INFORMATION what) {
  return SetKernelObjectSecurity(folder.Handle(), what, AdministratorsOnlyDescriptor()) != FALSE;
}

const ACCESS_MASK kLockAccess =
    WRITE_OWNER | WRITE_DAC | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

const SECURITY_INFORMATION kOwnerAndDacl = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// Each folder is changed through the handle that told it a folder, so what
// is made administrators' own is what was told, whatever its name now leads
// to; the folders inside are opened relative to it.
bool LockHeld(CHeldEntry& given, CKeptSecurity* kept) {
  // Kept, it stays held until what it had is put back or let go.
  CHeldEntry* const held = kept ? kept->Keep(given) : &given;
  if (!held) return false;
  const CHeldEntry& folder = *held;
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
    // Listed after its folder was locked, a file cannot become a folder:
    // nothing can be made in its place.
    if (!(listed & FILE_ATTRIBUTE_DIRECTORY)) continue;
    CHeldEntry inside;
    const NTSTATUS opened =
        inside.OpenIn(folder, name, length, listed, kept ? kLockAccess | READ_CONTROL : kLockAccess,
                      FILE_DIRECTORY_FILE);
    // A link stays as it is: the folder that holds it is locked. Nothing can
    // be made in a folder Windows is deleting already.
    if (opened == STATUS_NOT_A_DIRECTORY || opened == STATUS_REPARSE_POINT_NOT_RESOLVED ||
        opened == STATUS_DELETE_PENDING || (NT_SUCCESS(opened) && inside.IsLink()))
      continue;
    if (!NT_SUCCESS(opened) || !LockHeld(inside, kept)) return false;
  }
  return listing.Complete();
}

}  // namespace

bool MakeAdministratorsOnly(const CWidePath& folder, CKeptSecurity* kept) {
  CHeldEntry top;
  return top.Open(folder, kept ? kLockAccess | READ_CONTROL : kLockAccess) && top.IsFolder() &&
         LockHeld(top, kept);
}

struct CKeptSecurity::Kept {
  CHeldEntry folder;
  BYTE* security;
  Kept* next;
};

CHeldEntry* CKeptSecurity::Keep(CHeldEntry& folder) {
  DWORD size = 0;
  GetKernelObjectSecurity(folder.Handle(), kOwnerAndDacl, NULL, 0, &size);
  BYTE* security = size ? new BYTE[size] : NULL;
  if (!security ||
      !GetKernelObjectSecurity(folder.Handle(), kOwnerAndDacl, security, size, &size)) {
    delete[] security;
    return NULL;
  }
  Kept* kept = new Kept;
  kept->security = security;
  kept->next = m_first;
  m_first = kept;
  kept->folder.Swap(folder);
  return &kept->folder;
}

bool CKeptSecurity::PutBack() {
  bool all = true;
  for (Kept* kept = m_first; kept; kept = kept->next) {
    // The DACL while Administrators still own it.
    if (!SetKernelObjectSecurity(kept->folder.Handle(), DACL_SECURITY_INFORMATION, kept->security))
      all = false;
    SetKernelObjectSecurity(kept->folder.Handle(), OWNER_SECURITY_INFORMATION, kept->security);
  }
  Release();
  return all;
}

void CKeptSecurity::Release() {
  while (m_first) {
    Kept* const next = m_first->next;
    delete[] m_first->security;
    delete m_first;
    m_first = next;
  }
}
