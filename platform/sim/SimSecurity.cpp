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

const char kAdministrators[] = "S-1-5-32-544";
const char kSystem[] = "S-1-5-18";

// The SID at `offset` of a descriptor `size` bytes long, as "S-1-5-..."; ""
// when it does not fit.
std::string SidText(const BYTE* bytes, size_t size, size_t offset) {
  if (offset + 8 > size) return "";
  const size_t count = bytes[offset + 1];
  if (bytes[offset] != 1 || offset + 8 + 4 * count > size) return "";
  unsigned long long authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | bytes[offset + i];
  std::string text = "S-1-" + std::to_string(authority);
  for (size_t i = 0; i < count; ++i) {
    DWORD sub;
    std::memcpy(&sub, bytes + offset + 8 + 4 * i, 4);
    text += "-" + std::to_string(sub);
  }
  return text;
}

DWORD At(const BYTE* bytes, size_t offset, size_t width) {
  DWORD value = 0;
  std::memcpy(&value, bytes + offset, width);
  return value;
}

bool Privileged(const std::string& sid) { return sid == kAdministrators || sid == kSystem; }

// Who besides Administrators and SYSTEM may change the entry at `real` (no
// link on the way): its owner, those its DACL names, and, while it inherits,
// those who may change the folder above (its owner too: what a pupil makes
// in their own folder is theirs to change).
std::vector<std::string> Changers(const Machine::State& s, sim::WinPath real) {
  std::vector<std::string> accounts;
  for (;;) {
    const FileNode* node = sim::Look(s, real).node;
    if (!node) return accounts;
    if (!node->owner.empty()) accounts.push_back(node->owner);
    accounts.insert(accounts.end(), node->changers.begin(), node->changers.end());
    if (node->protectedDacl || real.IsDrive()) return accounts;
    real = real.Parent();
  }
}

// An account's SID as Windows lays it out: a SID text as it reads, a name
// of the machine's as a local account's ("" is Administrators).
std::string SidBytes(const std::string& account) {
  std::vector<unsigned long long> parts;
  if (account.compare(0, 4, "S-1-") == 0) {
    for (size_t at = 4; at <= account.size();) {
      const size_t end = std::min(account.find('-', at), account.size());
      parts.push_back(std::stoull(account.substr(at, end - at)));
      at = end + 1;
    }
  } else if (account.empty()) {
    parts = {5, 32, 544};
  } else {
    parts = {5, 21, std::hash<std::string>()(account) & 0x7fffffff};
  }
  std::string bytes = {1, char(parts.size() - 1), 0, 0, 0, 0, 0, char(parts[0])};
  for (size_t i = 1; i < parts.size(); ++i) {
    const DWORD sub = DWORD(parts[i]);
    bytes.append(reinterpret_cast<const char*>(&sub), 4);
  }
  return bytes;
}

// The node a path names, or nullptr.
FileNode* Node(const Machine::State& s, const std::string& path) {
  return sim::Look(s, sim::TestPath(s, path)).node;
}

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

  std::string owner = node->owner;
  if (what & OWNER_SECURITY_INFORMATION) {
    const std::string sid = ownerAt ? SidText(bytes, size, ownerAt) : "";
    if (sid.empty()) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
    // An administrator may make Administrators or itself the owner, no other.
    if (sid != kAdministrators) return sim::Refuse(ERROR_INVALID_OWNER);
    owner = "";
  }
  std::vector<std::string> changers = node->changers;
  bool protectedDacl = node->protectedDacl;
  if (what & DACL_SECURITY_INFORMATION) {
    if (!(control & SE_DACL_PRESENT) || !daclAt) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
    changers.clear();
    const size_t count = At(bytes, daclAt + 4, 2);
    size_t ace = daclAt + 8;
    for (size_t i = 0; i < count; ++i) {
      if (ace + 8 > size) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
      const std::string sid = SidText(bytes, size, ace + 8);
      if (sid.empty()) return sim::Refuse(ERROR_INVALID_SECURITY_DESCR);
      if (bytes[ace] == ACCESS_ALLOWED_ACE_TYPE && !Privileged(sid)) changers.push_back(sid);
      ace += At(bytes, ace + 2, 2);
    }
    protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  }
  // One file, one descriptor, whichever name set it (MS-FSA 2.1.1.4).
  for (FileNode* name : {node, sim::SecondName(sim::machine().state(), node)}) {
    if (!name) continue;
    name->owner = owner;
    name->changers = changers;
    name->protectedDacl = protectedDacl;
  }
  sim::Log("SetFileSecurity " + path);
  return TRUE;
}

}  // namespace

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
  return SetSecurity(node, what, security, call.path.Text());
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
  return SetSecurity(file->second.node, what, security, file->second.path);
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
  // Those who may change it get Modify; SYSTEM and Administrators all.
  std::vector<std::pair<DWORD, std::string>> aces = {{FILE_ALL_ACCESS, SidBytes(kSystem)},
                                                     {FILE_ALL_ACCESS, SidBytes("")}};
  for (const std::string& account : Changers(s, real))
    aces.push_back({0x1301BF, SidBytes(account)});
  const std::string owner = SidBytes(file->second.node->owner);
  std::string acl(8, '\0');
  for (const auto& ace : aces) {
    const WORD aceSize = WORD(8 + ace.second.size());
    acl += std::string{ACCESS_ALLOWED_ACE_TYPE, 0, char(aceSize), char(aceSize >> 8)};
    acl.append(reinterpret_cast<const char*>(&ace.first), 4);
    acl += ace.second;
  }
  acl[0] = 2;
  acl[2] = char(acl.size());
  acl[3] = char(acl.size() >> 8);
  acl[4] = char(aces.size());
  const DWORD ownerAt = 20, daclAt = DWORD(ownerAt + owner.size());
  std::string bytes(20, '\0');
  bytes[0] = 1;
  bytes[2] = char(SE_DACL_PRESENT);
  bytes[3] = char(SE_SELF_RELATIVE >> 8);
  std::memcpy(&bytes[4], &ownerAt, 4);
  std::memcpy(&bytes[16], &daclAt, 4);
  bytes += owner + acl;
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
  const std::string sid = SidBytes(s.userName == "SYSTEM" ? kSystem : s.userName);
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
  FileNode* node = Node(*state_, path);
  if (!node) throw std::invalid_argument("no such entry: " + path);
  node->changers.push_back(account);
}

void Machine::SetOwner(const std::string& path, const std::string& account) {
  FileNode* node = Node(*state_, path);
  if (!node) throw std::invalid_argument("no such entry: " + path);
  node->owner = account;
}

bool Machine::MayChange(const std::string& account, const std::string& path) const {
  if (Privileged(account)) return true;
  const State& s = *state_;
  WinPath real;
  if (!RealPath(s, TestPath(s, path), real)) return false;
  const std::vector<std::string> accounts = Changers(s, real);
  return std::find(accounts.begin(), accounts.end(), account) != accounts.end();
}

bool Machine::PlantLink(const std::string& account, const std::string& path,
                        const std::string& target) {
  State& s = *state_;
  const WinPath parsed = TestPath(s, path);
  if (parsed.IsDrive() ||
      (!MayChange(account, path) && !MayChange(account, parsed.Parent().Text())))
    return false;
  FileLookup found = Look(s, parsed);
  // A rename needs a delete access that an open without FILE_SHARE_DELETE denies.
  if (!found.node || IsLocked(s, found.node)) return false;
  auto entry = found.folder->children.find(found.node->name);
  std::unique_ptr<FileNode> moved = std::move(entry->second);
  found.folder->children.erase(entry);
  moved->name += " (moved)";
  const std::string name = moved->name;
  found.folder->children[name] = std::move(moved);
  AddJunction(path, target);
  // What a pupil makes is theirs.
  Look(s, parsed).node->owner = account;
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
