// ntdll's file calls on the simulated file tree, as far as the program makes
// them: opens and makes relative to a folder held open, listings of names
// through a handle, attributes and reparse tag, attributes set and delete
// through a handle.
#include <cstddef>
#include <cstring>

#include "SimState.h"

using sim::FileHandle;
using sim::FileNode;
using sim::Op;

namespace {

const NTSTATUS kSuccess = 0;
const NTSTATUS kBufferOverflow = NTSTATUS(0x80000005);
const NTSTATUS kUnsuccessful = NTSTATUS(0xC0000001);
const NTSTATUS kInvalidInfoClass = NTSTATUS(0xC0000003);
const NTSTATUS kInvalidHandle = NTSTATUS(0xC0000008);
const NTSTATUS kInvalidParameter = NTSTATUS(0xC000000D);
const NTSTATUS kAccessDenied = NTSTATUS(0xC0000022);
const NTSTATUS kDeletePending = NTSTATUS(0xC0000056);
const NTSTATUS kNameNotFound = NTSTATUS(0xC0000034);
const NTSTATUS kNameCollision = NTSTATUS(0xC0000035);
const NTSTATUS kSharingViolation = NTSTATUS(0xC0000043);
const NTSTATUS kDirectoryNotEmpty = NTSTATUS(0xC0000101);
const NTSTATUS kCannotDelete = NTSTATUS(0xC0000121);

// FILE_ATTRIBUTE_TAG_INFORMATION.
struct AttributeTag {
  ULONG attributes, tag;
};

// The status ntdll gives where kernel32 gives `error` (a fault a test armed).
NTSTATUS Status(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return kAccessDenied;
    case ERROR_SHARING_VIOLATION:
      return kSharingViolation;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return kNameNotFound;
    case ERROR_DIR_NOT_EMPTY:
      return kDirectoryNotEmpty;
    default:
      return kUnsuccessful;
  }
}

NTSTATUS Done(PIO_STATUS_BLOCK io, NTSTATUS status, ULONG_PTR information = 0) {
  io->Status = status;
  io->Information = information;
  return status;
}

// The open file behind `handle`, or nullptr when it is none or its file is gone.
FileHandle* Held(sim::Machine::State& s, HANDLE handle) {
  auto file = s.files.find(handle);
  return file == s.files.end() || !file->second.node ? nullptr : &file->second;
}

}  // namespace

// Opens (FILE_OPEN) or makes (FILE_CREATE) an entry relative to a folder held.
NTSTATUS NtCreateFile(HANDLE* handle, ACCESS_MASK access, POBJECT_ATTRIBUTES object,
                      PIO_STATUS_BLOCK io, LARGE_INTEGER*, ULONG, ULONG share, ULONG disposition,
                      ULONG options, void*, ULONG) {
  auto& s = sim::Enter();
  FileHandle* parent = Held(s, object->RootDirectory);
  // Only a name relative to a folder held.
  if (!parent || (disposition != FILE_OPEN && disposition != FILE_CREATE))
    return Done(io, kInvalidParameter);
  const std::basic_string<WCHAR> wide(object->ObjectName->Buffer,
                                      object->ObjectName->Length / sizeof(WCHAR));
  const std::string name = static_cast<LPCSTR>(sim::WideArg(wide.c_str()));
  // A drive's root already ends in its separator.
  const std::string path = parent->path + (parent->path.back() == '\\' ? "" : "\\") + name;
  const bool makesFolder = disposition == FILE_CREATE && (options & FILE_DIRECTORY_FILE);
  if (DWORD error = sim::Faulted(makesFolder ? Op::CreateDirectory : Op::CreateFile, path))
    return Done(io, Status(error));
  // A folder that became a link while held still lists its own entries: none.
  FileNode* node = sim::Child(parent->node, name);
  std::string finalPath;
  if (disposition == FILE_CREATE) {
    if (node) return Done(io, kNameCollision);
    // MS-FSA 2.1.5.1: nothing is made in a folder that is being deleted.
    if (parent->node->deletePending) return Done(io, kDeletePending);
    auto made = std::make_unique<FileNode>();
    made->name = name;
    made->attributes = makesFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    node = made.get();
    parent->node->children[name] = std::move(made);
    sim::Log((makesFolder ? "CreateDirectory " : "CreateFile ") + path);
    // OBJECT_ATTRIBUTES (Microsoft): "SecurityDescriptor ... to apply to an
    // object when it is created", in place of what it would inherit.
    if (object->SecurityDescriptor &&
        !sim::SetSecurity(node, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                          object->SecurityDescriptor, path))
      return Done(io, kInvalidParameter);
  } else if (node && (!(options & FILE_OPEN_REPARSE_POINT) || s.linksAsWine8)) {
    // Without FILE_OPEN_REPARSE_POINT a link is followed to what it leads to,
    // whose final path (GetFinalPathNameByHandleW, Microsoft: the path the
    // handle's file has) is that of the link's target.
    if (node->IsJunction()) finalPath = node->junctionTarget;
    node = sim::Followed(s, node);
  }
  if (!node) return Done(io, kNameNotFound);
  if (finalPath.empty())
    finalPath = parent->finalPath + (parent->finalPath.back() == '\\' ? "" : "\\") + node->name;
  // MS-FSA 2.1.5.1.2; Wine's dlls/ntdll/tests/file.c,
  // test_file_disposition_information: a marked entry cannot be opened.
  if (node->deletePending) return Done(io, kDeletePending);
  if ((options & FILE_DIRECTORY_FILE) && !node->IsFolder()) return Done(io, STATUS_NOT_A_DIRECTORY);
  if (sim::SharingConflict(s, node, access, share)) return Done(io, kSharingViolation);
  *handle = sim::NewHandle(s);
  s.files[*handle] = {
      node, access, share, parent->volumeSerial, finalPath, path, parent->node, false, {}, 0,
  };
  s.files[*handle].asItself = (options & FILE_OPEN_REPARSE_POINT) != 0;
  return Done(io, kSuccess);
}

// One entry per call, "." and ".." first, as of the first call.
NTSTATUS NtQueryDirectoryFile(HANDLE folder, HANDLE, void*, void*, PIO_STATUS_BLOCK io,
                              void* buffer, ULONG size, FILE_INFORMATION_CLASS what, BOOLEAN,
                              PUNICODE_STRING pattern, BOOLEAN restart) {
  auto& s = sim::Enter();
  FileHandle* held = Held(s, folder);
  if (!held) return Done(io, kInvalidHandle);
  if (what != FileDirectoryInformation || pattern || !held->node->IsFolder() ||
      !(held->access & FILE_LIST_DIRECTORY))
    return Done(io, kInvalidParameter);
  // Microsoft's NtQueryDirectoryFile: RestartScan starts again at the first entry.
  if (!held->listing || restart) {
    held->listed = 0;
    if (DWORD error = sim::Faulted(Op::FindFirstFile, held->path + "\\*"))
      return Done(io, Status(error));
    held->listing = true;
    const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
    held->names = {{".", folder, 0, 0}, {"..", folder, 0, 0}};
    for (const auto& child : held->node->children) {
      const FileNode& node = *child.second;
      held->names.push_back(
          {node.name, sim::ReportedAttributes(node), DWORD(node.content.size()), 0});
    }
  } else if (DWORD error = sim::Faulted(Op::FindNextFile, held->path)) {
    return Done(io, Status(error));
  }
  if (held->listed == held->names.size()) return Done(io, STATUS_NO_MORE_FILES);
  const std::string& name = held->names[held->listed].name;
  const size_t characters = sim::Characters(name).size();
  const size_t needed = offsetof(FILE_DIRECTORY_INFORMATION, FileName) + characters * sizeof(WCHAR);
  if (size < needed) return Done(io, kBufferOverflow);
  FILE_DIRECTORY_INFORMATION* entry = static_cast<FILE_DIRECTORY_INFORMATION*>(buffer);
  std::memset(entry, 0, offsetof(FILE_DIRECTORY_INFORMATION, FileName));
  entry->FileAttributes = held->names[held->listed].attributes;
  entry->FileNameLength = ULONG(characters * sizeof(WCHAR));
  // No NUL after the name, as ntdll gives it.
  std::basic_string<WCHAR> wide(characters + 1, 0);
  sim::FillWide(name, &wide[0], wide.size());
  std::memcpy(entry->FileName, wide.data(), characters * sizeof(WCHAR));
  ++held->listed;
  return Done(io, kSuccess, needed);
}

NTSTATUS NtQueryInformationFile(HANDLE file, PIO_STATUS_BLOCK io, void* buffer, ULONG size,
                                FILE_INFORMATION_CLASS what) {
  auto& s = sim::Enter();
  FileHandle* held = Held(s, file);
  if (!held) return Done(io, kInvalidHandle);
  if (what != FileAttributeTagInformation || size < sizeof(AttributeTag))
    return Done(io, kInvalidParameter);
  // Windows 2000 on.
  if (s.majorVersion < 5) return Done(io, kInvalidInfoClass);
  AttributeTag* kind = static_cast<AttributeTag*>(buffer);
  const FileNode& node = *held->node;
  kind->attributes = sim::ReportedAttributes(node);
  kind->tag = sim::ReportedTag(s, node);
  return Done(io, kSuccess, sizeof(AttributeTag));
}

NTSTATUS NtSetInformationFile(HANDLE file, PIO_STATUS_BLOCK io, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what) {
  auto& s = sim::Enter();
  FileHandle* held = Held(s, file);
  if (!held) return Done(io, kInvalidHandle);
  FileNode* node = held->node;
  if (what == FileBasicInformation && size >= sizeof(FILE_BASIC_INFORMATION)) {
    if (!(held->access & FILE_WRITE_ATTRIBUTES)) return Done(io, kAccessDenied);
    if (DWORD error = sim::Faulted(Op::SetFileAttributes, held->path))
      return Done(io, Status(error));
    const DWORD attributes = static_cast<FILE_BASIC_INFORMATION*>(buffer)->FileAttributes;
    // 0 leaves them as they are; FILE_ATTRIBUTE_NORMAL clears them.
    if (attributes) sim::SetAttributes(s, node, attributes);
    // Where it really is: the name it was opened by may be a short one, gone
    // with it.
    sim::Log("SetFileAttributes " + held->finalPath + " " + sim::Hex(attributes));
    return Done(io, kSuccess);
  }
  // FileDispositionInformationEx came with Windows 10 1809 (MS-FSCC 2.4.12);
  // before, the class is unknown.
  const bool extended = what == FileDispositionInformationEx;
  if (extended && (s.majorVersion < 10 || sim::Build(s) < 17763))
    return Done(io, kInvalidInfoClass);
  const ULONG flags = extended && size >= sizeof(ULONG) ? *static_cast<ULONG*>(buffer)
                      : what == FileDispositionInformation &&
                              size >= sizeof(FILE_DISPOSITION_INFORMATION) &&
                              static_cast<FILE_DISPOSITION_INFORMATION*>(buffer)->DoDeleteFile
                          ? FILE_DISPOSITION_DELETE
                          : 0;
  if (!(flags & FILE_DISPOSITION_DELETE) || !held->parent) return Done(io, kInvalidParameter);
  if (!(held->access & DELETE)) return Done(io, kAccessDenied);
  const bool folder = node->IsFolder() && !node->IsJunction();
  if (DWORD error =
          sim::Faulted(node->IsFolder() ? Op::RemoveDirectory : Op::DeleteFile, held->path))
    return Done(io, Status(error));
  if (node->runningImage || (node->attributes & FILE_ATTRIBUTE_READONLY))
    return Done(io, kCannotDelete);
  if (node == s.currentFolder) return Done(io, kSharingViolation);
  // A marked entry still counts in its folder (MS-FSA 2.1.5.15.3).
  if (folder && !node->children.empty()) return Done(io, kDirectoryNotEmpty);
  sim::Log("Delete " + held->path);
  // MS-FSCC 2.4.12: with POSIX semantics the name goes at once, though others
  // still hold the file; else at the last close (MS-FSCC 2.4.11).
  if (!(flags & FILE_DISPOSITION_POSIX_SEMANTICS)) {
    sim::MarkDeleted(s, node);
    return Done(io, kSuccess);
  }
  for (const auto& child : held->parent->children) {
    if (child.second.get() != node) continue;
    sim::EraseEntry(s, held->parent, child.first);
    return Done(io, kSuccess);
  }
  return Done(io, kNameNotFound);
}

// The statuses above, back to the errors they came from.
ULONG RtlNtStatusToDosError(NTSTATUS status) {
  switch (status) {
    case kAccessDenied:
    case kCannotDelete:
    case kDeletePending:
      return ERROR_ACCESS_DENIED;
    case kSharingViolation:
      return ERROR_SHARING_VIOLATION;
    case kNameNotFound:
      return ERROR_FILE_NOT_FOUND;
    case kNameCollision:
      return ERROR_ALREADY_EXISTS;
    case kDirectoryNotEmpty:
      return ERROR_DIR_NOT_EMPTY;
    case kInvalidHandle:
      return ERROR_INVALID_HANDLE;
    case kInvalidParameter:
      return ERROR_INVALID_PARAMETER;
    default:
      return ERROR_GEN_FAILURE;
  }
}
