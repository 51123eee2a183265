#include "removal/ProductPrograms.h"

#include "location/FolderIdentity.h"
#include "location/NewerWindowsCalls.h"
#include "removal/WidePath.h"

namespace {

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

}  // namespace

CProductPrograms::~CProductPrograms() {
  for (int i = 0; i < m_size; ++i) {
    if (m_items[i].process != NULL) CloseHandle(m_items[i].process);
  }
  delete[] m_items;
}

void CProductPrograms::Find(const CWidePath& installFolder) {
  if (installFolder.IsEmpty() || IdentifyFolder(installFolder, m_folder, false) != kIdentityKnown)
    return;
  HANDLE processes = ToolhelpSnapshot(TH32CS_SNAPPROCESS, 0);
  if (processes == INVALID_HANDLE_VALUE) return;
  const DWORD own = GetCurrentProcessId();
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = FirstProcess(processes, &entry); more; more = NextProcess(processes, &entry)) {
    WCHAR path[MAX_PATH];
    if (entry.th32ProcessID != own && ProgramFile(entry.th32ProcessID, path) &&
        LiesInside(path, m_folder))
      Add(entry.th32ProcessID, path);
  }
  CloseHandle(processes);
}

bool CProductPrograms::OpenToClose(int index) {
  ProductProgram& program = m_items[index];
  program.process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, program.id);
  // Another account's program may still close when asked.
  if (program.process == NULL) program.process = OpenProcess(SYNCHRONIZE, FALSE, program.id);
  if (program.process == NULL) return false;
  // While the handle is open, the id stays with this process.
  WCHAR path[MAX_PATH];
  if (ProgramFile(program.id, path) && LiesInside(path, m_folder)) return true;
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
  program.process = NULL;
  program.askedToClose = false;
  program.path = CWidePath(path).Utf8();
  const int separator = program.path.ReverseFind('\\');
  program.name = separator < 0 ? program.path : CString((LPCSTR)program.path + separator + 1);
}
