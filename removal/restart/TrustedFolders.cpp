#include <cstring>

#include "removal/restart/TrustedFolders.h"

namespace {

// NT AUTHORITY's accounts, by their relative ids.
const DWORD kSystem[] = {18};
const DWORD kAdministrators[] = {32, 544};
const DWORD kTrustedInstaller[] = {80, 956008885, 3418522649u, 1831038044, 1853292631, 2271478464u};

// A SID's length; 0 when it does not fit in the `room` bytes at `sid`.
DWORD SidLength(const BYTE* sid, DWORD room) {
  if (room < 8 || sid[0] != 1) return 0;
  const DWORD length = 8 + 4 * sid[1];
  return length <= room ? length : 0;
}

bool IsNtAccount(const BYTE* sid, const DWORD* ids, BYTE count) {
  static const BYTE kNtAuthority[6] = {0, 0, 0, 0, 0, 5};
  return sid[1] == count && memcmp(sid + 2, kNtAuthority, 6) == 0 &&
         memcmp(sid + 8, ids, 4 * count) == 0;
}

class CTrustedAccounts {
 public:
  CTrustedAccounts() : m_userLength(0) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size;
    if (GetTokenInformation(token, TokenUser, m_user, sizeof m_user, &size)) {
      const BYTE* sid = static_cast<const BYTE*>(reinterpret_cast<TOKEN_USER*>(m_user)->User.Sid);
      m_userSid = sid;
      m_userLength = SidLength(sid, DWORD(reinterpret_cast<const BYTE*>(m_user + 24) - sid));
    }
    CloseHandle(token);
  }
  // `sid` has been checked to fit.
  bool Trusts(const BYTE* sid) const {
    return IsNtAccount(sid, kSystem, 1) || IsNtAccount(sid, kAdministrators, 2) ||
           IsNtAccount(sid, kTrustedInstaller, 6) ||
           (m_userLength && memcmp(sid, m_userSid, m_userLength) == 0 &&
            SidLength(sid, m_userLength) == m_userLength);
  }

 private:
  DWORD m_user[24];  // TOKEN_USER and the SID it points to
  const BYTE* m_userSid;
  DWORD m_userLength;
};

// Reads as Windows lays a self-relative descriptor out: owner and DACL at the
// offsets in its header; each ACE's type, flags, size, mask and SID.
bool DescriptorTrusted(const BYTE* bytes, DWORD size, DWORD rights) {
  const CTrustedAccounts trusted;
  DWORD owner, dacl;
  memcpy(&owner, bytes + 4, 4);
  memcpy(&dacl, bytes + 16, 4);
  const WORD control = WORD(bytes[2] | bytes[3] << 8);
  // No owner is read as an untrusted one; no DACL grants everyone everything.
  if (owner == 0 || owner >= size || !SidLength(bytes + owner, size - owner) ||
      !trusted.Trusts(bytes + owner) || !(control & SE_DACL_PRESENT) || dacl == 0 ||
      dacl + 8 > size)
    return false;
  WORD count;
  memcpy(&count, bytes + dacl + 4, 2);
  for (DWORD at = dacl + 8; count > 0; --count) {
    if (at + 8 > size) return false;
    WORD aceSize;
    DWORD mask;
    memcpy(&aceSize, bytes + at + 2, 2);
    memcpy(&mask, bytes + at + 4, 4);
    if (aceSize < 8 || at + aceSize > size) return false;
    // Whatever is not a plain denial is taken to grant its mask; what is
    // only passed on to what is made inside does not apply here.
    const bool grants =
        bytes[at] != ACCESS_DENIED_ACE_TYPE && !(bytes[at + 1] & INHERIT_ONLY_ACE) && (mask & rights);
    if (grants && (!SidLength(bytes + at + 8, aceSize - 8) || !trusted.Trusts(bytes + at + 8)))
      return false;
    at += aceSize;
  }
  return true;
}

}  // namespace

bool OnlyTrustedMay(const CWidePath& path, DWORD rights, bool link) {
  HANDLE entry = CreateFileW(path.Text(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                             OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (entry == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  DWORD security[1024];
  DWORD size;
  const bool trusted =
      GetFileInformationByHandle(entry, &info) &&
      (link || !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) &&
      GetKernelObjectSecurity(entry, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              security, sizeof security, &size) &&
      DescriptorTrusted(reinterpret_cast<const BYTE*>(security), sizeof security, rights);
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
