#include "removal/closing/ProductPrograms.h"

#include "removal/held/HeldEntry.h"
#include "removal/restart/TrustedFolders.h"

#include "location/FolderIdentity.h"
#include "location/NewerWindowsCalls.h"
#include "removal/DecimalText.h"
#include "removal/WidePath.h"
#include "removal/closing/SessionUser.h"
#include "removal/held/HeldEntry.h"
#include "removal/paths/FolderListing.h"
#include "removal/restart/TrustedFolders.h"

namespace {

// The idle process and the system: their ids ask about nothing (0 would name
// this program itself to Toolhelp).
const DWORD kIdleProcessId = 0;
const DWORD kSystemProcessId = 4;

bool IsSystemProcess(DWORD id) { return id == kIdleProcessId || id == kSystemProcessId; }

// The program file of process `id`: from Windows itself where it can say
// (Vista on), else the process's first module. False when neither can tell
// (the system's own processes, another account's on older Windows).
bool ProgramFile(DWORD id, WCHAR (&path)[MAX_PATH]) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process != NULL) {
    DWORD size = MAX_PATH;
    const BOOL named = FullProcessImageName(process, path, &size);
    CloseHandle(process);
    if (named) return true;
  }
  HANDLE modules = ToolhelpSnapshot(TH32CS_SNAPMODULE, id);
  if (modules == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32W module;
  module.dwSize = sizeof module;
  const BOOL found = FirstModule(modules, &module);
  CloseHandle(modules);
  if (!found) return false;
  for (int i = 0; i < MAX_PATH; ++i) path[i] = module.szExePath[i];
  return true;
}

// Whether a folder that holds `file` is `folder`. Each folder on the way up
// is asked for its identity.
bool LiesInside(const WCHAR* file, const FolderIdentity& folder) {
  WCHAR above[MAX_PATH];
  int length = 0;
  while (length < MAX_PATH - 1 && file[length]) {
    above[length] = file[length];
    ++length;
  }
  for (int end = length - 1; end > 2; --end) {
    if (file[end] != L'\\') continue;
    above[end] = 0;
    FolderIdentity identity;
    if (IdentifyFolder(CWidePath(above), identity, false) == kIdentityKnown && identity == folder)
      return true;
  }
  return false;
}

WCHAR Lower(WCHAR c) { return c >= L'A' && c <= L'Z' ? WCHAR(c - L'A' + L'a') : c; }

// A program file by its name: a Java archive, a program or a library.
bool IsProgramFile(LPCWSTR name) {
  static const char* const kEndings[] = {".exe", ".dll", ".jar"};
  int length = 0;
  while (name[length]) ++length;
  for (const char* ending : kEndings) {
    bool same = length > 4;
    for (int i = 0; same && i < 4; ++i) {
      same = Lower(name[length - 4 + i]) == static_cast<WCHAR>(ending[i]);
    }
    if (same) return true;
  }
  return false;
}

// Registers every program file below `folder`; links are not entered, so
// that a pupil's link cannot make other programs' files the product's.
bool AddProgramFiles(CRestartManager& finder, const CWidePath& folder) {
  CFolderListing listing;
  if (!listing.Open(folder)) return true;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (IsLink(entry) || !path.Join(folder, entry.cFileName)) continue;
    if (IsFolder(entry) ? !AddProgramFiles(finder, path)
                        : IsProgramFile(entry.cFileName) && !finder.AddFile(path.Text()))
      return false;
  }
  return true;
}

bool SameStart(const FILETIME& one, const FILETIME& other) {
  return one.dwLowDateTime == other.dwLowDateTime && one.dwHighDateTime == other.dwHighDateTime;
}

bool SameProcess(const RM_UNIQUE_PROCESS& one, const RM_UNIQUE_PROCESS& other) {
  return one.dwProcessId == other.dwProcessId &&
         SameStart(one.ProcessStartTime, other.ProcessStartTime);
}

// A Java runtime, which runs the product's km2.jar from wherever it lies.
bool IsJavaRuntime(LPCWSTR path) {
  static const char* const kNames[] = {"javaw.exe", "java.exe"};
  int start = 0;
  for (int i = 0; path[i]; ++i)
    if (path[i] == L'\\') start = i + 1;
  for (const char* name : kNames) {
    int i = 0;
    while (name[i] && Lower(path[start + i]) == static_cast<WCHAR>(name[i])) ++i;
    if (!name[i] && !path[start + i]) return true;
  }
  return false;
}

// Whether the marker at `marker` can make a Java runtime Kelmora's: only
// where no pupil could have put it there, or given its file to one of her
// own (a hard link a teacher's Java may have open): one name, no link, and
// it and every folder above it changed by trusted accounts alone.
bool MarkerVouches(const CWidePath& marker) {
  CWidePath wide = marker;
  CHeldEntry file;
  BY_HANDLE_FILE_INFORMATION info;
  return wide.Extend() && OnlyTrustedAbove(wide, 0) &&
         file.Open(wide, READ_CONTROL | FILE_READ_ATTRIBUTES) && !file.IsLink() &&
         !file.IsFolder() && GetFileInformationByHandle(file.Handle(), &info) &&
         info.nNumberOfLinks == 1 && OnlyTrustedMayHeld(file.Handle(), kChangeRights);
}

}  // namespace

CProductPrograms::~CProductPrograms() {
  for (int i = 0; i < m_size; ++i) {
    if (m_items[i].process != NULL) CloseHandle(m_items[i].process);
    if (m_items[i].copy != NULL) CloseHandle(m_items[i].copy);
  }
  delete[] m_items;
}

void CProductPrograms::Find(const CWidePath& installFolder) {
  if (installFolder.IsEmpty() || IdentifyFolder(installFolder, m_folder, false) != kIdentityKnown)
    return;
  m_installFolder = installFolder;
  m_mayRun = true;
  HANDLE processes = ToolhelpSnapshot(TH32CS_SNAPPROCESS, 0);
  if (processes == INVALID_HANDLE_VALUE) return;
  m_mayRun = false;
  const DWORD own = GetCurrentProcessId();
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = FirstProcess(processes, &entry); more; more = NextProcess(processes, &entry)) {
    WCHAR path[MAX_PATH];
    if (entry.th32ProcessID == own || IsSystemProcess(entry.th32ProcessID)) continue;
    const bool named = ProgramFile(entry.th32ProcessID, path);
    if (named && LiesInside(path, m_folder)) Add(entry.th32ProcessID, path);
    m_mayRun = m_mayRun || !named || IsJavaRuntime(entry.szExeFile);
  }
  m_mayRun = m_mayRun || m_size > 0;
  CloseHandle(processes);
}

bool CProductPrograms::FindUsers(CStringArray& others) {
  // Then it would name only programs that are not Kelmora's, which stay
  // running whatever it says: neither its DLL, nor a session, nor a walk
  // through every program file is needed.
  if (!m_mayRun) return true;
  CRestartManager finder;
  CWidePath marker;
  RM_PROCESS_INFO* markerUsers = NULL;
  RM_PROCESS_INFO* users = NULL;
  UINT markerCount = 0, count = 0;
  // The marker's users first, where it vouches for them; then everything
  // that uses the product's files.
  const bool vouches = !m_installFolder.IsEmpty() && marker.Join(m_installFolder, L"km2.jar") &&
                       MarkerVouches(marker);
  bool complete =
      !m_installFolder.IsEmpty() && finder.Start() &&
      (!vouches || (finder.AddFile(marker.Text()) && finder.List(markerUsers, markerCount))) &&
      AddProgramFiles(finder, m_installFolder) && finder.List(users, count);
  for (UINT i = 0; complete && i < count; ++i) {
    bool holdsMarker = false;
    for (UINT j = 0; j < markerCount; ++j)
      holdsMarker = holdsMarker || SameProcess(markerUsers[j].Process, users[i].Process);
    Take(users[i], holdsMarker, others);
  }
  delete[] markerUsers;
  delete[] users;
  // One that answers success and names nothing (Wine's) misses a program
  // found by its file.
  for (int i = 0; complete && i < m_size; ++i) complete = m_items[i].managed;
  return complete;
}

void CProductPrograms::Take(const RM_PROCESS_INFO& user, bool holdsMarker, CStringArray& others) {
  const DWORD id = user.Process.dwProcessId;
  if (id == GetCurrentProcessId() || IsSystemProcess(id)) return;
  int index = 0;
  while (index < m_size && m_items[index].id != id) ++index;
  WCHAR path[MAX_PATH];
  const bool named = ProgramFile(id, path);
  if (index < m_size && m_items[index].managed) return;
  // Whatever it holds, a service, Explorer or a part of Windows is never the
  // product's; nor a program from elsewhere but Java running the product in
  // a user's session.
  const RM_APP_TYPE type = user.ApplicationType;
  const bool product = type != RmService && type != RmExplorer && type != RmCritical &&
                       ((named && LiesInside(path, m_folder)) ||
                        (holdsMarker && named && user.TSSessionId != 0 && IsJavaRuntime(path)));
  if (!product) {
    if (index < m_size) m_items[index] = m_items[--m_size];
    others.Add(CWidePath(named ? path : user.strAppName).Utf8() + " (session " +
               DecimalText(user.TSSessionId) + ")");
    return;
  }
  if (index == m_size) Add(id, path);
  ProductProgram& program = m_items[index];
  program.managed = true;
  program.unique = user.Process;
  program.session = user.TSSessionId;
  program.user = SessionUser(user.TSSessionId);
}

bool CProductPrograms::OpenToClose(int index) {
  ProductProgram& program = m_items[index];
  // Vista on, where the Restart Manager is, the start tells the process.
  const DWORD query = program.managed ? PROCESS_QUERY_LIMITED_INFORMATION : 0;
  program.process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | query, FALSE, program.id);
  // Another account's program may still close when asked.
  if (program.process == NULL)
    program.process = OpenProcess(SYNCHRONIZE | query, FALSE, program.id);
  if (program.process == NULL) return false;
  // While the handle is open, the id stays with this process.
  FILETIME started, ended, kernel, user;
  WCHAR path[MAX_PATH];
  if (program.managed ? GetProcessTimes(program.process, &started, &ended, &kernel, &user) &&
                            SameStart(started, program.unique.ProcessStartTime)
                      : ProgramFile(program.id, path) && LiesInside(path, m_folder))
    return true;
  CloseHandle(program.process);
  program.process = NULL;
  return false;
}

void CProductPrograms::Add(DWORD id, LPCWSTR path) {
  if (m_size == m_capacity) {
    const int capacity = m_capacity ? m_capacity * 2 : 8;
    ProductProgram* items = new ProductProgram[capacity];
    for (int i = 0; i < m_size; ++i) items[i] = m_items[i];
    delete[] m_items;
    m_items = items;
    m_capacity = capacity;
  }
  ProductProgram& program = m_items[m_size++];
  program.id = id;
  program.managed = false;
  program.session = 0;
  program.process = NULL;
  program.askedToClose = false;
  program.outcome = NULL;
  program.copy = NULL;
  program.copyReport = STILL_ACTIVE;
  program.path = CWidePath(path).Utf8();
  const int separator = program.path.ReverseFind('\\');
  program.name = separator < 0 ? program.path : CString((LPCSTR)program.path + separator + 1);
}
