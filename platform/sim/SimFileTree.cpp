// The simulated file tree: drives, folders, files and junctions, and the test
// API that builds and inspects it.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <stdexcept>

#include "SimState.h"

namespace sim {
namespace {

// Junctions may point at junctions; a loop ends here.
const int kMaxJunctionDepth = 8;

FileNode* ContentsAt(const Machine::State& s, FileNode* node, int depth);

bool FitsEightDotThree(const std::string& name) {
  const size_t dot = name.find('.');
  if (dot == 0 || dot + 1 == name.size()) return false;
  const size_t extension = dot == std::string::npos ? 0 : name.size() - dot - 1;
  if ((dot == std::string::npos ? name.size() : dot) > 8 || extension > 3) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c >= 128 || std::strchr(" +,;=[]", c) || (c == '.' && i != dot)) return false;
  }
  return true;
}

// The short-name form of a part of a name: upper case, no blanks or dots,
// characters that 8.3 names cannot hold as '_'.
std::string ShortPart(const std::string& part, size_t length) {
  std::string result;
  for (char c : part) {
    if (result.size() == length) break;
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == ' ' || c == '.') continue;
    result += u >= 128 || std::strchr("+,;=[]", c) ? '_' : static_cast<char>(std::toupper(u));
  }
  return result;
}

// Windows' form "PROGRA~1.TXT": the first free number among the siblings.
std::string NewShortName(const FileNode& folder, const std::string& name) {
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  std::string base = ShortPart(hasExtension ? name.substr(0, dot) : name, 6);
  if (base.empty()) base = "_";
  const std::string extension = hasExtension ? ShortPart(name.substr(dot + 1), 3) : "";
  for (int number = 1;; ++number) {
    const std::string tail = "~" + std::to_string(number);
    std::string candidate = base.substr(0, std::min(base.size(), 8 - tail.size())) + tail;
    if (!extension.empty()) candidate += "." + extension;
    bool taken = false;
    for (const auto& sibling : folder.children)
      taken = taken || SameName(sibling.second->name, candidate) ||
              SameName(sibling.second->shortName, candidate);
    if (!taken) return candidate;
  }
}

const std::string& ShortName(FileNode* folder, FileNode* node) {
  if (node->shortName.empty())
    node->shortName =
        FitsEightDotThree(node->name) ? node->name : NewShortName(*folder, node->name);
  return node->shortName;
}

FileLookup LookAt(const Machine::State& s, const WinPath& path, int depth) {
  FileLookup found;
  // The tree is the state's; a const state only means the caller will not change it.
  FileNode* folder = const_cast<FileNode*>(&s.root);
  for (size_t i = 0; i < path.parts.size(); ++i) {
    FileNode* node = Child(folder, path.parts[i]);
    if (i + 1 == path.parts.size()) {
      found.folder = folder;
      found.node = node;
      if (!node) found.error = i == 0 ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
      return found;
    }
    folder = node ? ContentsAt(s, node, depth) : nullptr;
    if (!folder) break;
  }
  found.error = ERROR_PATH_NOT_FOUND;
  return found;
}

FileNode* FollowedAt(const Machine::State& s, FileNode* node, int depth) {
  if (!node->IsJunction()) return node;
  WinPath target;
  if (depth >= kMaxJunctionDepth || ParsePath(node->junctionTarget, "C:\\", target) != 0)
    return nullptr;
  FileNode* reached = LookAt(s, target, depth + 1).node;
  return reached ? FollowedAt(s, reached, depth + 1) : nullptr;
}

FileNode* ContentsAt(const Machine::State& s, FileNode* node, int depth) {
  if (!node->IsFolder()) return nullptr;
  FileNode* reached = FollowedAt(s, node, depth);
  return reached && reached->IsFolder() ? reached : nullptr;
}

std::unique_ptr<FileNode> NewFolder(const std::string& name, DWORD attributes) {
  auto folder = std::make_unique<FileNode>();
  folder->name = name;
  folder->attributes = attributes | FILE_ATTRIBUTE_DIRECTORY;
  return folder;
}

// The folder that is to hold the last part of `path`, made with its parents.
FileNode* MakeParents(Machine::State& s, const WinPath& path) {
  FileNode* folder = &s.root;
  for (size_t i = 0; i + 1 < path.parts.size(); ++i) {
    std::unique_ptr<FileNode>& entry = folder->children[path.parts[i]];
    if (!entry) entry = NewFolder(path.parts[i], 0);
    folder = Contents(s, entry.get());
    if (!folder) throw std::invalid_argument("sim: not a folder on the way to " + path.Text());
  }
  return folder;
}

FileNode& ExistingEntry(const Machine::State& s, const std::string& path) {
  FileNode* node = Look(s, TestPath(s, path)).node;
  if (!node) throw std::invalid_argument("sim: no such file or folder: " + path);
  return *node;
}

FileNode& ExistingFolder(const Machine::State& s, const std::string& path) {
  FileNode* folder = Contents(s, &ExistingEntry(s, path));
  if (!folder) throw std::invalid_argument("sim: not a folder: " + path);
  return *folder;
}

// The access that takes part in the sharing check, as the share flags name it
// (MS-FSA 2.1.5.1.2.1): reading or executing, writing or appending, deleting.
DWORD DataAccess(DWORD access) {
  const DWORD execute = 0x0020, genericExecute = 0x20000000;  // FILE_EXECUTE, GENERIC_EXECUTE
  DWORD taking = 0;
  if (access & (FILE_READ_DATA | execute | GENERIC_READ | genericExecute | GENERIC_ALL))
    taking |= FILE_SHARE_READ;
  if (access & (FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_WRITE | GENERIC_ALL))
    taking |= FILE_SHARE_WRITE;
  if (access & (DELETE | GENERIC_ALL)) taking |= FILE_SHARE_DELETE;
  return taking;
}

DWORD Sharable(DWORD share) {
  return share & (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

void ForEachNode(FileNode* node, const std::function<void(FileNode*)>& visit) {
  visit(node);
  for (auto& child : node->children) ForEachNode(child.second.get(), visit);
}

}  // namespace

FileLookup Look(const Machine::State& s, const WinPath& path) { return LookAt(s, path, 0); }

FileNode* Child(FileNode* folder, const std::string& name) {
  auto entry = folder->children.find(name);
  if (entry != folder->children.end()) return entry->second.get();
  // Every short name holds a '~'; other names need not give them out.
  if (name.find('~') == std::string::npos) return nullptr;
  for (const auto& child : folder->children)
    if (SameName(ShortName(folder, child.second.get()), name)) return child.second.get();
  return nullptr;
}

DWORD Respelt(const Machine::State& s, const WinPath& path, bool shortNames, std::string& text) {
  FileNode* folder = const_cast<FileNode*>(&s.root);
  WinPath spelt;
  for (size_t i = 0; i < path.parts.size(); ++i) {
    FileNode* node = folder ? Child(folder, path.parts[i]) : nullptr;
    if (!node) return i + 1 == path.parts.size() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    spelt.parts.push_back(i == 0       ? path.parts[0]
                          : shortNames ? ShortName(folder, node)
                                       : node->name);
    folder = Contents(s, node);
  }
  text = spelt.Text();
  return 0;
}

bool RealPath(const Machine::State& s, const WinPath& path, WinPath& real) {
  real = path;
  for (int hops = 0; hops <= kMaxJunctionDepth; ++hops) {
    size_t i = 1;
    FileNode* node = nullptr;
    for (; i <= real.parts.size(); ++i) {
      WinPath on;
      on.parts.assign(real.parts.begin(), real.parts.begin() + i);
      node = Look(s, on).node;
      if (!node || node->IsJunction()) break;
    }
    if (!node) return false;
    if (!node->IsJunction()) return true;
    WinPath target;
    if (ParsePath(node->junctionTarget, "C:\\", target) != 0) return false;
    target.parts.insert(target.parts.end(), real.parts.begin() + i, real.parts.end());
    real = target;
  }
  return false;
}

FileNode* Contents(const Machine::State& s, FileNode* node) { return ContentsAt(s, node, 0); }

FileNode* Followed(const Machine::State& s, FileNode* node) { return FollowedAt(s, node, 0); }

DWORD ReportedAttributes(const FileNode& node) {
  return node.attributes ? node.attributes : FILE_ATTRIBUTE_NORMAL;
}

DWORD ReportedTag(const Machine::State& s, const FileNode& node) {
  const bool reparse = (node.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !s.linksAsWine8;
  return reparse ? node.reparseTag : 0;
}

bool SharingConflictOfName(const Machine::State& s, const FileNode* node, DWORD access,
                           DWORD share);

FileNode* SecondName(const Machine::State& s, const FileNode* node) {
  if (node->hardLink.empty()) return nullptr;
  FileNode* other = EntryAt(s, node->hardLink);
  return other != node ? other : nullptr;
}

bool SharingConflict(const Machine::State& s, const FileNode* node, DWORD access, DWORD share) {
  // MS-FSA 2.1.5.1.2.1 checks the opens of the file, by whichever name
  // (MS-FSA 2.1.1.4: links share the file's Stream and its opens).
  if (const FileNode* other = SecondName(s, node))
    if (SharingConflictOfName(s, other, access, share)) return true;
  return SharingConflictOfName(s, node, access, share);
}

bool SharingConflictOfName(const Machine::State& s, const FileNode* node, DWORD access,
                           DWORD share) {
  // MS-FSA 2.1.5.1.2.1: an open that asks for neither data nor delete access
  // takes no part in the check.
  const DWORD taking = DataAccess(access);
  if (!taking) return false;
  auto conflicts = [taking, share](DWORD openAccess, DWORD openShare) {
    const DWORD held = DataAccess(openAccess);
    return (taking & ~Sharable(openShare)) != 0 || (held & ~Sharable(share)) != 0;
  };
  // A holder sharing nothing reads and writes; one that shares reads, and
  // writes too where it keeps others from writing (a teacher's document).
  if (node->heldOpen && conflicts(FILE_READ_DATA | FILE_WRITE_DATA, 0)) return true;
  if (node->heldSharing) {
    const DWORD holderAccess =
        FILE_READ_DATA | (node->heldSharing & FILE_SHARE_WRITE ? 0 : FILE_WRITE_DATA);
    if (conflicts(holderAccess, node->heldSharing)) return true;
  }
  for (const auto& handle : s.files)
    if (handle.second.node == node && conflicts(handle.second.access, handle.second.share))
      return true;
  return false;
}

bool IsLocked(const Machine::State& s, const FileNode* node) {
  return SharingConflict(s, node, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

bool IsOpen(const Machine::State& s, const FileNode* node) {
  if (node->heldOpen || node->heldSharing) return true;
  for (const auto& handle : s.files)
    if (handle.second.node == node) return true;
  return false;
}

DWORD Unlink(Machine::State& s, FileNode* folder, FileNode* node) {
  if (IsLocked(s, node)) return ERROR_SHARING_VIOLATION;
  const bool isFolder = node->IsFolder() && !node->IsJunction();
  if (isFolder && !node->children.empty()) return ERROR_DIR_NOT_EMPTY;
  // FILE_DISPOSITION_INFORMATION (MS-FSCC 2.4.11): the file is deleted when
  // the last handle to it closes; until then its name stays.
  if (IsOpen(s, node)) {
    MarkDeleted(s, node);
    return 0;
  }
  EraseEntry(s, folder, node->name);
  return 0;
}

void MarkDeleted(Machine::State& s, FileNode* node) {
  if (!node->deletePending && node->heldSharing && node->letGoAfter >= 0)
    s.lettingGo.push_back({s.calls + node->letGoAfter, node});
  node->deletePending = true;
}

void ErasePending(Machine::State& s) {
  std::vector<std::pair<FileNode*, std::string>> gone;
  ForEachNode(&s.root, [&s, &gone](FileNode* folder) {
    for (const auto& child : folder->children)
      if (child.second->deletePending && !IsOpen(s, child.second.get()))
        gone.push_back({folder, child.first});
  });
  // A marked folder is empty, so no entry of `gone` lies inside another.
  for (const auto& entry : gone) {
    Log("Deleted at the last close " + entry.second);
    EraseEntry(s, entry.first, entry.second);
  }
}

void LetGoDue(Machine::State& s) {
  bool any = false;
  for (auto holder = s.lettingGo.begin(); holder != s.lettingGo.end();) {
    if (s.calls < holder->first) {
      ++holder;
      continue;
    }
    holder->second->heldSharing = 0;
    holder = s.lettingGo.erase(holder);
    any = true;
  }
  if (any) ErasePending(s);
}

void EraseEntry(Machine::State& s, FileNode* folder, const std::string& name) {
  ForEachNode(folder->children.at(name).get(), [&s](FileNode* gone) {
    for (auto& handle : s.files)
      if (handle.second.node == gone) handle.second.node = nullptr;
    s.lettingGo.erase(std::remove_if(s.lettingGo.begin(), s.lettingGo.end(),
                                     [gone](const std::pair<long long, FileNode*>& holder) {
                                       return holder.second == gone;
                                     }),
                      s.lettingGo.end());
  });
  folder->children.erase(name);
}

WinPath TestPath(const Machine::State& s, const std::string& path) {
  WinPath parsed;
  if (ParsePath(path, s.currentDirectory, parsed) != 0)
    throw std::invalid_argument("sim: not a path: \"" + path + "\"");
  return parsed;
}

void Machine::AddFolder(const std::string& path, DWORD attributes) {
  WinPath parsed = TestPath(*state_, path);
  std::unique_ptr<FileNode>& entry = MakeParents(*state_, parsed)->children[parsed.Leaf()];
  if (!entry) entry = NewFolder(parsed.Leaf(), 0);
  if (!entry->IsFolder()) throw std::invalid_argument("sim: a file is in the way: " + path);
  entry->attributes |= attributes;
}

void Machine::AddFile(const std::string& path, const std::string& content, DWORD attributes) {
  WinPath parsed = TestPath(*state_, path);
  std::unique_ptr<FileNode>& entry = MakeParents(*state_, parsed)->children[parsed.Leaf()];
  if (!entry) {
    entry = std::make_unique<FileNode>();
    entry->name = parsed.Leaf();
  }
  if (entry->IsFolder()) throw std::invalid_argument("sim: a folder is in the way: " + path);
  entry->content = content;
  entry->attributes = attributes & ~(FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY);
}

void Machine::AddJunction(const std::string& path, const std::string& target) {
  WinPath parsed = TestPath(*state_, path);
  std::unique_ptr<FileNode>& entry = MakeParents(*state_, parsed)->children[parsed.Leaf()];
  if (entry) throw std::invalid_argument("sim: something is in the way: " + path);
  entry = NewFolder(parsed.Leaf(), FILE_ATTRIBUTE_REPARSE_POINT);
  entry->reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  entry->junctionTarget = TestPath(*state_, target).Text();
}

void Machine::AddSymbolicLink(const std::string& path, const std::string& target, bool toFolder) {
  WinPath parsed = TestPath(*state_, path);
  std::unique_ptr<FileNode>& entry = MakeParents(*state_, parsed)->children[parsed.Leaf()];
  if (entry) throw std::invalid_argument("sim: something is in the way: " + path);
  if (toFolder) {
    entry = NewFolder(parsed.Leaf(), FILE_ATTRIBUTE_REPARSE_POINT);
  } else {
    entry = std::make_unique<FileNode>();
    entry->name = parsed.Leaf();
    entry->attributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE;
  }
  entry->reparseTag = IO_REPARSE_TAG_SYMLINK;
  entry->junctionTarget = TestPath(*state_, target).Text();
  entry->symbolic = true;
}

void Machine::AddHardLink(const std::string& path, const std::string& existing) {
  FileNode& file = ExistingEntry(*state_, existing);
  AddFile(path, file.content, file.attributes);
  ExistingEntry(*state_, path).hardLink = TestPath(*state_, existing).Text();
  ExistingEntry(*state_, path).laterName = true;
  file.hardLink = TestPath(*state_, path).Text();
}

void Machine::AddReparsePoint(const std::string& path, DWORD tag) {
  FileNode& entry = ExistingEntry(*state_, path);
  if (entry.IsJunction() || IsReparseTagNameSurrogate(tag))
    throw std::invalid_argument("sim: links are made with AddJunction or AddSymbolicLink: " + path);
  entry.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  entry.reparseTag = tag;
}

void Machine::LinksAsWine8() { state_->linksAsWine8 = true; }

void Machine::HoldOpen(const std::string& path, bool held) {
  ExistingEntry(*state_, path).heldOpen = held;
}

void Machine::HoldOpenSharing(const std::string& path, DWORD share, long long calls) {
  FileNode& entry = ExistingEntry(*state_, path);
  entry.heldSharing = share;
  entry.letGoAfter = calls;
}

bool Machine::Exists(const std::string& path) const {
  return Look(*state_, TestPath(*state_, path)).node != nullptr;
}

bool Machine::BeingDeleted(const std::string& path) const {
  FileNode* node = Look(*state_, TestPath(*state_, path)).node;
  return node && node->deletePending;
}

bool Machine::IsFolder(const std::string& path) const {
  FileNode* node = Look(*state_, TestPath(*state_, path)).node;
  return node && node->IsFolder();
}

std::string Machine::ReadFile(const std::string& path) const {
  FileNode* followed = Followed(*state_, &ExistingEntry(*state_, path));
  if (!followed) throw std::invalid_argument("sim: a link to nothing: " + path);
  FileNode& file = *followed;
  if (file.IsFolder()) throw std::invalid_argument("sim: a folder, not a file: " + path);
  return file.content;
}

DWORD Machine::Attributes(const std::string& path) const {
  FileNode* node = Look(*state_, TestPath(*state_, path)).node;
  if (!node) return INVALID_FILE_ATTRIBUTES;
  return node->attributes ? node->attributes : FILE_ATTRIBUTE_NORMAL;
}

std::vector<std::string> Machine::List(const std::string& folder) const {
  std::vector<std::string> names;
  for (const auto& entry : ExistingFolder(*state_, folder).children) names.push_back(entry.first);
  return names;
}

std::map<std::string, std::string> Machine::Tree(const std::string& folder) const {
  std::map<std::string, std::string> files;
  std::function<void(const FileNode&, const std::string&)> collect =
      [&](const FileNode& node, const std::string& prefix) {
        for (const auto& entry : node.children) {
          const FileNode& child = *entry.second;
          const std::string path = prefix + child.name;
          if (child.IsJunction())
            files[path] = (child.symbolic ? "<link " : "<junction ") + child.junctionTarget + ">";
          else if (child.IsFolder())
            collect(child, path + "\\");
          else
            files[path] = child.content;
        }
      };
  collect(ExistingFolder(*state_, folder), "");
  return files;
}

std::string Machine::CurrentDirectory() const { return state_->currentDirectory; }

std::string Machine::ShortPath(const std::string& path) const {
  std::string text;
  if (Respelt(*state_, TestPath(*state_, path), true, text) != 0)
    throw std::invalid_argument("sim: no such file or folder: " + path);
  return text;
}

std::string Machine::LongPath(const std::string& path) const {
  WinPath parsed;
  std::string text;
  if (ParsePath(path, state_->currentDirectory, parsed) != 0 ||
      Respelt(*state_, parsed, false, text) != 0)
    return "";
  return text;
}

std::vector<std::string> Machine::RecycledPaths() const { return state_->recycled; }

}  // namespace sim
