#include "removal/held/HeldEntry.h"

#include <cstring>

#include "location/NewerWindowsCalls.h"
#include "removal/paths/FolderListing.h"

namespace {

const ULONG kShareButDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
// The attributes written back through the handle; the others are the
// system's to keep.
const DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                        FILE_ATTRIBUTE_ARCHIVE;

// FILE_ATTRIBUTE_TAG_INFORMATION.
struct AttributeTag {
  ULONG attributes, tag;
};

NTSTATUS SetInformation(HANDLE file, void* information, ULONG size, FILE_INFORMATION_CLASS what) {
  IO_STATUS_BLOCK status;
  const NTSTATUS result = SetInformationNative(file, &status, information, size, what);
  // Those who report a failed delete say why in Windows' words.
  if (!NT_SUCCESS(result)) SetLastErrorOf(result);
  return result;
}

bool SetAttributes(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFORMATION basic;
  memset(&basic, 0, sizeof basic);  // times of 0 stay as they are, and so do attributes of 0
  basic.FileAttributes = attributes & kSettable ? attributes & kSettable : FILE_ATTRIBUTE_NORMAL;
  return NT_SUCCESS(SetInformation(file, &basic, sizeof basic, FileBasicInformation));
}

// FileDispositionInformationEx's answers where the delete itself was not
// tried: a Windows before 10 1809 knows no such class; a file system
// without POSIX deletes (FAT, many shares) refuses the flag.
const NTSTATUS kInvalidInfoClass = NTSTATUS(0xC0000003L);
const NTSTATUS kInvalidParameter = NTSTATUS(0xC000000DL);
const NTSTATUS kNotSupported = NTSTATUS(0xC00000BBL);

bool Dispose(HANDLE file, bool& posix) {
  if (posix) {
    ULONG flags = FILE_DISPOSITION_DELETE | FILE_DISPOSITION_POSIX_SEMANTICS;
    const NTSTATUS result =
        SetInformation(file, &flags, sizeof flags, FileDispositionInformationEx);
    if (result == kInvalidInfoClass || result == STATUS_NOT_IMPLEMENTED)
      posix = false;
    else if (result != kInvalidParameter && result != kNotSupported)
      return NT_SUCCESS(result);
  }
  FILE_DISPOSITION_INFORMATION disposition = {TRUE};
  return NT_SUCCESS(
      SetInformation(file, &disposition, sizeof disposition, FileDispositionInformation));
}

}  // namespace

bool CHeldEntry::Open(const CWidePath& path, ACCESS_MASK access) {
  Close();
  m_depth = 0;
  // The one open by a whole name: as itself, where callers judged the way.
  m_handle = CreateFileW(path.Text(), access, kShareButDelete, NULL, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  return m_handle != INVALID_HANDLE_VALUE && NT_SUCCESS(Learn(0));
}

NTSTATUS CHeldEntry::OpenIn(const CHeldEntry& parent, LPCWSTR name, int length, DWORD listed,
                            ACCESS_MASK access, ULONG options) {
  const NTSTATUS learnt = Learn(Make(parent, name, length, access, FILE_OPEN, options));
  if (!NT_SUCCESS(learnt) || !(listed & ~m_attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return learnt;
  Close();
  return STATUS_REPARSE_POINT_NOT_RESOLVED;
}

bool CHeldEntry::CreateIn(const CHeldEntry& parent, LPCWSTR name, int length, bool folder,
                          ACCESS_MASK access, PSECURITY_DESCRIPTOR security) {
  if (!access)
    access = folder ? FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY
                    : FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES;
  const NTSTATUS made =
      Make(parent, name, length, access | FILE_READ_ATTRIBUTES, FILE_CREATE,
           folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE, false, security);
  if (!NT_SUCCESS(made)) {
    SetLastErrorOf(made);
    return false;
  }
  // Made anew, it is what was asked for and no link: its handle need not be asked.
  m_attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  m_tag = 0;
  return true;
}

NTSTATUS CHeldEntry::ReadThroughFilter(const CHeldEntry& parent, LPCWSTR name, int length,
                                       ACCESS_MASK access) {
  if (!(m_attributes & FILE_ATTRIBUTE_REPARSE_POINT) || IsLink() || IsFolder()) return 0;
  CHeldEntry through;
  BY_HANDLE_FILE_INFORMATION held, reached;
  NTSTATUS opened =
      through.Make(parent, name, length, access, FILE_OPEN, FILE_NON_DIRECTORY_FILE, true);
  if (NT_SUCCESS(opened) && (!GetFileInformationByHandle(m_handle, &held) ||
                             !GetFileInformationByHandle(through.m_handle, &reached) ||
                             held.dwVolumeSerialNumber != reached.dwVolumeSerialNumber ||
                             held.nFileIndexHigh != reached.nFileIndexHigh ||
                             held.nFileIndexLow != reached.nFileIndexLow))
    opened = STATUS_REPARSE_POINT_NOT_RESOLVED;
  if (!NT_SUCCESS(opened)) return opened;
  // The entry is still what was told; only its handle now reads the data.
  const HANDLE stub = m_handle;
  m_handle = through.m_handle;
  through.m_handle = stub;
  return 0;
}

void CHeldEntry::Swap(CHeldEntry& other) {
  const HANDLE handle = m_handle;
  const DWORD attributes = m_attributes, tag = m_tag;
  const int depth = m_depth;
  m_handle = other.m_handle;
  m_attributes = other.m_attributes;
  m_tag = other.m_tag;
  m_depth = other.m_depth;
  other.m_handle = handle;
  other.m_attributes = attributes;
  other.m_tag = tag;
  other.m_depth = depth;
}

NTSTATUS CHeldEntry::Make(const CHeldEntry& parent, LPCWSTR name, int length, ACCESS_MASK access,
                          ULONG disposition, ULONG options, bool throughFilter,
                          PSECURITY_DESCRIPTOR security) {
  Close();
  if (parent.m_depth >= kDeepestLevel) return STATUS_NAME_TOO_LONG;
  m_depth = parent.m_depth + 1;
  const WORD bytes = WORD(length * sizeof(WCHAR));
  UNICODE_STRING text = {bytes, bytes, const_cast<LPWSTR>(name)};
  OBJECT_ATTRIBUTES object = {sizeof object,        parent.m_handle, &text,
                              OBJ_CASE_INSENSITIVE, security,        NULL};
  IO_STATUS_BLOCK status;
  HANDLE opened = INVALID_HANDLE_VALUE;
  const NTSTATUS result = CreateFileNative(
      &opened, access | SYNCHRONIZE, &object, &status, kShareButDelete, disposition,
      options | (throughFilter ? 0 : FILE_OPEN_REPARSE_POINT) | FILE_SYNCHRONOUS_IO_NONALERT |
          FILE_OPEN_FOR_BACKUP_INTENT);
  if (NT_SUCCESS(result)) m_handle = opened;
  return result;
}

// What the entry is, from its own handle; an entry that cannot tell is closed.
NTSTATUS CHeldEntry::Learn(NTSTATUS opened) {
  if (!NT_SUCCESS(opened)) return opened;
  AttributeTag kind;
  IO_STATUS_BLOCK status;
  const NTSTATUS result =
      QueryInformationNative(m_handle, &status, &kind, sizeof kind, FileAttributeTagInformation);
  BY_HANDLE_FILE_INFORMATION file;
  if (NT_SUCCESS(result)) {
    m_attributes = kind.attributes;
    m_tag = kind.tag;
  } else if (GetFileInformationByHandle(m_handle, &file)) {
    // Windows NT 4.0 has no such query, and no reparse points: the attributes
    // tell. A reparse point whose tag is unknown is taken for a link.
    m_attributes = file.dwFileAttributes;
    m_tag = 0;
  } else {
    Close();
    return result;
  }
  return 0;
}

bool CHeldEntry::IsLink() const { return IsLinkTag(m_attributes, m_tag); }

bool CHeldEntry::IsFolder() const {
  return (m_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !IsLink();
}

bool CHeldEntry::ClearReadOnly() {
  if (!(m_attributes & FILE_ATTRIBUTE_READONLY)) return true;
  BY_HANDLE_FILE_INFORMATION file;
  // The attributes belong to the file, not to the name: cleared on a hard
  // link, they would stay cleared on the file its other names keep.
  return GetFileInformationByHandle(m_handle, &file) && file.nNumberOfLinks == 1 &&
         SetAttributes(m_handle, m_attributes & ~FILE_ATTRIBUTE_READONLY);
}

void CHeldEntry::KeepReadOnly() {
  if (m_attributes & FILE_ATTRIBUTE_READONLY) SetAttributes(m_handle, m_attributes);
}

bool CHeldEntry::Delete(bool& posix, bool readOnlyToo) {
  if (!readOnlyToo && (m_attributes & FILE_ATTRIBUTE_READONLY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!ClearReadOnly()) return false;
  if (Dispose(m_handle, posix)) return true;
  // What stays keeps its attributes.
  KeepReadOnly();
  return false;
}

void CHeldEntry::Close() {
  if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
  m_handle = INVALID_HANDLE_VALUE;
}
