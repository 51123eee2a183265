// shell32 and ole32: the shell's folder delete, special folders, the folder
// browser and the COM calls around it.
#include <cstring>
#include <cwchar>

#include "SimState.h"

using sim::FileNode;
using sim::Op;

namespace {

const int kInvalidFiles = 0x7C;  // DE_INVALIDFILES: a folder on the way is missing
const int kPathTooDeep = 0x79;   // DE_PATHTOODEEP: an entry's path is past MAX_PATH

// Links followed inside one delete; a link that leads back into the folder
// ends here.
const int kMaxLinksFollowed = 8;

// Deletes `name` from `folder` as the shell does: everything that can go goes;
// a locked file, the current directory and the folders holding them stay.
// Inside the folder handed over, a link to a folder is followed as the shells
// of Windows 2000/XP (junctions) and Wine (symbolic links) do: what lies at
// its target is deleted, then the link itself is refused. The folder handed
// over, when it is a link itself, and links to files go as links. The shell
// reaches no entry whose path (`pathLength` characters) is past MAX_PATH.
// Returns 0 or the error of what stayed.
DWORD DeleteEntry(sim::Machine::State& s, FileNode* folder, const std::string& name, bool top,
                  int links, size_t pathLength) {
  FileNode* node = folder->children.at(name).get();
  if (pathLength >= MAX_PATH) return kPathTooDeep;
  DWORD result = 0;
  const bool followed = node->IsFolder() && node->IsJunction() && !top;
  if (node->IsFolder() && (!node->IsJunction() || followed)) {
    FileNode* contents = followed ? sim::Contents(s, node) : node;
    if (followed && (!contents || links >= kMaxLinksFollowed)) return ERROR_ACCESS_DENIED;
    std::vector<std::string> names;
    for (const auto& child : contents->children) names.push_back(child.first);
    // What a followed link deleted may be gone from here already.
    for (const std::string& child : names)
      if (contents->children.count(child))
        if (DWORD error = DeleteEntry(s, contents, child, false, links + (followed ? 1 : 0),
                                      pathLength + 1 + sim::Characters(child).size()))
          if (!result) result = error;
    if (result) return result;
    if (followed) return ERROR_ACCESS_DENIED;
    if (node == s.currentFolder) return ERROR_SHARING_VIOLATION;
  }
  // Each entry goes by a delete of its own: what another program holds
  // sharing deleting is only marked, and keeps its folder.
  return sim::Unlink(s, folder, node);
}

int ShellDelete(sim::Machine::State& s, const char* text, bool toRecycleBin) {
  sim::PathCall call(Op::ShellDelete, text, ERROR_PATH_NOT_FOUND, sim::Wildcards::InLastPart);
  if (call.error) return call.error;
  const sim::WinPath& path = call.path;
  // Measured: a trailing separator gets success and nothing done.
  if (path.trailingSeparator) return 0;
  std::vector<std::string> names;
  FileNode* folder = nullptr;
  if (path.Leaf().find_first_of("*?") != std::string::npos) {
    // The shell expands wildcards in the last part of a path.
    FileNode* parent = sim::Look(s, path.Parent()).node;
    folder = parent ? sim::Contents(s, parent) : nullptr;
    if (!folder) return kInvalidFiles;
    for (const auto& child : folder->children)
      if (sim::MatchesPattern(path.Leaf(), child.first)) names.push_back(child.first);
    if (names.empty()) return ERROR_FILE_NOT_FOUND;
  } else {
    sim::FileLookup found = sim::Look(s, path);
    if (!found.node) return found.error == ERROR_PATH_NOT_FOUND ? kInvalidFiles : found.error;
    if (path.IsDrive()) return ERROR_ACCESS_DENIED;
    folder = found.folder;
    names.push_back(found.node->name);
  }
  DWORD result = 0;
  const size_t parentLength = sim::Characters(path.Parent().Text()).size();
  for (const std::string& name : names)
    if (folder->children.count(name))
      if (DWORD error = DeleteEntry(s, folder, name, true, 0,
                                    parentLength + 1 + sim::Characters(name).size()))
        if (!result) result = error;
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

int SHFileOperationW(LPSHFILEOPSTRUCTW operation) {
  auto& s = sim::Enter();
  if (!operation || operation->wFunc != FO_DELETE || !operation->pFrom)
    return ERROR_INVALID_PARAMETER;
  operation->fAnyOperationsAborted = FALSE;
  for (LPCWSTR item = operation->pFrom; *item; item += std::wcslen(item) + 1)
    if (int result = ShellDelete(s, sim::WideArg(item), (operation->fFlags & FOF_ALLOWUNDO) != 0))
      return result;
  return 0;
}

namespace {

// The folder's path as stored, or nullptr with the last error set.
const std::string* SpecialFolderPath(int csidl, BOOL create) {
  auto& s = sim::Enter();
  if (DWORD error = sim::Faulted(Op::SpecialFolder, std::to_string(csidl))) {
    sim::Refuse(error);
    return nullptr;
  }
  auto folder = s.specialFolders.find(csidl);
  if (folder == s.specialFolders.end() || folder->second.empty()) {
    sim::Refuse(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (create && !sim::machine().Exists(folder->second)) sim::machine().AddFolder(folder->second);
  return &folder->second;
}

}  // namespace

// A name the code page cannot spell comes in Windows' best fit, which names
// another folder or none.
BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create) {
  const std::string* folder = SpecialFolderPath(csidl, create);
  if (folder) sim::CopyTruncated(sim::Ansi(*folder), path, MAX_PATH);
  return folder != nullptr;
}

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create) {
  const std::string* folder = SpecialFolderPath(csidl, create);
  if (folder) sim::FillWide(*folder, path, MAX_PATH);
  return folder != nullptr;
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
  sim::CopyTruncated(sim::Ansi(known->second), path, MAX_PATH);
  return S_OK;
}

namespace {

// The browser of both calls; `display` gets the chosen item's name as stored.
LPITEMIDLIST BrowseForFolder(HWND owner, const std::string& title, UINT flags, bool rootNull,
                             std::string* display) {
  auto& s = sim::Enter();
  sim::Machine& m = sim::machine();
  m.browsers.push_back({owner, title, flags, rootNull});
  std::string answer;
  if (!s.browserAnswers.empty()) {
    answer = s.browserAnswers.front();
    s.browserAnswers.pop_front();
  }
  sim::Log("BrowseForFolder " + title + " -> " + (answer.empty() ? "Cancel" : answer));
  if (answer.empty()) return nullptr;
  if (display) *display = answer.substr(answer.find_last_of('\\') + 1);
  auto list = std::make_unique<ITEMIDLIST>();
  list->path = answer;
  LPITEMIDLIST chosen = list.get();
  s.itemIdLists[chosen] = std::move(list);
  return chosen;
}

// The chosen folder's path as stored, or the error.
DWORD ChosenPath(LPCITEMIDLIST list, std::string& chosen) {
  auto& s = sim::Enter();
  auto known = s.itemIdLists.find(list);
  if (known == s.itemIdLists.end()) return ERROR_INVALID_PARAMETER;
  chosen = known->second->path;
  return sim::Faulted(Op::SHGetPathFromIDList, chosen);
}

}  // namespace

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA info) {
  std::string display;
  LPITEMIDLIST chosen = BrowseForFolder(info->hwndOwner, info->lpszTitle ? info->lpszTitle : "",
                                        info->ulFlags, info->pidlRoot == nullptr, &display);
  if (chosen && info->pszDisplayName)
    sim::CopyTruncated(sim::Ansi(display), info->pszDisplayName, MAX_PATH);
  return chosen;
}

LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info) {
  sim::Enter();
  if (sim::MissingWideCall("SHBrowseForFolderW")) return nullptr;
  const sim::WideArg title(info->lpszTitle);
  std::string display;
  LPITEMIDLIST chosen = BrowseForFolder(info->hwndOwner, title ? static_cast<LPCSTR>(title) : "",
                                        info->ulFlags, info->pidlRoot == nullptr, &display);
  if (chosen && info->pszDisplayName) sim::FillWide(display, info->pszDisplayName, MAX_PATH);
  return chosen;
}

void sim::Machine::QueueBrowserAnswer(const std::string& path) {
  state_->browserAnswers.push_back(path);
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
  path[0] = '\0';
  std::string chosen;
  if (DWORD error = ChosenPath(list, chosen)) return sim::Refuse(error);
  sim::CopyTruncated(sim::Ansi(chosen), path, MAX_PATH);
  return TRUE;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path) {
  path[0] = 0;
  std::string chosen;
  if (DWORD error = ChosenPath(list, chosen)) return sim::Refuse(error);
  sim::FillWide(chosen, path, MAX_PATH);
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
