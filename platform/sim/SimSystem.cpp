// System facts: the last error, the OS version, the user, the module and the
// Windows folders, and the test API that sets them.
#include <cstring>

#include "SimState.h"

namespace {

const char kModulePath[] = "C:\\Temp\\RemoveKM.exe";
const DWORD kPlatformNt = 2;        // VER_PLATFORM_WIN32_NT
const DWORD kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND
const DWORD kProcNotFound = 127;    // ERROR_PROC_NOT_FOUND
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(0x7C800000);
const HMODULE kShell32 = reinterpret_cast<HMODULE>(0x7C9C0000);

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
  info->dwBuildNumber = BuildNumber(s.majorVersion, s.minorVersion);
  info->dwPlatformId = kPlatformNt;
  info->szCSDVersion[0] = '\0';
  return TRUE;
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(sim::Op::GetUserName, "")) return sim::Refuse(error);
  if (!size) return sim::Refuse(ERROR_INVALID_PARAMETER);
  const DWORD needed = static_cast<DWORD>(s.userName.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, s.userName.c_str(), needed);
  *size = needed;
  return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
  sim::Enter();
  // The DLLs the program imports are loaded with it.
  if (name && sim::SameName(name, "kernel32.dll")) return kKernel32;
  if (name && sim::SameName(name, "shell32.dll")) return kShell32;
  if (name && !sim::SameName(name, "RemoveKM.exe") && !sim::SameName(name, kModulePath)) {
    sim::Refuse(kModuleNotFound);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(0x400000);  // the usual image base of an executable
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  auto& s = sim::Enter();
  const bool windows2000 = s.majorVersion >= 5;
  const bool windowsXp = s.majorVersion > 5 || (s.majorVersion == 5 && s.minorVersion >= 1);
  FARPROC found = nullptr;
  if (module == kKernel32 && windows2000 && std::strcmp(name, "GetLongPathNameA") == 0)
    found = Exported(&GetLongPathNameA);
  if (module == kKernel32 && windowsXp && std::strcmp(name, "GetSystemWow64DirectoryA") == 0)
    found = Exported(&GetSystemWow64DirectoryA);
  if (module == kShell32 && windows2000 && std::strcmp(name, "SHGetFolderPathA") == 0)
    found = Exported(&SHGetFolderPathA);
  if (!found) sim::Refuse(kProcNotFound);
  return found;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
  sim::Enter();
  const int copied = sim::CopyTruncated(kModulePath, buffer, static_cast<int>(size));
  if (copied < static_cast<int>(sizeof kModulePath - 1)) {
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

namespace sim {

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
}

void Machine::SetSpecialFolder(int csidl, const std::string& path) {
  state_->specialFolders[csidl] = path;
}

void Machine::DropSpecialFolder(int csidl) { state_->specialFolders.erase(csidl); }

std::string Machine::SpecialFolder(int csidl) const {
  auto folder = state_->specialFolders.find(csidl);
  return folder == state_->specialFolders.end() ? "" : folder->second;
}

void Machine::SetVersion(DWORD major, DWORD minor) {
  state_->majorVersion = major;
  state_->minorVersion = minor;
}

void Machine::SetUserName(const std::string& name) { state_->userName = name; }
void Machine::SetWindowsDirectory(const std::string& path) { state_->windowsDirectory = path; }
void Machine::SetSystemDirectory(const std::string& path) { state_->systemDirectory = path; }

}  // namespace sim
