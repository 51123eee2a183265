#include "removal/held/HeldWay.h"

#include "removal/held/HeldListing.h"
#include "removal/paths/PathExists.h"

namespace {

const ACCESS_MASK kWayAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

NTSTATUS Refused(CHeldEntry& entry) {
  entry.Close();
  return STATUS_REPARSE_POINT_NOT_RESOLVED;
}

WCHAR Folded(WCHAR c) { return c >= L'A' && c <= L'Z' ? WCHAR(c - L'A' + L'a') : c; }

bool SameName(LPCWSTR one, int oneLength, LPCWSTR other, int otherLength) {
  if (oneLength != otherLength) return false;
  for (int i = 0; i < oneLength; ++i)
    if (Folded(one[i]) != Folded(other[i])) return false;
  return true;
}

// Opens `name` of `folder` as itself. Wine 8 follows a link opened so, and
// only the listing then tells one: an entry whose handle shows no link but
// that its folder lists as a reparse point is opened again with what was
// listed (see CHeldEntry::OpenIn), so that a cloud file stays and a followed
// link is refused. One the listing does not give as spelt (its case differs
// beyond ASCII) is refused too, the harsher reading.
NTSTATUS OpenListed(const CHeldEntry& folder, LPCWSTR name, int length, ACCESS_MASK access,
                    CHeldEntry& entry) {
  const NTSTATUS opened = entry.OpenIn(folder, name, length, 0, access);
  if (!NT_SUCCESS(opened) || entry.IsLink()) return opened;
  CHeldListing listing(folder);
  LPCWSTR listedName;
  int listedLength;
  DWORD listed;
  while (listing.Next(listedName, listedLength, listed))
    if (SameName(name, length, listedName, listedLength))
      return (listed & FILE_ATTRIBUTE_REPARSE_POINT)
                 ? entry.OpenIn(folder, name, length, listed, access)
                 : opened;
  // A listing that broke off tells nothing: what may be there is not passed over.
  if (!listing.Complete()) {
    entry.Close();
    return STATUS_UNSUCCESSFUL;
  }
  return Refused(entry);
}

}  // namespace

void CHeldWay::Start(const CWidePath& top) {
  Keep(0);
  CWidePath path = top;
  if (!path.Extend() || !m_folders[0].Open(path, kWayAccess)) {
    m_top = IsNotFoundError(GetLastError()) ? STATUS_OBJECT_NAME_NOT_FOUND : STATUS_UNSUCCESSFUL;
    return;
  }
  m_top = m_folders[0].IsFolder() ? 0
          : m_folders[0].IsLink() ? STATUS_STOPPED_ON_SYMLINK
                                  : STATUS_NOT_A_DIRECTORY;
  if (NT_SUCCESS(m_top)) m_depth = 1;
}

NTSTATUS CHeldWay::Open(const CWidePath& below, ACCESS_MASK access, CHeldEntry& entry) {
  entry.Close();
  if (!NT_SUCCESS(m_top)) return m_top;
  LPCWSTR text = below.Text();
  int level = 0, start = 0, end = 0;
  for (;; start = end + 1) {
    for (end = start; end < below.GetLength() && text[end] != L'\\';) ++end;
    if (end == below.GetLength()) break;
    if (end == start) continue;
    if (++level == kLevels) return STATUS_NAME_TOO_LONG;
    const CWidePath way = CWidePath().Append(text, end);
    if (level < m_depth && m_ways[level] == way) continue;
    Keep(level);
    CHeldEntry& folder = m_folders[level];
    NTSTATUS opened =
        OpenListed(m_folders[level - 1], text + start, end - start, kWayAccess, folder);
    // Refused as a link a system followed, or one the handle shows.
    if (opened == STATUS_REPARSE_POINT_NOT_RESOLVED || (NT_SUCCESS(opened) && folder.IsLink()))
      opened = STATUS_STOPPED_ON_SYMLINK;
    else if (NT_SUCCESS(opened) && !folder.IsFolder())
      opened = STATUS_NOT_A_DIRECTORY;
    if (!NT_SUCCESS(opened)) {
      folder.Close();
      return opened;
    }
    m_ways[level] = way;
    m_depth = level + 1;
  }
  // An empty name would open the folder itself; what is opened is held by
  // no folder of the way.
  if (end == start) return STATUS_OBJECT_NAME_NOT_FOUND;
  Keep(level + 1);
  return OpenListed(m_folders[level], text + start, end - start, access, entry);
}

void CHeldWay::Keep(int level) {
  for (int i = level; i < m_depth; ++i) m_folders[i].Close();
  if (m_depth > level) m_depth = level;
}
