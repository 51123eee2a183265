// System facts: the last error, the OS version, the user, the module and the
// Windows folders, and the test API that sets them.
#include <cstdio>
#include <cstring>

#include "SimState.h"

namespace {

const DWORD kPlatformNt = 2;        // VER_PLATFORM_WIN32_NT
const DWORD kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND
const DWORD kProcNotFound = 127;    // ERROR_PROC_NOT_FOUND
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(0x7C800000);
const HMODULE kShell32 = reinterpret_cast<HMODULE>(0x7C9C0000);
const HMODULE kNtdll = reinterpret_cast<HMODULE>(0x7C900000);
const HMODULE kRestartManager = reinterpret_cast<HMODULE>(0x76E00000);
const HMODULE kTerminalServices = reinterpret_cast<HMODULE>(0x76F00000);
const HMODULE kAdvapi32 = reinterpret_cast<HMODULE>(0x77DD0000);
const HMODULE kUserEnvironment = reinterpret_cast<HMODULE>(0x769C0000);

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_ flags: Windows 8 on,
// Vista and 7 only with KB2533623 (Microsoft's documentation), which the
// simulated Vista and 7 lack (the harsher choice: the older way is taken).
bool HasDllDirectories(const sim::Machine::State& s) {
  return s.majorVersion > 6 || (s.majorVersion == 6 && s.minorVersion >= 2);
}

std::string Hex(DWORD number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(number));
  return text;
}

DWORD BuildNumber(DWORD major, DWORD minor) {
  switch (major * 100 + minor) {
    case 400:
      return 1381;
    case 500:
      return 2195;
    case 501:
      return 2600;
    case 502:
      return 3790;
    case 600:
      return 6002;
    case 601:
      return 7601;
    case 602:
      return 9200;
    case 603:
      return 9600;
    case 1000:
      return 10240;
    default:
      return 0;
  }
}

// Through void (*)(), the type that every function pointer may pass as.
template <typename Function>
FARPROC Exported(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

DWORD GetLastError() { return sim::Enter().lastError; }

void SetLastError(DWORD error) { sim::Enter().lastError = error; }

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(sim::Op::GetVersion, "")) return sim::Refuse(error);
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
    return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  info->dwMajorVersion = s.majorVersion;
  info->dwMinorVersion = s.minorVersion;
  info->dwBuildNumber = sim::Build(s);
  info->dwPlatformId = kPlatformNt;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(sim::Op::GetUserName, "")) return sim::Refuse(error);
  if (!size) return sim::Refuse(ERROR_INVALID_PARAMETER);
  const std::string name = sim::Ansi(s.userName);
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed;
  return TRUE;
}

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) {
  auto& s = sim::Enter();
  if (DWORD error = sim::MissingWideCall("GetUserNameW")) return sim::Refuse(error);
  if (DWORD error = sim::Faulted(sim::Op::GetUserName, "")) return sim::Refuse(error);
  if (!size) return sim::Refuse(ERROR_INVALID_PARAMETER);
  const DWORD needed = static_cast<DWORD>(sim::Characters(s.userName).size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  }
  sim::FillWide(s.userName, buffer, needed);
  *size = needed;
  return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  auto& s = sim::Enter();
  // The DLLs the program imports are loaded with it.
  if (name && sim::SameName(name, "kernel32.dll")) return kKernel32;
  if (name && sim::SameName(name, "shell32.dll")) return kShell32;
  if (name && sim::SameName(name, "ntdll.dll")) return kNtdll;  // in every process
  if (name && sim::SameName(name, "advapi32.dll")) return kAdvapi32;
  if (name && !sim::SameName(name, "RemoveKM.exe") && !sim::SameName(name, s.modulePath)) {
    sim::Refuse(kModuleNotFound);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(0x400000);  // the usual image base of an executable
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  auto& s = sim::Enter();
  const bool windows2000 = s.majorVersion >= 5;
  const bool windowsXp = s.majorVersion > 5 || (s.majorVersion == 5 && s.minorVersion >= 1);
  const bool windowsVista = s.majorVersion >= 6;
  FARPROC found = nullptr;
  if (module == kKernel32 && windows2000 && std::strcmp(name, "GetLongPathNameA") == 0)
    found = Exported(&GetLongPathNameA);
  if (module == kKernel32 && windows2000 && std::strcmp(name, "GetLongPathNameW") == 0)
    found = Exported(&GetLongPathNameW);
  if (module == kKernel32 && windowsXp && std::strcmp(name, "GetSystemWow64DirectoryA") == 0)
    found = Exported(&GetSystemWow64DirectoryA);
  if (module == kKernel32 && windowsVista && std::strcmp(name, "GetFinalPathNameByHandleW") == 0)
    found = Exported(&GetFinalPathNameByHandleW);
  if (module == kShell32 && windows2000 && std::strcmp(name, "SHGetFolderPathA") == 0)
    found = Exported(&SHGetFolderPathA);
  if (module == kKernel32 && windows2000) {
    if (std::strcmp(name, "CreateToolhelp32Snapshot") == 0)
      found = Exported(&CreateToolhelp32Snapshot);
    if (std::strcmp(name, "Process32FirstW") == 0) found = Exported(&Process32FirstW);
    if (std::strcmp(name, "Process32NextW") == 0) found = Exported(&Process32NextW);
    if (std::strcmp(name, "Module32FirstW") == 0) found = Exported(&Module32FirstW);
  }
  if (module == kKernel32 && windows2000 && std::strcmp(name, "ProcessIdToSessionId") == 0)
    found = Exported(&ProcessIdToSessionId);
  if (module == kKernel32 && s.majorVersion >= 6 &&
      std::strcmp(name, "QueryFullProcessImageNameW") == 0)
    found = Exported(&QueryFullProcessImageNameW);
  if (module == kNtdll) {
    if (std::strcmp(name, "NtCreateFile") == 0) found = Exported(&NtCreateFile);
    if (std::strcmp(name, "NtQueryDirectoryFile") == 0) found = Exported(&NtQueryDirectoryFile);
    if (std::strcmp(name, "NtQueryInformationFile") == 0) found = Exported(&NtQueryInformationFile);
    if (std::strcmp(name, "NtSetInformationFile") == 0) found = Exported(&NtSetInformationFile);
    if (std::strcmp(name, "NtDeleteKey") == 0) found = Exported(&NtDeleteKey);
    if (std::strcmp(name, "RtlNtStatusToDosError") == 0) found = Exported(&RtlNtStatusToDosError);
  }
  if (module == kKernel32 && HasDllDirectories(s) &&
      std::strcmp(name, "SetDefaultDllDirectories") == 0)
    found = Exported(&SetDefaultDllDirectories);
  if (module == kUserEnvironment) {
    if (std::strcmp(name, "CreateEnvironmentBlock") == 0) found = Exported(&CreateEnvironmentBlock);
    if (std::strcmp(name, "DestroyEnvironmentBlock") == 0)
      found = Exported(&DestroyEnvironmentBlock);
  }
  if (module == kAdvapi32 && std::strcmp(name, "CreateProcessAsUserW") == 0)
    found = Exported(&CreateProcessAsUserW);
  if (module == kRestartManager) {
    if (std::strcmp(name, "RmStartSession") == 0) found = Exported(&RmStartSession);
    if (std::strcmp(name, "RmRegisterResources") == 0) found = Exported(&RmRegisterResources);
    if (std::strcmp(name, "RmGetList") == 0) found = Exported(&RmGetList);
    if (std::strcmp(name, "RmShutdown") == 0) found = Exported(&RmShutdown);
    if (std::strcmp(name, "RmEndSession") == 0) found = Exported(&RmEndSession);
  }
  if (module == kTerminalServices) {
    if (std::strcmp(name, "WTSQuerySessionInformationW") == 0)
      found = Exported(&WTSQuerySessionInformationW);
    if (std::strcmp(name, "WTSFreeMemory") == 0) found = Exported(&WTSFreeMemory);
    if (std::strcmp(name, "WTSQueryUserToken") == 0) found = Exported(&WTSQueryUserToken);
  }
  if (!found) sim::Refuse(kProcNotFound);
  return found;
}

BOOL SetDefaultDllDirectories(DWORD flags) {
  sim::Log("SetDefaultDllDirectories " + Hex(flags));
  return TRUE;
}

// A name with a path is looked for there alone, and LOAD_LIBRARY_SEARCH_SYSTEM32
// looks in the system folder alone; a Windows without that flag fails it with
// ERROR_INVALID_PARAMETER (Microsoft's documentation of LoadLibraryExW).
// Any other search could find a planted copy, so the model loads nothing then
// (the harsher choice). The Restart Manager from Vista on, unless a test took
// it away; the sessions' users from XP on; the users' environments from 2000 on.
HMODULE LoadLibraryExW(LPCWSTR wideName, HANDLE, DWORD flags) {
  auto& s = sim::Enter();
  const std::string name(sim::WideArg{wideName}), folder = s.systemDirectory + "\\";
  sim::Log("LoadLibraryEx " + name + " " + Hex(flags));
  if (flags == LOAD_LIBRARY_SEARCH_SYSTEM32 && !HasDllDirectories(s))
    return sim::Refuse(ERROR_INVALID_PARAMETER), nullptr;
  std::string dll;
  if (flags == LOAD_LIBRARY_SEARCH_SYSTEM32 && name.find('\\') == std::string::npos) dll = name;
  if (flags == 0 && sim::SameName(name.substr(0, folder.size()), folder))
    dll = name.substr(folder.size());
  HMODULE loaded = nullptr;
  if (sim::SameName(dll, "rstrtmgr.dll") && s.majorVersion >= 6 &&
      s.restartManager != sim::Machine::RestartManager::Missing)
    loaded = kRestartManager;
  if (sim::SameName(dll, "wtsapi32.dll") &&
      (s.majorVersion > 5 || (s.majorVersion == 5 && s.minorVersion >= 1)))
    loaded = kTerminalServices;
  if (sim::SameName(dll, "userenv.dll") && s.majorVersion >= 5) loaded = kUserEnvironment;
  if (!loaded) return sim::Refuse(kModuleNotFound), nullptr;
  ++s.loadedLibraries;
  return loaded;
}

BOOL FreeLibrary(HMODULE module) {
  auto& s = sim::Enter();
  if (module != kRestartManager && module != kTerminalServices && module != kUserEnvironment)
    return sim::Refuse(ERROR_INVALID_HANDLE);
  --s.loadedLibraries;
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  auto& s = sim::Enter();
  const int copied = sim::CopyTruncated(s.modulePath, buffer, static_cast<int>(size));
  if (copied < static_cast<int>(s.modulePath.size())) {
    // Cut short: the buffer's size is returned, with the error of newer Windows.
    sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(copied);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return sim::CopyIfFits(sim::Enter().windowsDirectory, buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return sim::CopyIfFits(sim::Enter().systemDirectory, buffer, size);
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
  return sim::CopyWideIfFits(sim::Enter().systemDirectory, buffer, size);
}

// ---- The unattended run's calls.

LPSTR GetCommandLineA() {
  auto& s = sim::Enter();
  s.ansiCommandLine = sim::Ansi(s.commandLine);
  return &s.ansiCommandLine[0];
}

LPWSTR GetCommandLineW() {
  auto& s = sim::Enter();
  if (sim::MissingWideCall("GetCommandLineW")) return nullptr;
  const std::u32string characters = sim::Characters(s.commandLine);
  s.wideCommandLine.assign(characters.begin(), characters.end());
  return &s.wideCommandLine[0];
}

HANDLE GetStdHandle(DWORD which) {
  auto& s = sim::Enter();
  if (which != STD_OUTPUT_HANDLE) {
    sim::Refuse(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // A program started from the desktop has none.
  return s.outputRedirected ? sim::kStandardOutput : nullptr;
}

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
  auto& s = sim::Enter();
  s.nextHandle += 4;
  HANDLE handle = reinterpret_cast<HANDLE>(s.nextHandle);
  const std::string key = name ? name : "";
  // An unnamed one is new every time; a named one may exist already.
  const bool existed = !key.empty() && s.mutexOpenCount[key] > 0;
  ++s.mutexOpenCount[key];
  s.mutexes[handle] = key;
  s.lastError = existed ? ERROR_ALREADY_EXISTS : 0;
  return handle;
}

void GetLocalTime(LPSYSTEMTIME time) {
  sim::Enter();
  // A fixed moment: a log's lines are then the same in every run.
  *time = {2026, 12, 2, 8, 9, 5, 7, 0};
}

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) {
  auto& s = sim::Enter();
  const DWORD length = static_cast<DWORD>(s.computerName.size());
  if (!buffer || !size || *size <= length) {
    if (size) *size = length + 1;
    return sim::Refuse(ERROR_BUFFER_OVERFLOW);
  }
  std::memcpy(buffer, s.computerName.c_str(), length + 1);
  *size = length;
  return TRUE;
}

// The variables the system sets from its own folders; an unknown one stays as written.
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
  auto& s = sim::Enter();
  const std::map<std::string, std::string, sim::NameLess> variables = {
      {"SystemDrive", s.windowsDirectory.substr(0, 2)},
      {"SystemRoot", s.windowsDirectory},
      {"windir", s.windowsDirectory},
  };
  std::string text = source;
  std::string expanded;
  for (size_t i = 0; i < text.size();) {
    const size_t end = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
    auto variable = end == std::string::npos ? variables.end()
                                             : variables.find(text.substr(i + 1, end - i - 1));
    if (variable == variables.end()) {
      expanded += text[i++];
    } else {
      expanded += variable->second;
      i = end + 1;
    }
  }
  const DWORD needed = static_cast<DWORD>(expanded.size() + 1);
  if (destination && size >= needed) std::memcpy(destination, expanded.c_str(), needed);
  return needed;
}

DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size) {
  sim::WideArg text(source);
  std::string expanded(ExpandEnvironmentStringsA(text, NULL, 0), '\0');
  ExpandEnvironmentStringsA(text, &expanded[0], static_cast<DWORD>(expanded.size()));
  expanded.pop_back();
  const DWORD needed = static_cast<DWORD>(sim::Characters(expanded).size() + 1);
  if (destination && size >= needed) sim::FillWide(expanded, destination, size);
  return needed;
}

UINT GetSystemWow64DirectoryA(LPSTR buffer, UINT size) {
  auto& s = sim::Enter();
  if (s.wow64Directory.empty()) return sim::Refuse(ERROR_CALL_NOT_IMPLEMENTED);
  return sim::CopyIfFits(s.wow64Directory, buffer, size);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  return sim::CopyIfFits(sim::Enter().tempDirectory, buffer, size);
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  auto& s = sim::Enter();
  auto variable = s.environment.find(name);
  if (variable == s.environment.end()) return sim::Refuse(ERROR_ENVVAR_NOT_FOUND);
  return sim::CopyIfFits(variable->second, buffer, size);
}

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD id, DWORD, LPWSTR buffer, DWORD size, void*) {
  sim::Enter();
  static const std::map<DWORD, std::string> kTexts = {
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
      {ERROR_ACCESS_DENIED, "Access is denied."},
      {ERROR_SHARING_VIOLATION,
       "The process cannot access the file because it is being used by another process."},
      {ERROR_DISK_FULL, "There is not enough space on the disk."},
  };
  auto text = kTexts.find(id);
  if (flags != (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS) || text == kTexts.end())
    return sim::Refuse(ERROR_MR_MID_NOT_FOUND);
  const std::string line = text->second + "\r\n";
  if (size < line.size() + 1) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  sim::FillWide(line, buffer, line.size() + 1);
  return static_cast<DWORD>(line.size());
}

namespace sim {

void Machine::SetCommandLine(const std::string& text) { state_->commandLine = text; }
void Machine::SetComputerName(const std::string& name) { state_->computerName = name; }
void Machine::RedirectStandardOutput() { state_->outputRedirected = true; }
int Machine::OpenMutexHandles() const { return static_cast<int>(state_->mutexes.size()); }
void Machine::MakeWindows64() {
  State& s = *state_;
  const std::string x86 = "C:\\Program Files (x86)";
  s.wow64Directory = s.windowsDirectory + "\\SysWOW64";
  s.environment["ProgramW6432"] = "C:\\Program Files";
  s.environment["CommonProgramW6432"] = "C:\\Program Files\\Common Files";
  s.specialFolders[CSIDL_PROGRAM_FILES] = x86;
  s.specialFolders[CSIDL_PROGRAM_FILESX86] = x86;
  s.specialFolders[CSIDL_PROGRAM_FILES_COMMON] = x86 + "\\Common Files";
  s.specialFolders[CSIDL_PROGRAM_FILES_COMMONX86] = x86 + "\\Common Files";
  for (const std::string& folder :
       {s.wow64Directory, x86 + "\\Common Files", std::string("C:\\Program Files\\Common Files")})
    AddFolder(folder);
  // As C:\Program Files (see the constructor).
  Grant(x86, "S-1-3-0", GENERIC_ALL, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE);
}

void Machine::SetSpecialFolder(int csidl, const std::string& path) {
  state_->specialFolders[csidl] = path;
}

void Machine::DropSpecialFolder(int csidl) { state_->specialFolders.erase(csidl); }

std::string Machine::SpecialFolder(int csidl) const {
  auto folder = state_->specialFolders.find(csidl);
  return folder == state_->specialFolders.end() ? "" : folder->second;
}

DWORD Build(const Machine::State& s) {
  return s.build ? s.build : BuildNumber(s.majorVersion, s.minorVersion);
}

void Machine::SetVersion(DWORD major, DWORD minor, DWORD build) {
  state_->majorVersion = major;
  state_->minorVersion = minor;
  state_->build = build;
}

void Machine::SetUserName(const std::string& name) { state_->userName = name; }
void Machine::SetWindowsDirectory(const std::string& path) { state_->windowsDirectory = path; }
void Machine::SetSystemDirectory(const std::string& path) { state_->systemDirectory = path; }

}  // namespace sim
