#include "removal/restart/AdministratorsOnly.h"

#include "removal/held/HeldListing.h"

namespace {

// A security descriptor in the self-relative form Windows stores: owner
// Administrators; a protected DACL giving SYSTEM and Administrators full
// control, passed on to what is inside. Laid out by hand, it needs none of
// the descriptor-building calls that Windows NT 4.0 lacks.
struct Sid1 {
  BYTE revision, count, authority[6];
  DWORD sub[1];
};
struct Sid2 {
  BYTE revision, count, authority[6];
  DWORD sub[2];
};
struct SystemAce {
  BYTE type, flags;
  WORD size;
  DWORD mask;
  Sid1 sid;
};
struct AdministratorsAce {
  BYTE type, flags;
  WORD size;
  DWORD mask;
  Sid2 sid;
};
struct HandLaidDescriptor {
  BYTE revision, reserved;
  WORD control;
  DWORD owner, group, sacl, dacl;
  Sid2 ownerSid;
  BYTE aclRevision, aclReserved;
  WORD aclSize, aceCount, aclReserved2;
  SystemAce system;
  AdministratorsAce administrators;
};

const BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const DWORD kDaclAt = 20 + sizeof(Sid2);
const HandLaidDescriptor kDescriptor = {
    1,
    0,
    SE_SELF_RELATIVE | SE_DACL_PRESENT | SE_DACL_PROTECTED,
    20,  // the owner follows the header
    0,
    0,
    kDaclAt,
    {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}},  // S-1-5-32-544, Administrators
    2,
    0,
    sizeof(HandLaidDescriptor) - kDaclAt,
    2,
    0,
    {ACCESS_ALLOWED_ACE_TYPE,
     kInherited,
     sizeof(SystemAce),
     FILE_ALL_ACCESS,
     {1, 1, {0, 0, 0, 0, 0, 5}, {18}}},  // S-1-5-18, SYSTEM
    {ACCESS_ALLOWED_ACE_TYPE,
     kInherited,
     sizeof(AdministratorsAce),
     FILE_ALL_ACCESS,
     {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}},
};
static_assert(sizeof(HandLaidDescriptor) == 88, "laid out as Windows reads it");

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

PSECURITY_DESCRIPTOR AdministratorsOnlyDescriptor() {
  return const_cast<HandLaidDescriptor*>(&kDescriptor);
}

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
