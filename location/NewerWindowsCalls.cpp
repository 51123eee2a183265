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
typedef BOOL(WINAPI* SessionCall)(DWORD, DWORD*);

// VOLUME_NAME_DOS with FILE_NAME_NORMALIZED: "X:\..." or "UNC\server\...".
const DWORD kDosVolumeName = 0;

// The call, or NULL. The modules are loaded: the program imports from both.
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

BOOL ProcessSession(DWORD processId, DWORD* session) {
  return CallIfPresent<SessionCall>("ProcessIdToSessionId", FALSE, processId, session);
}
