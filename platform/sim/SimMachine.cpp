// The machine itself: construction with the defaults of a Windows XP machine,
// faults, and the accounting that tests read.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "SimState.h"

namespace sim {
namespace {

std::unique_ptr<Machine>& Current() {
  static std::unique_ptr<Machine> current;
  return current;
}

bool IsPathOp(Op op) {
  switch (op) {
    case Op::SetCurrentDirectory:
    case Op::FindFirstFile:
    case Op::FindNextFile:
    case Op::CreateDirectory:
    case Op::CopyFile:
    case Op::DeleteFile:
    case Op::RemoveDirectory:
    case Op::CreateFile:
    case Op::GetFileAttributes:
    case Op::GetLongPathName:
    case Op::SetFileAttributes:
    case Op::ShellDelete:
    case Op::SHGetPathFromIDList:
    case Op::MoveFileEx:
    case Op::SetFileSecurity:
    case Op::ReadFile:
      return true;
    default:
      return false;
  }
}

// A target as Windows compares it: paths resolved and case-insensitive, key
// paths case-insensitive without a trailing "\".
std::string Canonical(Op op, const std::string& target) {
  WinPath path;
  if (IsPathOp(op) && ParsePath(target, "C:\\", path) == 0) return UpperCase(path.Text());
  std::string text = target;
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return UpperCase(text);
}

}  // namespace

const char* OpName(Op op) {
  switch (op) {
    case Op::SetCurrentDirectory:
      return "SetCurrentDirectory";
    case Op::GetCurrentDirectory:
      return "GetCurrentDirectory";
    case Op::FindFirstFile:
      return "FindFirstFile";
    case Op::FindNextFile:
      return "FindNextFile";
    case Op::CreateDirectory:
      return "CreateDirectory";
    case Op::CopyFile:
      return "CopyFile";
    case Op::DeleteFile:
      return "DeleteFile";
    case Op::RemoveDirectory:
      return "RemoveDirectory";
    case Op::CreateFile:
      return "CreateFile";
    case Op::GetFileAttributes:
      return "GetFileAttributes";
    case Op::GetLongPathName:
      return "GetLongPathName";
    case Op::SetFileAttributes:
      return "SetFileAttributes";
    case Op::ShellDelete:
      return "ShellDelete";
    case Op::SpecialFolder:
      return "SpecialFolder";
    case Op::RegOpenKey:
      return "RegOpenKey";
    case Op::RegQueryValue:
      return "RegQueryValue";
    case Op::RegEnumKey:
      return "RegEnumKey";
    case Op::RegDeleteKey:
      return "RegDeleteKey";
    case Op::RegDeleteValue:
      return "RegDeleteValue";
    case Op::RegCloseKey:
      return "RegCloseKey";
    case Op::GetUserName:
      return "GetUserName";
    case Op::GetVersion:
      return "GetVersion";
    case Op::CreateDialog:
      return "CreateDialog";
    case Op::GetSystemMenu:
      return "GetSystemMenu";
    case Op::LoadString:
      return "LoadString";
    case Op::CoInitialize:
      return "CoInitialize";
    case Op::SHGetPathFromIDList:
      return "SHGetPathFromIDList";
    case Op::MoveFileEx:
      return "MoveFileEx";
    case Op::SetFileSecurity:
      return "SetFileSecurity";
    case Op::WriteFile:
      return "WriteFile";
    case Op::ReadFile:
      return "ReadFile";
    case Op::CreateEnvironmentBlock:
      return "CreateEnvironmentBlock";
    case Op::WideCall:
      return "WideCall";
  }
  return "?";
}

Machine::Machine() : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.root.attributes = FILE_ATTRIBUTE_DIRECTORY;
  const std::string profiles = "C:\\Documents and Settings\\";
  s.specialFolders = {
      {CSIDL_COMMON_DESKTOPDIRECTORY, profiles + "All Users\\Desktop"},
      {CSIDL_DESKTOPDIRECTORY, profiles + "user1\\Desktop"},
      {CSIDL_COMMON_STARTMENU, profiles + "All Users\\Start Menu"},
      {CSIDL_STARTMENU, profiles + "user1\\Start Menu"},
      {CSIDL_WINDOWS, s.windowsDirectory},
      {CSIDL_SYSTEM, s.systemDirectory},
      {CSIDL_PROGRAM_FILES, "C:\\Program Files"},
      {CSIDL_PROFILE, profiles + "user1"},
  };
  for (const auto& folder : s.specialFolders) AddFolder(folder.second);
  // What a user makes there is theirs to change: CREATOR OWNER's full
  // control, passed on only (Microsoft, "Default permissions for the system
  // drive": C:\ and Program Files carry it).
  for (const char* folder : {"C:\\", "C:\\Program Files"})
    Grant(folder, "S-1-3-0", GENERIC_ALL,
          OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE);
  // Named by the system, but not made on the disk until something needs them.
  const std::string user = profiles + "user1\\", common = profiles + "All Users\\";
  s.specialFolders.insert({
      {CSIDL_PROGRAM_FILES_COMMON, "C:\\Program Files\\Common Files"},
      {CSIDL_COMMON_APPDATA, common + "Application Data"},
      {CSIDL_COMMON_DOCUMENTS, common + "Documents"},
      {CSIDL_COMMON_PROGRAMS, common + "Start Menu\\Programs"},
      {CSIDL_COMMON_STARTUP, common + "Start Menu\\Programs\\Startup"},
      {CSIDL_PROGRAMS, user + "Start Menu\\Programs"},
      {CSIDL_STARTUP, user + "Start Menu\\Programs\\Startup"},
      {CSIDL_PERSONAL, user + "My Documents"},
      {CSIDL_MYPICTURES, user + "My Documents\\My Pictures"},
      {CSIDL_MYMUSIC, user + "My Documents\\My Music"},
      {CSIDL_MYVIDEO, user + "My Documents\\My Videos"},
      {CSIDL_APPDATA, user + "Application Data"},
      {CSIDL_LOCAL_APPDATA, user + "Local Settings\\Application Data"},
      {CSIDL_FAVORITES, user + "Favorites"},
      {CSIDL_TEMPLATES, user + "Templates"},
      {CSIDL_FONTS, s.windowsDirectory + "\\Fonts"},
  });
  s.currentFolder = s.root.children.at("C:").get();
  AddKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  AddKey(kSessionManagerKey);
}

Machine::~Machine() = default;

Machine& machine() {
  if (!Current()) Current() = std::make_unique<Machine>();
  return *Current();
}

Machine& reset() {
  Current().reset();
  Current() = std::make_unique<Machine>();
  return *Current();
}

void Machine::Fail(Op op, const std::string& target, DWORD error, int times) {
  state_->faults.push_back({op, target, error, times});
}

void Machine::ClearFaults() { state_->faults.clear(); }

int Machine::OpenFindHandles() const { return static_cast<int>(state_->finds.size()); }
int Machine::OpenFileHandles() const { return static_cast<int>(state_->files.size()); }
int Machine::OpenKeys() const { return static_cast<int>(state_->keys.size()); }
int Machine::ComInitDepth() const { return state_->comDepth; }
int Machine::LiveItemIdLists() const { return static_cast<int>(state_->itemIdLists.size()); }
long long Machine::CallCount() const { return state_->calls; }

int Machine::LiveWindows() const {
  int live = 0;
  for (const auto& window : state_->windows) live += window.second->destroyed ? 0 : 1;
  return live;
}

Machine::State& Enter(const char* function) {
  Machine& m = machine();
  Machine::State& s = m.state();
  ++s.calls;
  auto counter = m.onCall;  // the counter may replace itself
  if (counter) counter(function);
  if (!s.lettingGo.empty()) LetGoDue(s);
  return s;
}

DWORD Faulted(Op op, const std::string& target) {
  Machine& m = machine();
  const std::string wanted = Canonical(op, target);
  DWORD error = 0;
  for (Fault& fault : m.state().faults) {
    if (fault.op != op || fault.remaining == 0) continue;
    if (fault.target != "*" && Canonical(op, fault.target) != wanted) continue;
    if (fault.remaining > 0) --fault.remaining;
    error = fault.error;
    break;
  }
  auto hook = m.faultHook;  // the hook may replace itself
  if (!error && hook) error = hook(op, target);
  if (error) Log(std::string("Fault ") + OpName(op) + " " + target + " " + std::to_string(error));
  return error;
}

BOOL Refuse(DWORD error) {
  machine().state().lastError = error;
  return FALSE;
}

void Log(const std::string& event) { machine().events.push_back(event); }

DWORD CopyIfFits(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

int CopyTruncated(const std::string& text, LPSTR buffer, int size) {
  if (size <= 0) return 0;
  const size_t copied = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

}  // namespace sim
