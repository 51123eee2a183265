#include "app/TraceCheck.h"

#include <cstring>

#include "app/ExitCodes.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/ProductTraces.h"
#include "removal/ProfileShortcuts.h"
#include "removal/ProgramFilesPaths.h"
#include "removal/SpecialFolder.h"
#include "removal/paths/PathBelow.h"
#include "removal/paths/PathExists.h"

namespace {

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const WCHAR kPendingOperations[] = L"PendingFileRenameOperations";
const char kAtRestart[] = " (removed when Windows restarts)";

// The paths Windows deletes when it next starts: the operations' pairs whose
// second path is empty, without their "\??\" prefix, in UTF-8. The empty strings are
// part of the value, so it is read by its size.
void ReadPendingDeletes(CStringArray& paths) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return;
  DWORD type = 0, size = 0;
  WCHAR* data = NULL;
  if (RegQueryValueExW(key, kPendingOperations, NULL, &type, NULL, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    data = new WCHAR[size / sizeof(WCHAR) + 2];
    if (RegQueryValueExW(key, kPendingOperations, NULL, NULL, (LPBYTE)data, &size) != ERROR_SUCCESS)
      size = 0;
    size /= sizeof(WCHAR);
    data[size] = data[size + 1] = 0;
  }
  RegCloseKey(key);
  for (DWORD at = 0; data != NULL && at < size && data[at] != 0;) {
    const WCHAR* from = data + at;
    while (data[at] != 0) ++at;
    const WCHAR* to = data + ++at;
    while (data[at] != 0) ++at;
    ++at;
    if (*to != 0) continue;
    const bool prefixed =
        from[0] == L'\\' && from[1] == L'?' && from[2] == L'?' && from[3] == L'\\';
    paths.Add(CWidePath(prefixed ? from + 4 : from).Utf8());
  }
  delete[] data;
}

class CTraceList {
 public:
  explicit CTraceList(CRemovalLog& log) : m_log(log) { ReadPendingDeletes(m_pending); }
  // Once each: "All Users" is also a profile among the others.
  void Add(const CString& entry) {
    for (int i = 0; i < m_listed.GetSize(); ++i)
      if (m_listed[i] == entry) return;
    m_listed.Add(entry);
    m_log.Line(entry, kWarning);
  }
  // A trace that Windows deletes at the next start is there until then.
  void AddIfPresent(const char* form, const CWidePath& path) {
    if (PathMayExist(path)) Add(form + path.Utf8() + (IsPending(path.Utf8()) ? kAtRestart : ""));
  }
  int Count() const { return m_listed.GetSize(); }

 private:
  bool IsPending(const CString& path) const {
    CString rest;
    for (int i = 0; i < m_pending.GetSize(); ++i) {
      if (PathBelow(path, m_pending[i], rest) && rest.IsEmpty()) return true;
    }
    return false;
  }

  CRemovalLog& m_log;
  CStringArray m_listed;
  CStringArray m_pending;
};

// What steps 4 and 5 remove at one desktop and Start Menu folder, which are
// looked at by their whole names as the removal does.
void ListShortcuts(CTraceList& traces, const CWidePath& desktop, const CWidePath& startMenu) {
  if (!desktop.IsEmpty()) {
    for (const char* name : kDesktopShortcuts) traces.AddIfPresent("File: ", desktop + "\\" + name);
  }
  if (startMenu.IsEmpty()) return;
  for (const char* name : kStartMenuShortcuts)
    traces.AddIfPresent("File: ", startMenu + "\\" + name);
  traces.AddIfPresent("Folder: ", startMenu + "\\Programs\\Kelmora");
}

// What step 6 removes: the product key's sub-keys and install path, and the
// two uninstall entries. A key that cannot be read counts as present.
void ListRegistry(CTraceList& traces) {
  HKEY key;
  LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key);
  if (opened == ERROR_SUCCESS) {
    char name[1024];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      FILETIME written;
      if (RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, &written) != ERROR_SUCCESS)
        break;
      traces.Add(kProductKeyEntry + CString("\\") + CWidePath(name).Utf8());
    }
    if (RegQueryValueExA(key, "InstallPath", NULL, NULL, NULL, NULL) != ERROR_FILE_NOT_FOUND)
      traces.Add(kInstallPathEntry);
    RegCloseKey(key);
  } else if (opened != ERROR_FILE_NOT_FOUND) {
    traces.Add(CString(kProductKeyEntry));
  }
  for (const char* entry : kUninstallEntries) {
    opened =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey + CString("\\") + entry, 0, KEY_READ, &key);
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    if (opened != ERROR_FILE_NOT_FOUND) traces.Add(kUninstallEntryPrefix + CString(entry));
  }
}

}  // namespace

int RunTraceCheck(const CCommandLine& line) {
  CRemovalLog log;
  log.Open(line.logFile);
  log.Start(CommandLineText());
  CTraceList traces(log);

  for (const char* cache : kInstallerCacheFolders) {
    CStringArray paths;
    ProgramFilesPaths(cache, paths);
    for (int i = 0; i < paths.GetSize(); ++i) traces.AddIfPresent("Folder: ", paths[i]);
  }
  CRemoverDlg finder;
  const CWidePath found = finder.FindInstallPath();
  traces.AddIfPresent("Folder: ", found);
  // Named by the registry, but not reached by that name.
  if (!finder.m_unreachedFolder.IsEmpty()) traces.Add("Folder: " + finder.m_unreachedFolder);
  const CWidePath given = CWidePath::FromUtf8(line.folder);
  if (given != found) traces.AddIfPresent("Folder: ", given);
  const CWidePath userDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const CWidePath userStartMenu = ShellFolder(CSIDL_STARTMENU);
  ListShortcuts(traces, ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
                ShellFolder(CSIDL_COMMON_STARTMENU));
  ListShortcuts(traces, userDesktop, userStartMenu);
  // Every pupil's own, as /allusers removes them.
  CWidePath profiles;
  CStringArray places;
  if (!OtherProfiles(userDesktop, userStartMenu, profiles, places) && !profiles.IsEmpty())
    traces.Add("Folder: " + profiles.Utf8() + " (not looked through whole)");
  for (int i = 0; i + 2 < places.GetSize(); i += 3)
    ListShortcuts(traces, CWidePath::FromUtf8(places[i + 1]), CWidePath::FromUtf8(places[i + 2]));
  ListRegistry(traces);

  const int code = traces.Count() == 0 ? kExitNothingLeft : kExitTracesFound;
  log.Line(code == kExitNothingLeft ? "Nothing of Kelmora is present."
                                    : "Traces of Kelmora are present, listed above.",
           LevelOf(code));
  log.Line("Exit code " + DecimalText(code) + ".", LevelOf(code));
  return code;
}
