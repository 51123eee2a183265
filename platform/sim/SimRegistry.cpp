// The simulated registry (HKEY_LOCAL_MACHINE only): the test API and
// advapi32's key and value calls.
#include <cstring>
#include <stdexcept>

#include "SimState.h"

using sim::KeyNode;
using sim::Op;

namespace {

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  if (names.size() > 1 && names.back().empty()) names.pop_back();  // one trailing "\" is fine
  return names;
}

KeyNode* SubKey(KeyNode* key, const std::string& name) {
  auto found = key->subKeys.find(name);
  return found == key->subKeys.end() ? nullptr : found->second.get();
}

std::string KeyPath(const KeyNode* key) {
  return key->parent ? KeyPath(key->parent) + "\\" + key->name : "HKLM";
}

// A key path of the test API ("HKLM\SOFTWARE\..."): the key, made when asked.
KeyNode* TestKey(const sim::Machine::State& s, const std::string& path, bool make) {
  std::vector<std::string> names = SplitKeyPath(path);
  if (!sim::SameName(names[0], "HKLM") && !sim::SameName(names[0], "HKEY_LOCAL_MACHINE"))
    throw std::invalid_argument("sim: only HKLM keys: " + path);
  // The tree is the state's; a const state only means the caller will not change it.
  KeyNode* key = const_cast<KeyNode*>(&s.hklm);
  for (size_t i = 1; i < names.size() && key; ++i) {
    KeyNode* next = SubKey(key, names[i]);
    if (!next && make) {
      auto made = std::make_unique<KeyNode>();
      made->name = names[i];
      made->parent = key;
      next = made.get();
      key->subKeys[names[i]] = std::move(made);
    }
    key = next;
  }
  return key;
}

KeyNode& ExistingKey(const sim::Machine::State& s, const std::string& path) {
  KeyNode* key = TestKey(s, path, false);
  if (!key) throw std::invalid_argument("sim: no such key: " + path);
  return *key;
}

// The key behind a handle, with the access it was opened for.
struct OpenKey {
  KeyNode* key = nullptr;
  std::string path;
  REGSAM access = 0;
  LONG error = ERROR_INVALID_HANDLE;
};

OpenKey Resolve(sim::Machine::State& s, HKEY handle) {
  OpenKey open;
  if (handle == HKEY_LOCAL_MACHINE) {
    open = {&s.hklm, "HKLM", KEY_ALL_ACCESS, 0};
  } else if (auto found = s.keys.find(handle); found != s.keys.end()) {
    const sim::KeyHandle& held = found->second;
    open = {held.key, held.path, held.access, held.key ? 0 : LONG{ERROR_KEY_DELETED}};
  }
  return open;
}

// Walks `subKey` below `key`: 0 with the key found, or the error. A link on
// the way leads to its target; the last one named is the link itself only
// when opened with REG_OPTION_OPEN_LINK, and a link to a missing key is not
// found (Wine's dlls/ntdll/tests/reg.c, test_symlinks).
LONG Walk(const sim::Machine::State& s, KeyNode* key, const std::string& subKey, bool openLink,
          KeyNode*& found) {
  if (!subKey.empty() && subKey[0] == '\\') return ERROR_BAD_PATHNAME;
  if (!subKey.empty()) {
    const std::vector<std::string> names = SplitKeyPath(subKey);
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i].empty()) return ERROR_BAD_PATHNAME;
      key = SubKey(key, names[i]);
      // Windows gives up on a chain of links (STATUS_NAME_TOO_LONG, test_symlinks).
      for (int hops = 0; key && !key->linkTarget.empty() && !(openLink && i + 1 == names.size());
           ++hops)
        key = hops < 16 ? TestKey(s, key->linkTarget, false) : nullptr;
      if (!key) return ERROR_FILE_NOT_FOUND;
    }
  }
  found = key;
  return ERROR_SUCCESS;
}

// The security of the key and of each key above it, nearest first.
std::vector<const sim::Security*> KeyChain(const KeyNode* key) {
  std::vector<const sim::Security*> chain;
  for (; key; key = key->parent) chain.push_back(&key->security);
  return chain;
}

// Takes the key out of the tree; handles on it answer ERROR_KEY_DELETED.
void EraseKey(sim::Machine::State& s, KeyNode* key) {
  for (auto& held : s.keys)
    if (held.second.key == key) held.second.key = nullptr;
  const std::string path = KeyPath(key);
  key->parent->subKeys.erase(key->name);
  sim::Log("RegDeleteKey " + path);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == 2 /* REG_EXPAND_SZ */; }
// Texts the code page conversion applies to, lists of strings included.
bool IsTextType(DWORD type) { return IsStringType(type) || type == REG_MULTI_SZ; }

}  // namespace

sim::KeyNode* sim::FindKey(const sim::Machine::State& s, const std::string& path) {
  return TestKey(s, path, false);
}

// RegOpenKeyEx "fails if the security descriptor of the key does not permit
// the requested access for the calling process" (Microsoft's documentation);
// a denied key's grants SYSTEM alone.
bool sim::KeyRefused(const sim::Machine::State& s, const KeyNode& key) {
  return key.denied && s.userName != "SYSTEM";
}

void sim::Machine::AddKey(const std::string& keyPath) { TestKey(*state_, keyPath, true); }

void sim::Machine::SetValue(const std::string& keyPath, const std::string& name,
                            const std::string& data, DWORD type) {
  TestKey(*state_, keyPath, true)->values[name] = {name, type, data};
}

bool sim::Machine::KeyExists(const std::string& keyPath) const {
  return TestKey(*state_, keyPath, false) != nullptr;
}

bool sim::Machine::ValueExists(const std::string& keyPath, const std::string& name) const {
  KeyNode* key = TestKey(*state_, keyPath, false);
  return key && key->values.count(name) > 0;
}

std::vector<std::string> sim::Machine::SubKeys(const std::string& keyPath) const {
  std::vector<std::string> names;
  for (const auto& sub : ExistingKey(*state_, keyPath).subKeys) names.push_back(sub.first);
  return names;
}

std::vector<std::string> sim::Machine::ValueNames(const std::string& keyPath) const {
  std::vector<std::string> names;
  for (const auto& value : ExistingKey(*state_, keyPath).values) names.push_back(value.first);
  return names;
}

void sim::Machine::GrantKey(const std::string& keyPath, const std::string& account, DWORD rights) {
  ExistingKey(*state_, keyPath)
      .security.aces.push_back({account, rights, ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE});
}

bool sim::Machine::MayChangeKey(const std::string& account, const std::string& keyPath) const {
  const KeyNode* key = TestKey(*state_, keyPath, false);
  // Setting a value, making a sub-key or a link in it, deleting it, its security.
  const DWORD change = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE;
  return key && sim::MayChangeAt(KeyChain(key), true, account, change, sim::kKeyRights);
}

void sim::Machine::AddKeyLink(const std::string& keyPath, const std::string& target) {
  KeyNode* link = TestKey(*state_, keyPath, true);
  if (!link->subKeys.empty())
    throw std::invalid_argument("sim: a link has no sub-keys: " + keyPath);
  link->values.clear();
  // Its one value (test_symlinks: REG_LINK, named SymbolicLinkValue, no other allowed).
  link->values["SymbolicLinkValue"] = {"SymbolicLinkValue", REG_LINK,
                                       "\\REGISTRY\\MACHINE" + target.substr(target.find('\\'))};
  link->linkTarget = target;
}

bool sim::Machine::PlantKeyLink(const std::string& account, const std::string& keyPath,
                                const std::string& target) {
  State& s = *state_;
  const std::string parent = keyPath.substr(0, keyPath.rfind('\\'));
  if (!MayChangeKey(account, keyPath) && !MayChangeKey(account, parent)) return false;
  // The key goes, whatever it held, and the link takes its name; it is theirs.
  if (KeyNode* key = TestKey(s, keyPath, false)) {
    for (auto& held : s.keys)
      if (held.second.key == key) held.second.key = nullptr;
    key->parent->subKeys.erase(key->name);
  }
  AddKeyLink(keyPath, target);
  TestKey(s, keyPath, false)->security = {account, account, {}, false};
  Log("Registry link planted by " + account + " at " + keyPath);
  return true;
}

void sim::Machine::DenyKey(const std::string& keyPath, bool denied) {
  ExistingKey(*state_, keyPath).denied = denied;
}

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  auto& s = sim::Enter();
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey open = Resolve(s, parent);
  if (open.error) return open.error;
  const std::string name = subKey ? subKey : "";
  if (LONG error = sim::Faulted(Op::RegOpenKey, open.path + "\\" + name)) return error;
  KeyNode* key = nullptr;
  if (LONG error = Walk(s, open.key, name, (options & REG_OPTION_OPEN_LINK) != 0, key))
    return error;
  if (sim::KeyRefused(s, *key)) return ERROR_ACCESS_DENIED;
  // An empty name opens the predefined key itself, as Windows hands it back.
  if (key == &s.hklm) {
    *result = HKEY_LOCAL_MACHINE;
    return ERROR_SUCCESS;
  }
  s.nextHandle += 4;
  *result = reinterpret_cast<HKEY>(s.nextHandle);
  s.keys[*result] = {key, KeyPath(key), access};
  return ERROR_SUCCESS;
}

namespace {

// RegQueryValueExA's answer; the wide calls ask it twice within one call.
LONG QueryValue(sim::Machine::State& s, HKEY handle, LPCSTR name, LPDWORD type, LPBYTE data,
                LPDWORD size) {
  OpenKey open = Resolve(s, handle);
  if (open.error) return open.error;
  if (LONG error = sim::Faulted(Op::RegQueryValue, open.path)) return error;
  if (!(open.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  auto value = open.key->values.find(name ? name : "");
  if (value == open.key->values.end()) return ERROR_FILE_NOT_FOUND;
  if (data && !size) return ERROR_INVALID_PARAMETER;

  // An ANSI caller reads a string in the code page's best fit; the wide call
  // reads it whole through here.
  const bool ansi = IsTextType(value->second.type) && s.wideArguments == 0;
  const std::string stored = ansi ? sim::Ansi(value->second.data) : value->second.data;
  // A string stored without its NUL comes back with one added.
  bool addNul = IsStringType(value->second.type) && (stored.empty() || stored.back() != '\0');
  DWORD needed = static_cast<DWORD>(stored.size() + (addNul ? 1 : 0));
  if (type) *type = value->second.type;
  if (!data) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, stored.data(), stored.size());
  if (addNul) data[stored.size()] = 0;
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExA(HKEY handle, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  return QueryValue(sim::Enter(), handle, name, type, data, size);
}

namespace {

// The name of the sub-key at `index`, as stored, or the error.
LONG EnumKey(HKEY handle, DWORD index, std::string& found) {
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, handle);
  if (open.error) return open.error;
  if (LONG error = sim::Faulted(Op::RegEnumKey, open.path)) return error;
  if (!(open.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (index >= open.key->subKeys.size()) return ERROR_NO_MORE_ITEMS;
  auto entry = open.key->subKeys.begin();
  std::advance(entry, index);
  found = entry->second->name;
  return ERROR_SUCCESS;
}

template <typename Char>
void NoClass(Char* className, LPDWORD classSize, FILETIME* lastWrite) {
  if (className && classSize && *classSize) className[0] = 0;
  if (classSize) *classSize = 0;
  if (lastWrite) *lastWrite = FILETIME{0, 0};
}

}  // namespace

// The ANSI name is the code page's spelling: best fit, or "?".
LONG RegEnumKeyExA(HKEY handle, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR className,
                   LPDWORD classSize, FILETIME* lastWrite) {
  std::string stored;
  if (LONG error = EnumKey(handle, index, stored)) return error;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  const std::string found = sim::Ansi(stored);
  if (*nameSize <= found.size()) return ERROR_MORE_DATA;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameSize = static_cast<DWORD>(found.size());
  NoClass(className, classSize, lastWrite);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD,
                   LPWSTR className, LPDWORD classSize, FILETIME* lastWrite) {
  std::string stored;
  if (LONG error = EnumKey(handle, index, stored)) return error;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  const size_t length = sim::Characters(stored).size();
  if (*nameSize <= length) return ERROR_MORE_DATA;
  sim::FillWide(stored, name, length + 1);
  *nameSize = static_cast<DWORD>(length);
  NoClass(className, classSize, lastWrite);
  return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return RegOpenKeyExA(parent, sim::WideArg(subKey), options, access, result);
}

LONG RegDeleteKeyW(HKEY parent, LPCWSTR subKey) {
  return RegDeleteKeyA(parent, sim::WideArg(subKey));
}

LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey) {
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, parent);
  if (open.error) return open.error;
  const std::string name = subKey ? subKey : "";
  if (LONG error = sim::Faulted(Op::RegDeleteKey, open.path + "\\" + name)) return error;
  // The name is opened as any other (no REG_OPTION_OPEN_LINK): a link named
  // last is followed and its target deleted. Nothing documents otherwise, so
  // the harsher choice; only a handle opened as the link deletes the link.
  KeyNode* key = nullptr;
  if (LONG error = Walk(s, open.key, name, false, key)) return error;
  if (key == &s.hklm || sim::KeyRefused(s, *key) || !key->subKeys.empty())
    return ERROR_ACCESS_DENIED;
  EraseKey(s, key);
  return ERROR_SUCCESS;
}

// Deletes the key the handle holds: a link itself when it was opened as one
// (Wine's dlls/ntdll/tests/reg.c, test_symlinks: NtDeleteKey of the link).
NTSTATUS NtDeleteKey(HANDLE handle) {
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, reinterpret_cast<HKEY>(handle));
  if (open.error == ERROR_KEY_DELETED) return NTSTATUS(0xC000017C);  // STATUS_KEY_DELETED
  if (open.error) return NTSTATUS(0xC0000008);                       // STATUS_INVALID_HANDLE
  if (LONG error = sim::Faulted(Op::RegDeleteKey, open.path))
    return error == ERROR_ACCESS_DENIED ? NTSTATUS(0xC0000022) : NTSTATUS(0xC0000001);
  // A key with sub-keys cannot go (STATUS_CANNOT_DELETE, as RegDeleteKey's "must not have
  // subkeys").
  if (!(open.access & DELETE) || open.key == &s.hklm || sim::KeyRefused(s, *open.key))
    return NTSTATUS(0xC0000022);
  if (!open.key->subKeys.empty()) return NTSTATUS(0xC0000121);
  EraseKey(s, open.key);
  return 0;
}

// Owner and DACL as Windows writes them (see SimAccess.cpp); READ_CONTROL needed.
LONG RegGetKeySecurity(HKEY handle, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security,
                       LPDWORD size) {
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, handle);
  if (open.error) return open.error;
  if (!(open.access & READ_CONTROL)) return ERROR_ACCESS_DENIED;
  if (what != (OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION) || !size)
    return ERROR_INVALID_PARAMETER;
  const std::vector<const sim::Security*> chain = KeyChain(open.key);
  const std::string bytes =
      sim::DescriptorBytes(*chain.front(), sim::Dacl(chain, true, sim::kKeyRights), KEY_ALL_ACCESS);
  const DWORD room = *size;
  *size = DWORD(bytes.size());
  if (room < bytes.size()) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(security, bytes.data(), bytes.size());
  return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY handle, LPCSTR name) {
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, handle);
  if (open.error) return open.error;
  if (LONG error = sim::Faulted(Op::RegDeleteValue, open.path)) return error;
  if (!(open.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!open.key->values.erase(name ? name : "")) return ERROR_FILE_NOT_FOUND;
  sim::Log("RegDeleteValue " + open.path + " " + (name ? name : ""));
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY handle) {
  auto& s = sim::Enter();
  auto held = s.keys.find(handle);
  std::string path = handle == HKEY_LOCAL_MACHINE ? "HKLM" : "";
  if (held != s.keys.end()) path = held->second.path;
  if (LONG error = sim::Faulted(Op::RegCloseKey, path)) return error;
  if (handle == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  if (held == s.keys.end()) return ERROR_INVALID_HANDLE;
  s.keys.erase(held);
  return ERROR_SUCCESS;
}

namespace {

// A string value in wide characters, its NULs included; other data as stored.
LONG QueryWide(HKEY handle, LPCWSTR name, LPDWORD type, LPBYTE data, LPDWORD size) {
  sim::WideArg valueName(name);
  DWORD storedType = 0, storedSize = 0;
  sim::Machine::State& s = sim::machine().state();
  if (LONG error = QueryValue(s, handle, valueName, &storedType, NULL, &storedSize)) return error;
  std::string bytes(storedSize, '\0');
  if (LONG error = QueryValue(s, handle, valueName, NULL, (LPBYTE)&bytes[0], &storedSize))
    return error;
  if (IsTextType(storedType)) {
    const std::u32string characters = sim::Characters(bytes);
    const std::basic_string<WCHAR> wide(characters.begin(), characters.end());
    bytes.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(WCHAR));
  }
  if (type) *type = storedType;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  const DWORD needed = static_cast<DWORD>(bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, bytes.data(), needed);
  if (size) *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExW(HKEY handle, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (DWORD error = sim::MissingWideCall("RegQueryValueExW")) return LONG(error);
  sim::Enter();
  return QueryWide(handle, name, type, data, size);
}

LONG RegEnumValueW(HKEY handle, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type,
                   LPBYTE data, LPDWORD dataSize) {
  if (DWORD error = sim::MissingWideCall("RegEnumValueW")) return LONG(error);
  auto& s = sim::Enter();
  OpenKey open = Resolve(s, handle);
  if (open.error) return open.error;
  if (LONG error = sim::Faulted(Op::RegQueryValue, open.path)) return error;
  if (!(open.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  if (index >= open.key->values.size()) return ERROR_NO_MORE_ITEMS;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  auto entry = open.key->values.begin();
  std::advance(entry, index);
  const std::u32string characters = sim::Characters(entry->first);
  if (*nameSize <= characters.size()) return ERROR_MORE_DATA;
  sim::FillWide(entry->first, name, characters.size() + 1);
  *nameSize = static_cast<DWORD>(characters.size());
  return QueryWide(handle, name, type, data, dataSize);
}
