#include <cstring>

#include "removal/restart/TrustedFolders.h"

namespace {

// SYSTEM, Administrators and TrustedInstaller, as Windows lays a SID out.
const BYTE kTrustedSids[] = {
    1,    1,    0,    0,    0,    0,    0,    5,    18,   0,    0,    0,  // S-1-5-18
    1,    2,    0,    0,    0,    0,    0,    5,    32,   0,    0,    0,    0x20, 2,
    0,    0,  // S-1-5-32-544
    1,    6,    0,    0,    0,    0,    0,    5,    80,   0,    0,    0,    0xB5, 0x89,
    0xFB, 0x38, 0x19, 0x84,  // S-1-5-80-...
    0xC2, 0xCB, 0x5C, 0x6C, 0x23, 0x6D, 0x57, 0x00, 0x77, 0x6E, 0xC0, 0x02, 0x64, 0x87};

DWORD SidLength(const BYTE* sid) { return 8 + 4 * sid[1]; }

// The running account's SID, read from the process's token only when a SID
// that is none of the trusted ones must be compared with it: most
// descriptors name none.
class RunningAccount {
 public:
  // NULL when unknown.
  const BYTE* Sid() {
    if (m_read) return m_sid;
    m_read = true;
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return NULL;
    DWORD size;
    const BOOL read = GetTokenInformation(token, TokenUser, m_user, sizeof m_user, &size);
    CloseHandle(token);
    if (read) m_sid = static_cast<const BYTE*>(reinterpret_cast<TOKEN_USER*>(m_user)->User.Sid);
    return m_sid;
  }

 private:
  DWORD m_user[24];  // TOKEN_USER first
  bool m_read = false;
  const BYTE* m_sid = NULL;
};

// Whether `sid`, which fits in the `room` bytes there, is a trusted one's or
// the running account's.
bool Trusted(const BYTE* sid, DWORD room, RunningAccount& account) {
  if (room < 8 || sid[0] != 1 || SidLength(sid) > room) return false;
  for (const BYTE* known = kTrustedSids; known < kTrustedSids + sizeof kTrustedSids;
       known += SidLength(known)) {
    if (sid[1] == known[1] && memcmp(sid, known, SidLength(known)) == 0) return true;
  }
  const BYTE* user = account.Sid();
  return user && sid[1] == user[1] && memcmp(sid, user, SidLength(user)) == 0;
}

// Reads as Windows lays a self-relative descriptor out: owner and DACL at the
// offsets in its header; each ACE's type, flags, size, mask and SID.
bool DescriptorTrusted(const BYTE* bytes, DWORD size, DWORD rights) {
  RunningAccount user;
  DWORD owner, dacl;
  memcpy(&owner, bytes + 4, 4);
  memcpy(&dacl, bytes + 16, 4);
  // No owner is read as an untrusted one; no DACL grants everyone everything.
  if (owner == 0 || owner >= size || !Trusted(bytes + owner, size - owner, user) ||
      !(bytes[2] & SE_DACL_PRESENT) || dacl == 0 || dacl + 8 > size)
    return false;
  WORD count, aceSize;
  memcpy(&count, bytes + dacl + 4, 2);
  for (DWORD at = dacl + 8; count > 0; --count, at += aceSize) {
    if (at + 8 > size) return false;
    DWORD mask;
    memcpy(&aceSize, bytes + at + 2, 2);
    memcpy(&mask, bytes + at + 4, 4);
    if (aceSize < 8 || at + aceSize > size) return false;
    // Whatever is not a plain denial is taken to grant its mask; what is
    // only passed on to what is made inside does not apply here.
    if (bytes[at] != ACCESS_DENIED_ACE_TYPE && !(bytes[at + 1] & INHERIT_ONLY_ACE) &&
        (mask & rights) && !Trusted(bytes + at + 8, aceSize - 8, user))
      return false;
  }
  return true;
}

}  // namespace

bool OnlyTrustedMayHeld(HANDLE entry, DWORD rights) {
  DWORD security[1024];
  DWORD size;
  return GetKernelObjectSecurity(entry, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                 security, sizeof security, &size) &&
         DescriptorTrusted(reinterpret_cast<const BYTE*>(security), sizeof security, rights);
}

bool OnlyTrustedMayKey(HKEY key) {
  DWORD security[1024];
  DWORD size = sizeof security;
  return RegGetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, security,
                           &size) == ERROR_SUCCESS &&
         DescriptorTrusted(reinterpret_cast<const BYTE*>(security), sizeof security,
                           kKeyChangeRights);
}

bool OnlyTrustedMay(const CWidePath& path, DWORD rights, bool link) {
  // By name, as itself, to judge only: the answer comes from the handle.
  HANDLE entry =
      CreateFileW(path.Text(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (entry == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool trusted = GetFileInformationByHandle(entry, &info) &&
                       (link || !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) &&
                       OnlyTrustedMayHeld(entry, rights);
  CloseHandle(entry);
  return trusted;
}

bool OnlyTrustedAbove(const CWidePath& path, DWORD holderRights) {
  const int holder = path.Parent().GetLength();
  // "\\?\C:\" first, then each folder that a later separator ends.
  for (int end = 7;;) {
    const bool last = end >= holder;
    if (!OnlyTrustedMay(CWidePath().Append(path.Text(), end),
                        kChangeRights | (last ? holderRights : 0), false))
      return false;
    if (last) return true;
    while (path[++end] != L'\\') continue;
  }
}

bool LinkMadeByTrusted(const CWidePath& link) {
  CWidePath wide = link;
  return wide.Extend() && OnlyTrustedAbove(wide, kMakeRights) &&
         OnlyTrustedMay(wide, kChangeRights | kMakeRights, true);
}
