// kernel32's file and folder calls on the simulated file tree.
#include <algorithm>
#include <cstring>

#include "SimState.h"

using sim::FileLookup;
using sim::FileNode;
using sim::Op;
using sim::PathCall;
using sim::WinPath;

namespace {

const DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
const DWORD kInvalidFileSize = 0xFFFFFFFF;
// The longest "\\?\" path the wide calls take, its NUL included.
const size_t kLongestExtendedPath = 32767;

// The error for an entry that a call needs to exist: missing, or a file
// named with a trailing separator (which Windows refuses as a name).
DWORD EntryError(const FileLookup& found, const WinPath& path) {
  if (!found.node) return found.error;
  if (path.trailingSeparator && !found.node->IsFolder()) return ERROR_INVALID_NAME;
  return 0;
}

HANDLE NoHandle(DWORD error) {
  sim::Refuse(error);
  return INVALID_HANDLE_VALUE;
}

DWORD NoAttributes(DWORD error) {
  sim::Refuse(error);
  return INVALID_FILE_ATTRIBUTES;
}

// Each drive is its own volume.
DWORD VolumeSerial(const std::string& drive) {
  return 0x5EED0000 | static_cast<unsigned char>(sim::UpperCase(drive)[0]);
}

// The ANSI record spells the name in the code page, as Windows does.
void FillFindData(const sim::FoundEntry& entry, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = entry.attributes;
  data->nFileSizeLow = entry.size;
  data->dwReserved0 = entry.reparseTag;
  sim::CopyTruncated(sim::Ansi(entry.name), data->cFileName, MAX_PATH);
}

void FillFindData(const sim::FoundEntry& entry, LPWIN32_FIND_DATAW data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = entry.attributes;
  data->nFileSizeLow = entry.size;
  data->dwReserved0 = entry.reparseTag;
  sim::FillWide(entry.name, data->cFileName, MAX_PATH);
}

}  // namespace

namespace sim {

HANDLE NewHandle(Machine::State& s) {
  s.nextHandle += 4;
  return reinterpret_cast<HANDLE>(s.nextHandle);
}

void SetAttributes(Machine::State& s, FileNode* node, DWORD attributes) {
  FileNode* other = SecondName(s, node);
  for (FileNode* name : {node, other})
    if (name)
      name->attributes =
          (name->attributes & ~kSettableAttributes) | (attributes & kSettableAttributes);
}

PathCall::PathCall(Op op, LPCSTR text, DWORD emptyError, Wildcards wildcards) {
  const Machine::State& s = machine().state();
  const bool extended = s.wideArguments > 0 && text && std::strncmp(text, "\\\\?\\", 4) == 0;
  const size_t limit = extended ? kLongestExtendedPath : MAX_PATH;
  DWORD parseError = ERROR_INVALID_PARAMETER;
  if (text && !*text)
    parseError = emptyError;
  else if (text && sim::Characters(text).size() >= limit)
    parseError = ERROR_FILENAME_EXCED_RANGE;
  else if (text)
    parseError = ParsePath(text, s.currentDirectory, path, wildcards);
  if (parseError == 0 && sim::Characters(path.Text()).size() >= limit)
    parseError = ERROR_FILENAME_EXCED_RANGE;
  error = Faulted(op, parseError == 0 ? path.Text() : text ? text : "");
  if (!error) error = parseError;
}

}  // namespace sim

BOOL SetCurrentDirectoryA(LPCSTR path) {
  auto& s = sim::Enter();
  PathCall call(Op::SetCurrentDirectory, path, ERROR_INVALID_NAME);
  if (call.error) return sim::Refuse(call.error);
  // The current directory keeps room for its "\" and the NUL.
  if (call.path.Text().size() > MAX_PATH - 2) return sim::Refuse(ERROR_FILENAME_EXCED_RANGE);
  FileLookup found = sim::Look(s, call.path);
  if (!found.node) return sim::Refuse(found.error);
  if (!found.node->IsFolder()) return sim::Refuse(ERROR_DIRECTORY);
  FileNode* folder = sim::Contents(s, found.node);
  if (!folder) return sim::Refuse(ERROR_FILE_NOT_FOUND);  // a junction to nowhere
  s.currentDirectory = call.path.Text();
  s.currentFolder = folder;
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(Op::GetCurrentDirectory, "")) return sim::Refuse(error);
  return sim::CopyIfFits(sim::Ansi(s.currentDirectory), buffer, size);
}

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(Op::GetCurrentDirectory, "")) return sim::Refuse(error);
  return sim::CopyWideIfFits(s.currentDirectory, buffer, size);
}

namespace {

// The listing of a pattern: its handle, with the first entry; or
// INVALID_HANDLE_VALUE with the last error set.
HANDLE FindFirst(LPCSTR pattern, const sim::FoundEntry*& first) {
  auto& s = sim::Enter();
  PathCall call(Op::FindFirstFile, pattern, ERROR_PATH_NOT_FOUND, sim::Wildcards::InLastPart);
  if (call.error) return NoHandle(call.error);
  // A folder named with a trailing separator, or a drive alone, is not a pattern.
  if (call.path.IsDrive() || call.path.trailingSeparator) return NoHandle(ERROR_FILE_NOT_FOUND);

  WinPath folderPath = call.path.Parent();
  FileNode* entry = sim::Look(s, folderPath).node;
  FileNode* folder = entry ? sim::Contents(s, entry) : nullptr;
  if (!folder) return NoHandle(ERROR_PATH_NOT_FOUND);

  sim::FindHandle find;
  find.folder = folderPath.Text();
  const std::string& wanted = call.path.Leaf();
  if (!folderPath.IsDrive())
    for (const char* dots : {".", ".."})
      if (sim::MatchesPattern(wanted, dots))
        find.entries.push_back({dots, FILE_ATTRIBUTE_DIRECTORY, 0, 0});
  for (const auto& child : folder->children) {
    const FileNode& node = *child.second;
    if (!sim::MatchesPattern(wanted, node.name)) continue;
    find.entries.push_back({node.name, sim::ReportedAttributes(node),
                            static_cast<DWORD>(node.IsFolder() ? 0 : node.content.size()),
                            sim::ReportedTag(s, node)});
  }
  if (find.entries.empty()) return NoHandle(ERROR_FILE_NOT_FOUND);

  find.next = 1;
  HANDLE handle = sim::NewHandle(s);
  s.finds[handle] = find;
  first = &s.finds[handle].entries[0];
  return handle;
}

// The listing's next entry, or nullptr with the last error set.
const sim::FoundEntry* FindNext(HANDLE handle) {
  auto& s = sim::Enter();
  auto find = s.finds.find(handle);
  DWORD error = ERROR_INVALID_HANDLE;
  if (find != s.finds.end()) {
    error = sim::Faulted(Op::FindNextFile, find->second.folder);
    if (!error && find->second.next < find->second.entries.size())
      return &find->second.entries[find->second.next++];
    if (!error) error = ERROR_NO_MORE_FILES;
  }
  sim::Refuse(error);
  return nullptr;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  const sim::FoundEntry* first = nullptr;
  HANDLE handle = FindFirst(pattern, first);
  if (first) FillFindData(*first, data);
  return handle;
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  const sim::FoundEntry* first = nullptr;
  HANDLE handle = FindFirst(sim::WideArg(pattern), first);
  if (first) FillFindData(*first, data);
  return handle;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
  const sim::FoundEntry* next = FindNext(handle);
  if (next) FillFindData(*next, data);
  return next != nullptr;
}

BOOL FindNextFileW(HANDLE handle, LPWIN32_FIND_DATAW data) {
  const sim::FoundEntry* next = FindNext(handle);
  if (next) FillFindData(*next, data);
  return next != nullptr;
}

BOOL FindClose(HANDLE handle) {
  auto& s = sim::Enter();
  return s.finds.erase(handle) ? TRUE : sim::Refuse(ERROR_INVALID_HANDLE);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  auto& s = sim::Enter();
  PathCall call(Op::CreateDirectory, path);
  if (call.error) return sim::Refuse(call.error);
  FileLookup found = sim::Look(s, call.path);
  if (found.node) return sim::Refuse(ERROR_ALREADY_EXISTS);
  if (found.error != ERROR_FILE_NOT_FOUND) return sim::Refuse(found.error);
  // MS-FSA 2.1.5.1: nothing is made in a folder that is being deleted.
  if (found.folder->deletePending) return sim::Refuse(ERROR_ACCESS_DENIED);
  auto folder = std::make_unique<FileNode>();
  folder->name = call.path.Leaf();
  folder->attributes = FILE_ATTRIBUTE_DIRECTORY;
  found.folder->children[folder->name] = std::move(folder);
  sim::Log(std::string("CreateDirectory ") + path);
  return TRUE;
}

BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists) {
  auto& s = sim::Enter();
  PathCall from(Op::CopyFile, existing);
  if (from.error) return sim::Refuse(from.error);
  PathCall to(Op::CopyFile, target);
  if (to.error) return sim::Refuse(to.error);

  FileLookup source = sim::Look(s, from.path);
  if (DWORD error = EntryError(source, from.path)) return sim::Refuse(error);
  // A symbolic link to a file is copied as the file it leads to.
  FileNode* file = sim::Followed(s, source.node);
  if (!file) return sim::Refuse(ERROR_FILE_NOT_FOUND);
  if (file->IsFolder()) return sim::Refuse(ERROR_ACCESS_DENIED);
  // Its share mode is documented nowhere (Wine's shares reading and deleting):
  // the harsher choice, reading only.
  if (file->deletePending) return sim::Refuse(ERROR_ACCESS_DENIED);
  if (sim::SharingConflict(s, file, GENERIC_READ, FILE_SHARE_READ))
    return sim::Refuse(ERROR_SHARING_VIOLATION);

  FileLookup destination = sim::Look(s, to.path);
  if (!destination.node && destination.error != ERROR_FILE_NOT_FOUND)
    return sim::Refuse(destination.error);
  if (FileNode* old = destination.node) {
    if (failIfExists) return sim::Refuse(ERROR_FILE_EXISTS);
    if (old->IsFolder() || (old->attributes & FILE_ATTRIBUTE_READONLY))
      return sim::Refuse(ERROR_ACCESS_DENIED);
    if (sim::IsLocked(s, old)) return sim::Refuse(ERROR_SHARING_VIOLATION);
  }
  std::unique_ptr<FileNode>& copy = destination.folder->children[to.path.Leaf()];
  if (!copy) {
    copy = std::make_unique<FileNode>();
    copy->name = to.path.Leaf();
  }
  copy->content = file->content;
  // The copy holds the data; whatever kept it elsewhere stays with the original.
  copy->attributes = (file->attributes & ~FILE_ATTRIBUTE_REPARSE_POINT) | FILE_ATTRIBUTE_ARCHIVE;
  sim::Log(std::string("CopyFile ") + existing + " -> " + target);
  return TRUE;
}

BOOL DeleteFileA(LPCSTR path) {
  auto& s = sim::Enter();
  PathCall call(Op::DeleteFile, path);
  if (call.error) return sim::Refuse(call.error);
  FileLookup found = sim::Look(s, call.path);
  if (DWORD error = EntryError(found, call.path)) return sim::Refuse(error);
  // MS-FSA 2.1.5.1.2: an entry already being deleted cannot be opened again
  // (STATUS_DELETE_PENDING, which kernel32 gives as ERROR_ACCESS_DENIED).
  if (found.node->IsFolder() || found.node->runningImage || found.node->deletePending)
    return sim::Refuse(ERROR_ACCESS_DENIED);
  if (sim::IsLocked(s, found.node)) return sim::Refuse(ERROR_SHARING_VIOLATION);
  if (found.node->attributes & FILE_ATTRIBUTE_READONLY) return sim::Refuse(ERROR_ACCESS_DENIED);
  if (DWORD error = sim::Unlink(s, found.folder, found.node)) return sim::Refuse(error);
  sim::Log(std::string("DeleteFile ") + path);
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path) {
  auto& s = sim::Enter();
  PathCall call(Op::RemoveDirectory, path);
  if (call.error) return sim::Refuse(call.error);
  FileLookup found = sim::Look(s, call.path);
  FileNode* folder = found.node;
  if (!folder) return sim::Refuse(found.error);
  if (!folder->IsFolder()) return sim::Refuse(ERROR_DIRECTORY);
  if (call.path.IsDrive()) return sim::Refuse(ERROR_ACCESS_DENIED);
  if (folder->deletePending) return sim::Refuse(ERROR_ACCESS_DENIED);
  // A junction goes as a link; its target is not looked at.
  if (!folder->IsJunction()) {
    if (folder == s.currentFolder || sim::IsLocked(s, folder))
      return sim::Refuse(ERROR_SHARING_VIOLATION);
    if (folder->attributes & FILE_ATTRIBUTE_READONLY) return sim::Refuse(ERROR_ACCESS_DENIED);
  }
  if (DWORD error = sim::Unlink(s, found.folder, folder)) return sim::Refuse(error);
  sim::Log(std::string("RemoveDirectory ") + path);
  return TRUE;
}

// Opens existing files (the program reads their status), folders (with
// FILE_FLAG_BACKUP_SEMANTICS, to learn which they are or to keep them from
// being renamed; one opened through junctions is their target) or, with
// OPEN_ALWAYS, makes a missing file (the log); CREATE_NEW makes one that
// must not exist yet (the registry backup).
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flags, HANDLE) {
  auto& s = sim::Enter();
  PathCall call(Op::CreateFile, path);
  if (call.error) return NoHandle(call.error);
  if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS && disposition != CREATE_NEW)
    return NoHandle(ERROR_INVALID_PARAMETER);
  FileLookup found = sim::Look(s, call.path);
  if (found.node && disposition == CREATE_NEW) return NoHandle(ERROR_FILE_EXISTS);
  bool made = false;
  if (!found.node && disposition != OPEN_EXISTING && found.error == ERROR_FILE_NOT_FOUND &&
      !call.path.trailingSeparator) {
    if (found.folder->deletePending) return NoHandle(ERROR_ACCESS_DENIED);
    std::unique_ptr<FileNode>& entry = found.folder->children[call.path.Leaf()];
    entry = std::make_unique<FileNode>();
    entry->name = call.path.Leaf();
    entry->attributes = FILE_ATTRIBUTE_ARCHIVE;
    found.node = entry.get();
    made = true;
    sim::Log(std::string("CreateFile ") + path);
  }
  if (DWORD error = EntryError(found, call.path)) return NoHandle(error);
  // FILE_FLAG_OPEN_REPARSE_POINT opens a junction named last as itself.
  const bool itself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) && found.node->IsJunction();
  WinPath real;
  if (!sim::RealPath(s, itself ? call.path.Parent() : call.path, real))
    return NoHandle(ERROR_FILE_NOT_FOUND);
  if (itself) real.parts.push_back(found.node->name);
  FileNode* file = itself ? found.node : sim::Look(s, real).node;
  if (file->IsFolder() && !(flags & FILE_FLAG_BACKUP_SEMANTICS))
    return NoHandle(ERROR_ACCESS_DENIED);
  // MS-FSA 2.1.5.1.2; Wine's dlls/ntdll/tests/file.c,
  // test_file_disposition_information: a marked entry cannot be opened.
  if (file->deletePending) return NoHandle(ERROR_ACCESS_DENIED);
  if (sim::SharingConflict(s, file, access, share)) return NoHandle(ERROR_SHARING_VIOLATION);
  const DWORD writing = GENERIC_WRITE | FILE_APPEND_DATA;
  if ((access & writing) && (file->attributes & FILE_ATTRIBUTE_READONLY))
    return NoHandle(ERROR_ACCESS_DENIED);
  std::string finalPath;
  sim::Respelt(s, real, false, finalPath);
  HANDLE handle = sim::NewHandle(s);
  s.files[handle] = {file,
                     access,
                     share,
                     VolumeSerial(real.parts[0]),
                     finalPath,
                     call.path.Text(),
                     sim::Look(s, real).folder,
                     false,
                     {},
                     0};
  s.files[handle].asItself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
  // OPEN_ALWAYS tells whether the file was there.
  s.lastError = disposition == OPEN_ALWAYS && !made ? ERROR_ALREADY_EXISTS : 0;
  return handle;
}

// Appends only: the program writes its log, opened for appending, the
// registry backup, a new file written once, and the standard output.
BOOL WriteFile(HANDLE handle, LPCVOID data, DWORD size, LPDWORD written, void*) {
  auto& s = sim::Enter();
  if (written) *written = 0;
  if (handle == sim::kStandardOutput && s.outputRedirected) {
    sim::machine().standardOutput.append(static_cast<const char*>(data), size);
  } else {
    auto file = s.files.find(handle);
    if (file == s.files.end()) return sim::Refuse(ERROR_INVALID_HANDLE);
    if (!(file->second.access & (FILE_APPEND_DATA | FILE_WRITE_DATA | GENERIC_WRITE)))
      return sim::Refuse(ERROR_ACCESS_DENIED);
    FileNode* node = file->second.node;
    // A disk that fills up takes part of the data.
    if (DWORD error = sim::Faulted(Op::WriteFile, file->second.finalPath)) {
      if (node) node->content.append(static_cast<const char*>(data), size / 2);
      if (written) *written = size / 2;
      return sim::Refuse(error);
    }
    // A file deleted while open takes the data nowhere, as on Windows. Its
    // other name is the same file (MS-FSA 2.1.1.4).
    if (node) node->content.append(static_cast<const char*>(data), size);
    if (FileNode* other = node ? sim::SecondName(s, node) : nullptr)
      other->content.append(static_cast<const char*>(data), size);
  }
  if (written) *written = size;
  return TRUE;
}

BOOL ReadFile(HANDLE handle, LPVOID data, DWORD size, LPDWORD read, void*) {
  auto& s = sim::Enter();
  *read = 0;
  auto file = s.files.find(handle);
  if (file == s.files.end()) return sim::Refuse(ERROR_INVALID_HANDLE);
  sim::FileHandle& held = file->second;
  if (!(held.access & (GENERIC_READ | FILE_READ_DATA))) return sim::Refuse(ERROR_ACCESS_DENIED);
  if (DWORD error = sim::Faulted(Op::ReadFile, held.path)) return sim::Refuse(error);
  // A file deleted while open has nothing more to give.
  if (held.node && held.position < held.node->content.size()) {
    *read = DWORD(std::min<size_t>(size, held.node->content.size() - held.position));
    std::memcpy(data, held.node->content.data() + held.position, *read);
    // A reparse point that is no link (deduplicated, a cloud file, HSM),
    // opened as itself, is read without its filter ("normal reparse point
    // processing will not occur": CreateFile's FILE_FLAG_OPEN_REPARSE_POINT):
    // the stub the file system holds. How that reads differs by filter;
    // the harsher choice: zeros, of the file's size.
    if (held.asItself && (held.node->attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        !held.node->IsJunction())
      std::memset(data, 0, *read);
    held.position += *read;
  }
  return TRUE;
}

BOOL GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION info) {
  auto& s = sim::Enter();
  auto file = s.files.find(handle);
  if (file == s.files.end() || !file->second.node) return sim::Refuse(ERROR_INVALID_HANDLE);
  FileNode* node = file->second.node;
  // One file, one index, whichever name opened it.
  FileNode* other = sim::SecondName(s, node);
  if (!node->index) node->index = other && other->index ? other->index : s.nextFileIndex++;
  if (other) other->index = node->index;
  std::memset(info, 0, sizeof *info);
  info->dwFileAttributes = sim::ReportedAttributes(*node);
  info->dwVolumeSerialNumber = file->second.volumeSerial;
  info->nFileSizeLow = node->IsFolder() ? 0 : static_cast<DWORD>(node->content.size());
  info->nNumberOfLinks = other ? 2 : 1;
  info->nFileIndexLow = node->index;
  return TRUE;
}

// With VOLUME_NAME_DOS, as Windows gives it: "\\?\" and the path; its
// length when it fits with its NUL, else the size needed.
DWORD GetFinalPathNameByHandleW(HANDLE handle, LPWSTR path, DWORD size, DWORD flags) {
  auto& s = sim::Enter();
  auto file = s.files.find(handle);
  if (file == s.files.end() || !file->second.node) return sim::Refuse(ERROR_INVALID_HANDLE);
  if (flags != 0) return sim::Refuse(ERROR_INVALID_PARAMETER);
  const std::string text = "\\\\?\\" + file->second.finalPath;
  const size_t length = sim::Characters(text).size();
  if (size <= length) return static_cast<DWORD>(length + 1);
  sim::FillWide(text, path, size);
  return static_cast<DWORD>(length);
}

namespace {

// The full path GetFullPathName gives for `path`, or the error.
DWORD FullPathText(LPCSTR path, std::string& text, size_t& leaf) {
  auto& s = sim::Enter();
  WinPath full;
  if (!path || !*path) return ERROR_INVALID_NAME;
  if (DWORD error = sim::ParsePath(path, s.currentDirectory, full, sim::Wildcards::InLastPart))
    return error;
  text = full.Text();
  if (std::strncmp(path, "\\\\?\\", 4) == 0)
    text = text.compare(0, 2, "\\\\") == 0 ? "\\\\?\\UNC" + text.substr(1) : "\\\\?\\" + text;
  if (full.trailingSeparator && !full.IsDrive()) text += "\\";
  leaf = text.find_last_of('\\') + 1;
  return 0;
}

}  // namespace

DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* filePart) {
  std::string text;
  size_t leaf = 0;
  if (DWORD error = FullPathText(path, text, leaf)) return sim::Refuse(error);
  const DWORD length = sim::CopyIfFits(text, buffer, size);
  if (filePart && length == text.size()) *filePart = leaf < text.size() ? buffer + leaf : nullptr;
  return length;
}

DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  std::string text;
  size_t leaf = 0;
  if (DWORD error = FullPathText(sim::WideArg(path), text, leaf)) return sim::Refuse(error);
  const DWORD length = sim::CopyWideIfFits(text, buffer, size);
  const size_t leafCharacters = sim::Characters(text.substr(0, leaf)).size();
  if (filePart && length < size)
    *filePart = leafCharacters < length ? buffer + leafCharacters : nullptr;
  return length;
}

DWORD GetLongPathNameA(LPCSTR path, LPSTR buffer, DWORD size) {
  auto& s = sim::Enter();
  PathCall call(Op::GetLongPathName, path);
  if (call.error) return sim::Refuse(call.error);
  std::string text;
  if (DWORD error = sim::Respelt(s, call.path, false, text)) return sim::Refuse(error);
  return sim::CopyIfFits(sim::Ansi(text), buffer, size);
}

DWORD GetLongPathNameW(LPCWSTR path, LPWSTR buffer, DWORD size) {
  auto& s = sim::Enter();
  const sim::WideArg stored(path);
  PathCall call(Op::GetLongPathName, stored);
  if (call.error) return sim::Refuse(call.error);
  std::string text;
  if (DWORD error = sim::Respelt(s, call.path, false, text)) return sim::Refuse(error);
  return sim::CopyWideIfFits(text, buffer, size);
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  const sim::WideArg stored(path);
  return CreateFileA(stored, access, share, security, disposition, flags, templateFile);
}

BOOL CloseHandle(HANDLE handle) {
  auto& s = sim::Enter();
  auto file = s.files.find(handle);
  if (file != s.files.end()) {
    FileNode* node = file->second.node;
    FileNode* folder = file->second.parent;
    s.files.erase(file);
    // The last close deletes what was marked (MS-FSA 2.1.5.4).
    if (node && node->deletePending && folder && !sim::IsOpen(s, node)) {
      sim::Log("Deleted at the last close " + node->name);
      sim::EraseEntry(s, folder, node->name);
    }
    return TRUE;
  }
  if (sim::CloseProcessHandle(s, handle)) return TRUE;
  auto mutex = s.mutexes.find(handle);
  if (mutex == s.mutexes.end()) return sim::Refuse(ERROR_INVALID_HANDLE);
  // The last handle ends the named object.
  if (--s.mutexOpenCount[mutex->second] == 0) s.mutexOpenCount.erase(mutex->second);
  s.mutexes.erase(mutex);
  return TRUE;
}

DWORD GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
  auto& s = sim::Enter();
  auto file = s.files.find(handle);
  if (file == s.files.end()) {
    sim::Refuse(ERROR_INVALID_HANDLE);
    return kInvalidFileSize;
  }
  if (sizeHigh) *sizeHigh = 0;
  const FileNode* node = file->second.node;
  return node ? static_cast<DWORD>(node->content.size()) : 0;
}

DWORD GetFileAttributesA(LPCSTR path) {
  auto& s = sim::Enter();
  PathCall call(Op::GetFileAttributes, path);
  if (call.error) return NoAttributes(call.error);
  FileLookup found = sim::Look(s, call.path);
  if (DWORD error = EntryError(found, call.path)) return NoAttributes(error);
  // Its query opens the entry, which a pending delete refuses (MS-FSA 2.1.5.1.2).
  if (found.node->deletePending) return NoAttributes(ERROR_ACCESS_DENIED);
  return sim::ReportedAttributes(*found.node);
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  auto& s = sim::Enter();
  PathCall call(Op::SetFileAttributes, path);
  if (call.error) return sim::Refuse(call.error);
  FileLookup found = sim::Look(s, call.path);
  if (DWORD error = EntryError(found, call.path)) return sim::Refuse(error);
  sim::SetAttributes(s, found.node, attributes);
  sim::Log(std::string("SetFileAttributes ") + path + " " + sim::Hex(attributes));
  return TRUE;
}

// The wide calls: the same calls on the name as the machine stores it.
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security) {
  return CreateDirectoryA(sim::WideArg(path), security);
}

BOOL DeleteFileW(LPCWSTR path) { return DeleteFileA(sim::WideArg(path)); }

BOOL RemoveDirectoryW(LPCWSTR path) { return RemoveDirectoryA(sim::WideArg(path)); }

DWORD GetFileAttributesW(LPCWSTR path) { return GetFileAttributesA(sim::WideArg(path)); }
