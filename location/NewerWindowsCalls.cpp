#include "location/NewerWindowsCalls.h"

namespace {

typedef DWORD(WINAPI* LongPathNameCall)(LPCWSTR, LPWSTR, DWORD);
typedef UINT(WINAPI* SystemWow64DirectoryCall)(LPSTR, UINT);
typedef HRESULT(WINAPI* FolderPathCall)(HWND, int, HANDLE, DWORD, LPSTR);
typedef HANDLE(WINAPI* SnapshotCall)(DWORD, DWORD);
typedef BOOL(WINAPI* ProcessEntryCall)(HANDLE, PROCESSENTRY32W*);
typedef BOOL(WINAPI* ModuleEntryCall)(HANDLE, MODULEENTRY32W*);
typedef BOOL(WINAPI* ImageNameCall)(HANDLE, DWORD, LPWSTR, DWORD*);
typedef DWORD(WINAPI* FinalPathNameCall)(HANDLE, LPWSTR, DWORD, DWORD);
typedef NTSTATUS(WINAPI* CreateFileCall)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, IO_STATUS_BLOCK*,
                                         LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);
typedef NTSTATUS(WINAPI* QueryDirectoryCall)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*,
                                             ULONG, FILE_INFORMATION_CLASS, BOOLEAN,
                                             UNICODE_STRING*, BOOLEAN);
typedef NTSTATUS(WINAPI* FileInformationCall)(HANDLE, IO_STATUS_BLOCK*, void*, ULONG,
                                              FILE_INFORMATION_CLASS);
typedef BOOL(WINAPI* SessionIdCall)(DWORD, DWORD*);
typedef NTSTATUS(WINAPI* DeleteKeyCall)(HANDLE);

// VOLUME_NAME_DOS with FILE_NAME_NORMALIZED: "X:\..." or "UNC\server\...".
const DWORD kDosVolumeName = 0;

// The call, or NULL. The modules are loaded: the program imports from
// kernel32 and shell32, and ntdll is in every process.
// The pointer passes through void (*)(), which any function pointer may.
template <typename Call>
Call Exported(LPCSTR module, LPCSTR name) {
  HMODULE loaded = GetModuleHandleA(module);
  FARPROC found = loaded != NULL ? GetProcAddress(loaded, name) : NULL;
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

// Calls `call` with `arguments`, or fails with ERROR_CALL_NOT_IMPLEMENTED.
template <typename Call, typename Result, typename... Arguments>
Result CallIfPresent(LPCSTR name, Result missing, Arguments... arguments) {
  Call call = Exported<Call>("kernel32.dll", name);
  if (call != NULL) return call(arguments...);
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return missing;
}

// Calls ntdll's `name` with `arguments`, or answers STATUS_NOT_IMPLEMENTED.
// A walk makes these calls for every entry, and ntdll's exports never change
// while the process runs: each is looked up once, into `found`.
template <typename Call, typename... Arguments>
NTSTATUS CallNative(Call& found, LPCSTR name, Arguments... arguments) {
  if (found == NULL) found = Exported<Call>("ntdll.dll", name);
  return found != NULL ? found(arguments...) : NTSTATUS(STATUS_NOT_IMPLEMENTED);
}

}  // namespace

DWORD LongPathName(LPCWSTR path, LPWSTR buffer, DWORD size) {
  LongPathNameCall call = Exported<LongPathNameCall>("kernel32.dll", "GetLongPathNameW");
  if (call != NULL) return call(path, buffer, size);
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return 0;
}

UINT SystemWow64Directory(LPSTR buffer, UINT size) {
  SystemWow64DirectoryCall call =
      Exported<SystemWow64DirectoryCall>("kernel32.dll", "GetSystemWow64DirectoryA");
  if (call != NULL) return call(buffer, size);
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return 0;
}

HRESULT FolderPath(int csidl, LPSTR path) {
  FolderPathCall call = Exported<FolderPathCall>("shell32.dll", "SHGetFolderPathA");
  path[0] = '\0';
  if (call != NULL) return call(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
  // The older call cannot tell a folder this Windows lacks from a failure.
  return SHGetSpecialFolderPathA(NULL, path, csidl & ~CSIDL_FLAG_DONT_VERIFY, FALSE) ? S_OK
                                                                                     : E_FAIL;
}

HANDLE ToolhelpSnapshot(DWORD flags, DWORD processId) {
  return CallIfPresent<SnapshotCall>("CreateToolhelp32Snapshot", INVALID_HANDLE_VALUE, flags,
                                     processId);
}

BOOL FirstProcess(HANDLE snapshot, PROCESSENTRY32W* entry) {
  return CallIfPresent<ProcessEntryCall>("Process32FirstW", FALSE, snapshot, entry);
}

BOOL NextProcess(HANDLE snapshot, PROCESSENTRY32W* entry) {
  return CallIfPresent<ProcessEntryCall>("Process32NextW", FALSE, snapshot, entry);
}

BOOL FirstModule(HANDLE snapshot, MODULEENTRY32W* entry) {
  return CallIfPresent<ModuleEntryCall>("Module32FirstW", FALSE, snapshot, entry);
}

BOOL FullProcessImageName(HANDLE process, LPWSTR name, DWORD* size) {
  return CallIfPresent<ImageNameCall>("QueryFullProcessImageNameW", FALSE, process, DWORD(0), name,
                                      size);
}

DWORD FinalPathName(HANDLE file, LPWSTR buffer, DWORD size) {
  return CallIfPresent<FinalPathNameCall>("GetFinalPathNameByHandleW", DWORD(0), file, buffer, size,
                                          kDosVolumeName);
}

void SetLastErrorOf(NTSTATUS status) {
  typedef ULONG(WINAPI * StatusToErrorCall)(NTSTATUS);
  StatusToErrorCall call = Exported<StatusToErrorCall>("ntdll.dll", "RtlNtStatusToDosError");
  SetLastError(call != NULL ? call(status) : ERROR_GEN_FAILURE);
}

NTSTATUS CreateFileNative(HANDLE* file, ACCESS_MASK access, OBJECT_ATTRIBUTES* attributes,
                          IO_STATUS_BLOCK* status, ULONG share, ULONG disposition, ULONG options) {
  static CreateFileCall found;
  return CallNative(found, "NtCreateFile", file, access, attributes, status,
                    static_cast<LARGE_INTEGER*>(NULL), ULONG(FILE_ATTRIBUTE_NORMAL), share,
                    disposition, options, static_cast<void*>(NULL), ULONG(0));
}

NTSTATUS QueryDirectoryNative(HANDLE folder, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what, bool restart) {
  static QueryDirectoryCall found;
  return CallNative(found, "NtQueryDirectoryFile", folder, HANDLE(NULL), static_cast<void*>(NULL),
                    static_cast<void*>(NULL), status, buffer, size, what, BOOLEAN(FALSE),
                    static_cast<UNICODE_STRING*>(NULL), BOOLEAN(restart));
}

NTSTATUS QueryInformationNative(HANDLE file, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                                FILE_INFORMATION_CLASS what) {
  static FileInformationCall found;
  return CallNative(found, "NtQueryInformationFile", file, status, buffer, size, what);
}

NTSTATUS SetInformationNative(HANDLE file, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what) {
  static FileInformationCall found;
  return CallNative(found, "NtSetInformationFile", file, status, buffer, size, what);
}

NTSTATUS DeleteKeyNative(HKEY key) {
  static DeleteKeyCall found;
  return CallNative(found, "NtDeleteKey", HANDLE(key));
}

BOOL SessionOfProcess(DWORD processId, DWORD* session) {
  return CallIfPresent<SessionIdCall>("ProcessIdToSessionId", FALSE, processId, session);
}
