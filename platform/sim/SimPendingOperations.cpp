// What Windows does when it next starts: MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT appends to PendingFileRenameOperations, and a
// restart carries the operations out in order, as the session manager does.
#include "SimState.h"

using sim::FileNode;
using sim::Machine;

namespace {

const char kNtPrefix[] = "\\??\\";

struct PendingOperation {
  std::string from;
  std::string to;  // "" for a delete
};

// The value's strings in pairs. Its empty strings (a delete's second one)
// are read by the value's size, not taken for the list's end.
std::vector<PendingOperation> PendingOperations(const Machine::State& s) {
  std::vector<PendingOperation> operations;
  const sim::KeyNode* key = sim::FindKey(s, sim::kSessionManagerKey);
  auto value = key ? key->values.find(sim::kPendingValue) : decltype(key->values.end()){};
  if (!key || value == key->values.end()) return operations;
  std::vector<std::string> strings;
  const std::string& data = value->second.data;
  for (size_t start = 0; start < data.size();) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i + 1 < strings.size() && !strings[i].empty(); i += 2)
    operations.push_back({strings[i], strings[i + 1]});
  return operations;
}

std::string WithoutPrefix(const std::string& path) {
  return path.compare(0, 4, kNtPrefix) == 0 ? path.substr(4) : path;
}

void LetGo(FileNode& node) {
  node.heldOpen = node.runningImage = false;
  node.heldSharing = 0;
  for (auto& child : node.children) LetGo(*child.second);
}

// A file, a link (as a link) or an empty folder goes; anything else stays.
void DeleteAtStart(Machine::State& s, const std::string& path) {
  sim::WinPath parsed;
  if (sim::ParsePath(path, "C:\\", parsed) != 0 || parsed.IsDrive()) return;
  sim::FileLookup found = sim::Look(s, parsed);
  if (!found.node) return;
  if (found.node->IsFolder() && !found.node->IsJunction() && !found.node->children.empty()) return;
  // Whether the session manager deletes a read-only file is documented
  // nowhere: the harsher choice, it stays.
  if (!found.node->IsFolder() && (found.node->attributes & FILE_ATTRIBUTE_READONLY)) return;
  sim::EraseEntry(s, found.folder, found.node->name);
  sim::Log("Deleted at restart " + path);
}

}  // namespace

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags) {
  auto& s = sim::Enter();
  // The program only ever asks for a delete at the next start.
  if (!(flags & MOVEFILE_DELAY_UNTIL_REBOOT) || (newName && *newName))
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  sim::WideArg path(existing);
  sim::PathCall call(sim::Op::MoveFileEx, path);
  if (call.error) return sim::Refuse(call.error);
  // Whether Windows looks at the entry first is documented nowhere: the
  // harsher choice, refused as an open of it would be (STATUS_DELETE_PENDING).
  const sim::FileNode* entry = sim::Look(s, call.path).node;
  if (entry && entry->deletePending) return sim::Refuse(ERROR_ACCESS_DENIED);
  // Writing the value takes an administrator.
  sim::KeyNode* key = sim::FindKey(s, sim::kSessionManagerKey);
  if (!key || sim::KeyRefused(s, *key)) return sim::Refuse(ERROR_ACCESS_DENIED);
  sim::RegValue& value = key->values[sim::kPendingValue];
  value.name = sim::kPendingValue;
  value.type = REG_MULTI_SZ;
  if (!value.data.empty()) value.data.pop_back();  // the list's closing NUL
  value.data += kNtPrefix + call.path.Text() + '\0' + '\0' + '\0';
  sim::Log("MoveFileEx " + call.path.Text() + " at restart");
  return TRUE;
}

namespace sim {

std::vector<std::string> Machine::PendingDeletes() const {
  std::vector<std::string> paths;
  for (const PendingOperation& operation : PendingOperations(*state_))
    if (operation.to.empty()) paths.push_back(WithoutPrefix(operation.from));
  return paths;
}

void Machine::Restart() {
  State& s = *state_;
  for (Process& process : s.processes) {
    if (!process.running) continue;
    process.running = false;
    process.endedBy = "restart";
  }
  LetGo(s.root);
  s.lettingGo.clear();
  // What was being deleted is gone once nothing holds it.
  sim::ErasePending(s);
  // The program renames nothing, so only deletes are carried out.
  for (const PendingOperation& operation : PendingOperations(s))
    if (operation.to.empty()) DeleteAtStart(s, WithoutPrefix(operation.from));
  if (KeyNode* key = FindKey(s, kSessionManagerKey)) key->values.erase(kPendingValue);
  Log("Restart");
}

}  // namespace sim
