// Who may change what: owners and DACLs, as far as they tell whether an
// account other than Administrators and SYSTEM may still change an entry;
// and drives, as far as they tell whether the system has them at boot.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "SimState.h"

using sim::FileNode;
using sim::Machine;

namespace {

DWORD At(const BYTE* bytes, size_t offset, size_t width) {
  DWORD value = 0;
  std::memcpy(&value, bytes + offset, width);
  return value;
}

// The security of the entry at `real` (no link on the way) and of each
// folder above it, nearest first. One file has one descriptor (MS-FSA
// 2.1.1.4): a second name has the one its file got where it was made.
std::vector<const sim::Security*> Chain(const Machine::State& s, sim::WinPath real) {
  const FileNode* node = sim::Look(s, real).node;
  if (node && node->laterName) sim::ParsePath(node->hardLink, "C:\\", real);
  std::vector<const sim::Security*> chain;
  for (;; real = real.Parent()) {
    node = sim::Look(s, real).node;
    if (!node) return chain;
    chain.push_back(&node->security);
    if (real.IsDrive()) return chain;
  }
}

// The node a path names, or nullptr.
FileNode* Node(const Machine::State& s, const std::string& path) {
  return sim::Look(s, sim::TestPath(s, path)).node;
}

FileNode& ExistingNode(const Machine::State& s, const std::string& path) {
  FileNode* node = Node(s, path);
  if (!node) throw std::invalid_argument("no such entry: " + path);
  return *node;
}

// What lets an account put a link in an entry's place or change what it
// holds: delete or rename it, add to it, change its data, attributes or
// security, take it over.
const DWORD kChangeRights = DELETE | WRITE_DAC | WRITE_OWNER | FILE_DELETE_CHILD | FILE_WRITE_DATA |
                            FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES;

bool MayChangeEntry(const Machine::State& s, const sim::WinPath& real, const std::string& account,
                    DWORD rights = kChangeRights) {
  const FileNode* node = sim::Look(s, real).node;
  const std::vector<const sim::Security*> chain = Chain(s, real);
  return node && !chain.empty() &&
         sim::MayChangeAt(chain, node->IsFolder(), account, rights, sim::kFileRights);
}

}  // namespace

namespace sim {

// Sets what `what` names of `security` on `node`; `path` names it in the log.
BOOL SetSecurity(FileNode* node, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security,
                 const std::string& path) {
  // Only the self-relative form is read; the program builds no other.
  const BYTE* bytes = static_cast<const BYTE*>(security);
  const size_t header = 20;
  const WORD control = WORD(At(bytes, 2, 2));
  if (bytes[0] != 1 || !(control & SE_SELF_RELATIVE))
    return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
  size_t size = header;
  // The descriptor's size is where its last part ends.
  const DWORD ownerAt = At(bytes, 4, 4), daclAt = At(bytes, 16, 4);
  if (ownerAt) size = std::max<size_t>(size, ownerAt + 8 + 4 * bytes[ownerAt + 1]);
  if (daclAt) size = std::max<size_t>(size, daclAt + At(bytes, daclAt + 2, 2));

  sim::Security updated = node->security;
  if (what & OWNER_SECURITY_INFORMATION) {
    const std::string sid = ownerAt ? sim::SidText(bytes, size, ownerAt) : "";
    if (sid.empty()) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
    // An administrator may make Administrators or itself the owner, no other.
    if (!sim::SameAccount(sid, "")) return sim::Refuse(ERROR_INVALID_OWNER);
    updated.owner = "";
  }
  if (what & DACL_SECURITY_INFORMATION) {
    if (!(control & SE_DACL_PRESENT) || !daclAt) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
    updated.aces.clear();
    const size_t count = At(bytes, daclAt + 4, 2);
    size_t ace = daclAt + 8;
    for (size_t i = 0; i < count; ++i) {
      if (ace + 8 > size) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
      const std::string sid = sim::SidText(bytes, size, ace + 8);
      if (sid.empty()) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
      updated.aces.push_back({sid, At(bytes, ace + 4, 4), bytes[ace], bytes[ace + 1]});
      ace += At(bytes, ace + 2, 2);
    }
    updated.protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  }
  // One file, one descriptor, whichever name set it (MS-FSA 2.1.1.4).
  for (FileNode* name : {node, sim::SecondName(sim::machine().state(), node)})
    if (name) name->security = updated;
  sim::Log("SetFileSecurity " + path);
  return TRUE;
}

}  // namespace sim

BOOL SetFileSecurityW(LPCWSTR path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security) {
  auto& s = sim::Enter();
  sim::WideArg narrow(path);
  sim::PathCall call(sim::Op::SetFileSecurity, narrow);
  if (call.error) return sim::Refuse(call.error);
  sim::FileLookup found = sim::Look(s, call.path);
  if (!found.node) return sim::Refuse(found.error);
  // The name is opened: a link named last is followed.
  FileNode* node = sim::Followed(s, found.node);
  if (!node) return sim::Refuse(ERROR_FILE_NOT_FOUND);
  return sim::SetSecurity(node, what, security, call.path.Text());
}

// The entry the handle holds, whatever its name leads to now.
BOOL SetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION what,
                             PSECURITY_DESCRIPTOR security) {
  auto& s = sim::Enter();
  auto file = s.files.find(handle);
  if (file == s.files.end() || !file->second.node) return sim::Refuse(ERROR_INVALID_HANDLE);
  if (DWORD error = sim::Faulted(sim::Op::SetFileSecurity, file->second.path))
    return sim::Refuse(error);
  const DWORD needed = ((what & OWNER_SECURITY_INFORMATION) ? WRITE_OWNER : 0) |
                       ((what & DACL_SECURITY_INFORMATION) ? WRITE_DAC : 0);
  if ((file->second.access & needed) != needed) return sim::Refuse(ERROR_ACCESS_DENIED);
  return sim::SetSecurity(file->second.node, what, security, file->second.path);
}

BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION what,
                             PSECURITY_DESCRIPTOR security, DWORD size, LPDWORD needed) {
  auto& s = sim::Enter();
  auto file = s.files.find(object);
  if (file == s.files.end() || !file->second.node) return sim::Refuse(ERROR_INVALID_HANDLE);
  if (what != (OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION))
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  sim::WinPath real;
  sim::ParsePath(file->second.finalPath, "C:\\", real);
  const std::vector<const sim::Security*> chain = Chain(s, real);
  if (chain.empty()) return sim::Refuse(ERROR_INVALID_HANDLE);
  const std::string bytes = sim::DescriptorBytes(
      *chain.front(), sim::Dacl(chain, file->second.node->IsFolder(), sim::kFileRights),
      FILE_ALL_ACCESS);
  *needed = DWORD(bytes.size());
  if (size < bytes.size()) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(security, bytes.data(), bytes.size());
  return TRUE;
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(-1); }

BOOL OpenProcessToken(HANDLE process, DWORD, HANDLE* token) {
  auto& s = sim::Enter();
  if (process != GetCurrentProcess()) return sim::Refuse(ERROR_INVALID_HANDLE);
  ++s.openTokens;
  *token = sim::kProcessToken;
  return TRUE;
}

// The account of GetUserNameW; LocalSystem's SID for "SYSTEM".
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, void* information, DWORD size,
                         LPDWORD needed) {
  auto& s = sim::Enter();
  if (token != sim::kProcessToken || s.openTokens == 0 || what != TokenUser)
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  const std::string sid = sim::SidBytes(s.userName == "SYSTEM" ? "S-1-5-18" : s.userName);
  *needed = DWORD(sizeof(TOKEN_USER) + sid.size());
  if (size < *needed) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  BYTE* at = static_cast<BYTE*>(information) + sizeof(TOKEN_USER);
  std::memcpy(at, sid.data(), sid.size());
  static_cast<TOKEN_USER*>(information)->User = {at, 0};
  return TRUE;
}

UINT GetDriveTypeW(LPCWSTR root) {
  auto& s = sim::Enter();
  const std::string text = static_cast<LPCSTR>(sim::WideArg(root));
  if (text.compare(0, 2, "\\\\") == 0) return DRIVE_REMOTE;
  auto set = s.drives.find(sim::UpperCase(text.substr(0, 2)));
  if (set != s.drives.end()) return set->second.first;
  sim::WinPath path;
  if (sim::ParsePath(text, s.currentDirectory, path) != 0) return DRIVE_NO_ROOT_DIR;
  return sim::Child(&s.root, path.parts[0]) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

DWORD QueryDosDeviceW(LPCWSTR device, LPWSTR targets, DWORD size) {
  auto& s = sim::Enter();
  const std::string name = sim::UpperCase(static_cast<LPCSTR>(sim::WideArg(device)));
  std::string target;
  auto set = s.drives.find(name);
  if (set != s.drives.end()) {
    target = set->second.second;
  } else if (name.size() == 2 && name[1] == ':' && sim::Child(&s.root, name)) {
    target = "\\Device\\HarddiskVolume" + std::to_string(name[0] - 'A' - 1);
  } else {
    return sim::Refuse(ERROR_FILE_NOT_FOUND);
  }
  // The list of targets ends in a second NUL.
  const DWORD length = DWORD(sim::Characters(target).size());
  if (size < length + 2) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  sim::FillWide(target, targets, size);
  targets[length + 1] = 0;
  return length + 2;
}

namespace sim {

void Machine::LetChange(const std::string& path, const std::string& account) {
  // "Modify", for the folder, its sub-folders and files, as the Security tab gives it.
  Grant(path, account, 0x1301BF);
}

void Machine::Grant(const std::string& path, const std::string& account, DWORD rights,
                    BYTE inheritance) {
  ExistingNode(*state_, path)
      .security.aces.push_back({account, rights, ACCESS_ALLOWED_ACE_TYPE, inheritance});
}

void Machine::Deny(const std::string& path, const std::string& account, DWORD rights,
                   BYTE inheritance) {
  // Denials come first, as Windows orders a DACL it writes.
  auto& aces = ExistingNode(*state_, path).security.aces;
  aces.insert(aces.begin(), {account, rights, ACCESS_DENIED_ACE_TYPE, inheritance});
}

void Machine::SetOwner(const std::string& path, const std::string& account) {
  ExistingNode(*state_, path).security.owner = account;
}

void Machine::ProtectDacl(const std::string& path) {
  ExistingNode(*state_, path).security.protectedDacl = true;
}

bool Machine::MayChange(const std::string& account, const std::string& path) const {
  if (Privileged(account)) return true;
  const State& s = *state_;
  WinPath real;
  return RealPath(s, TestPath(s, path), real) && MayChangeEntry(s, real, account);
}

bool Machine::MayRead(const std::string& account, const std::string& path) const {
  if (MayChange(account, path)) return true;
  const State& s = *state_;
  WinPath real;
  if (!RealPath(s, TestPath(s, path), real)) return false;
  const FileNode* node = Look(s, real).node;
  const std::vector<const Security*> chain = Chain(s, real);
  // FILE_READ_DATA reads a file, and as FILE_LIST_DIRECTORY lists a folder
  // (Microsoft, "File Security and Access Rights").
  return node && !chain.empty() &&
         (Granted(Dacl(chain, node->IsFolder(), kFileRights), chain.front()->owner, account,
                  kFileRights) &
          FILE_READ_DATA) != 0;
}

bool Machine::MakeFolder(const std::string& account, const std::string& path) {
  State& s = *state_;
  const WinPath parsed = TestPath(s, path);
  WinPath real;
  if (parsed.IsDrive() || Look(s, parsed).node || !RealPath(s, parsed.Parent(), real) ||
      !MayChangeEntry(s, real, account, FILE_ADD_SUBDIRECTORY | WRITE_DAC | WRITE_OWNER))
    return false;
  AddFolder(path);
  // What a pupil makes is theirs (its creator is its owner).
  Look(s, parsed).node->security = {account, account, {}, false};
  return true;
}

bool Machine::PlantLink(const std::string& account, const std::string& path,
                        const std::string& target) {
  State& s = *state_;
  const WinPath parsed = TestPath(s, path);
  if (parsed.IsDrive() ||
      (!MayChange(account, path) && !MayChange(account, parsed.Parent().Text())))
    return false;
  FileLookup found = Look(s, parsed);
  // A rename needs a delete access that an open without FILE_SHARE_DELETE
  // denies, and an open, which an entry being deleted refuses (MS-FSA 2.1.5.1.2).
  if (!found.node || IsLocked(s, found.node) || found.node->deletePending) return false;
  auto entry = found.folder->children.find(found.node->name);
  std::unique_ptr<FileNode> moved = std::move(entry->second);
  found.folder->children.erase(entry);
  moved->name += " (moved)";
  const std::string name = moved->name;
  found.folder->children[name] = std::move(moved);
  if (target.empty())
    AddFolder(path);
  else
    AddJunction(path, target);
  // What a pupil makes is theirs.
  Look(s, parsed).node->security = {account, account, {}, false};
  Log("Link planted by " + account + " at " + parsed.Text());
  return true;
}

bool Machine::MakeMountPoint(const std::string& account, const std::string& path,
                             const std::string& target) {
  State& s = *state_;
  FileNode* folder = Look(s, TestPath(s, path)).node;
  if (!folder || !folder->IsFolder() || folder->IsJunction() || !folder->children.empty() ||
      !MayChange(account, path))
    return false;
  // The pupil opens it for writing: a handle that does not share writing stops that.
  for (const auto& handle : s.files)
    if (handle.second.node == folder && !(handle.second.share & FILE_SHARE_WRITE)) return false;
  folder->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  folder->reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  folder->junctionTarget = TestPath(s, target).Text();
  Log("Mount point made by " + account + " at " + path);
  return true;
}

void Machine::SetDrive(const std::string& drive, UINT type, const std::string& device) {
  state_->drives[UpperCase(drive)] = {type, device};
}

}  // namespace sim
