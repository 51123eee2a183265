#include "app/TraceCheck.h"

#include "app/ExitCodes.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/PathExists.h"
#include "removal/ProductTraces.h"
#include "removal/ProgramFilesPaths.h"
#include "removal/SpecialFolder.h"

namespace {

class CTraceList {
 public:
  explicit CTraceList(CRemovalLog& log) : m_log(log), m_count(0) {}
  void Add(const CString& entry) {
    m_log.Line(entry);
    ++m_count;
  }
  void AddIfPresent(const char* form, const CWidePath& path) {
    if (PathMayExist(path)) Add(form + path.Shown());
  }
  int Count() const { return m_count; }

 private:
  CRemovalLog& m_log;
  int m_count;
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
      traces.Add(kProductKeyEntry + CString("\\") + name);
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
  log.Start(line.arguments);
  CTraceList traces(log);

  for (const char* cache : kInstallerCacheFolders) {
    CStringArray paths;
    ProgramFilesPaths(cache, paths);
    for (int i = 0; i < paths.GetSize(); ++i) traces.AddIfPresent("Folder: ", paths[i]);
  }
  CRemoverDlg finder;
  traces.AddIfPresent("Folder: ", finder.FindInstallPath());
  ListShortcuts(traces, ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
                ShellFolder(CSIDL_COMMON_STARTMENU));
  ListShortcuts(traces, ShellFolder(CSIDL_DESKTOPDIRECTORY), ShellFolder(CSIDL_STARTMENU));
  ListRegistry(traces);

  const int code = traces.Count() == 0 ? kExitNothingLeft : kExitTracesFound;
  log.Line(code == kExitNothingLeft ? "Nothing of Kelmora is present."
                                    : "Traces of Kelmora are present, listed above.");
  log.Line("Exit code " + DecimalText(code) + ".");
  return code;
}
