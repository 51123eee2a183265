// shell32 and ole32: the shell's folder delete, special folders, the folder
// browser and the COM calls around it.
#include <cstring>

#include "SimState.h"

using sim::FileNode;
using sim::Op;

namespace {

const int kInvalidFiles = 0x7C;  // DE_INVALIDFILES: a folder on the way is missing

// Deletes `name` from `folder` as the shell does: everything that can go goes;
// a locked file, the current directory and the folders holding them stay.
// Junctions go as links. Returns 0 or ERROR_SHARING_VIOLATION.
DWORD DeleteEntry(sim::Machine::State& s, FileNode* folder, const std::string& name) {
  FileNode* node = folder->children.at(name).get();
  DWORD result = 0;
  if (node->IsFolder() && !node->IsJunction()) {
    std::vector<std::string> names;
    for (const auto& child : node->children) names.push_back(child.first);
    for (const std::string& child : names)
      if (DWORD error = DeleteEntry(s, node, child)) result = error;
    if (result) return result;
    if (node == s.currentFolder) return ERROR_SHARING_VIOLATION;
  }
  if (sim::IsLocked(s, node)) return ERROR_SHARING_VIOLATION;
  sim::EraseEntry(s, folder, name);
  return 0;
}

int ShellDelete(sim::Machine::State& s, const char* text, bool toRecycleBin) {
  sim::PathCall call(Op::ShellDelete, text);
  if (call.error) return call.error;
  const sim::WinPath& path = call.path;
  // Measured: a trailing separator gets success and nothing done.
  if (path.trailingSeparator) return 0;
  sim::FileLookup found = sim::Look(s, path);
  if (!found.node) return found.error == ERROR_PATH_NOT_FOUND ? kInvalidFiles : found.error;
  if (path.IsDrive()) return ERROR_ACCESS_DENIED;
  DWORD result = DeleteEntry(s, found.folder, found.node->name);
  if (result) {
    sim::Log(std::string("ShellDelete ") + text + " failed " + std::to_string(result));
    return result;
  }
  sim::Log(std::string("ShellDelete ") + text);
  if (toRecycleBin) s.recycled.push_back(path.Text());
  return 0;
}

}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA operation) {
  auto& s = sim::Enter();
  if (!operation || operation->wFunc != FO_DELETE || !operation->pFrom)
    return ERROR_INVALID_PARAMETER;
  operation->fAnyOperationsAborted = FALSE;
  for (const char* item = operation->pFrom; *item; item += std::strlen(item) + 1)
    if (int result = ShellDelete(s, item, (operation->fFlags & FOF_ALLOWUNDO) != 0)) return result;
  return 0;
}

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(Op::SpecialFolder, std::to_string(csidl)))
    return sim::Refuse(error);
  auto folder = s.specialFolders.find(csidl);
  if (folder == s.specialFolders.end() || folder->second.empty())
    return sim::Refuse(ERROR_FILE_NOT_FOUND);
  if (create && !sim::machine().Exists(folder->second)) sim::machine().AddFolder(folder->second);
  sim::CopyTruncated(folder->second, path, MAX_PATH);
  return TRUE;
}

HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR path) {
  auto& s = sim::Enter();
  path[0] = '\0';
  const int folder = csidl & 0xFF;  // without the CSIDL_FLAG_ bits
  if (DWORD error = sim::Faulted(Op::SpecialFolder, std::to_string(folder)))
    return static_cast<HRESULT>(0x80070000 | error);  // HRESULT_FROM_WIN32
  auto known = s.specialFolders.find(folder);
  if (known == s.specialFolders.end()) return E_INVALIDARG;
  if (known->second.empty()) return E_FAIL;
  sim::CopyTruncated(known->second, path, MAX_PATH);
  return S_OK;
}

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA info) {
  auto& s = sim::Enter();
  sim::Machine& m = sim::machine();
  const std::string title = info->lpszTitle ? info->lpszTitle : "";
  m.browsers.push_back({info->hwndOwner, title, info->ulFlags, info->pidlRoot == nullptr});
  std::string answer;
  if (!s.browserAnswers.empty()) {
    answer = s.browserAnswers.front();
    s.browserAnswers.pop_front();
  }
  sim::Log("BrowseForFolder " + title + " -> " + (answer.empty() ? "Cancel" : answer));
  if (answer.empty()) return nullptr;
  if (info->pszDisplayName) {
    const std::string name = answer.substr(answer.find_last_of('\\') + 1);
    sim::CopyTruncated(name, info->pszDisplayName, MAX_PATH);
  }
  auto list = std::make_unique<ITEMIDLIST>();
  list->path = answer;
  LPITEMIDLIST chosen = list.get();
  s.itemIdLists[chosen] = std::move(list);
  return chosen;
}

void sim::Machine::QueueBrowserAnswer(const std::string& path) {
  state_->browserAnswers.push_back(path);
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
  auto& s = sim::Enter();
  path[0] = '\0';
  auto known = s.itemIdLists.find(list);
  if (known == s.itemIdLists.end()) return sim::Refuse(ERROR_INVALID_PARAMETER);
  const std::string& chosen = known->second->path;
  if (DWORD error = sim::Faulted(Op::SHGetPathFromIDList, chosen)) return sim::Refuse(error);
  sim::CopyTruncated(chosen, path, MAX_PATH);
  return TRUE;
}

HRESULT CoInitialize(LPVOID) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(Op::CoInitialize, ""))
    return static_cast<HRESULT>(0x80070000 | error);  // HRESULT_FROM_WIN32
  return s.comDepth++ == 0 ? 0 : 1;                   // S_OK, or S_FALSE when already initialised
}

void CoUninitialize() {
  auto& s = sim::Enter();
  if (--s.comDepth < 0) sim::Log("CoUninitialize without CoInitialize");
}

void CoTaskMemFree(LPVOID memory) {
  auto& s = sim::Enter();
  if (memory && !s.itemIdLists.erase(static_cast<const ITEMIDLIST*>(memory)))
    sim::Log("CoTaskMemFree of memory the shell did not give");
}
