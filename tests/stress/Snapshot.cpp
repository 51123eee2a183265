#include "Snapshot.h"

#include "PathKey.h"
#include "platform/sim/SimMachine.h"

namespace stress {
namespace {

const char kJunctionMark[] = "<junction ";
const char kLinkMark[] = "<link ";

// `files`: every file and junction of the drive, as the machine's Tree gives
// them; what a folder lists and is not among them is a folder.
void TakeFolder(const sim::Machine& m, const std::string& folder,
                const std::map<std::string, std::string>& files, Snapshot& snapshot) {
  for (const std::string& name : m.List(folder + "\\")) {
    const std::string path = JoinPath(folder, name);
    const std::string key = PathKey(path);
    auto file = files.find(key);
    if (file == files.end()) {
      snapshot.files[key] = {FileEntry::Folder, path, ""};
      TakeFolder(m, path, files, snapshot);
    } else {
      const bool junction = file->second.compare(0, sizeof kJunctionMark - 1, kJunctionMark) == 0 ||
                            file->second.compare(0, sizeof kLinkMark - 1, kLinkMark) == 0;
      snapshot.files[key] = {junction ? FileEntry::Junction : FileEntry::File, path, file->second};
    }
  }
}

void TakeKey(const sim::Machine& m, const std::string& key, Snapshot& snapshot) {
  snapshot.keys[RegistryKey(key)] = key;
  for (const std::string& name : m.ValueNames(key))
    snapshot.values[RegistryKey(key) + "," + RegistryKey(name)] = key + ", " + name;
  for (const std::string& sub : m.SubKeys(key)) TakeKey(m, key + "\\" + sub, snapshot);
}

}  // namespace

Snapshot Snapshot::Take() {
  Snapshot snapshot;
  const sim::Machine& m = sim::machine();
  std::map<std::string, std::string> files;
  for (const auto& file : m.Tree("C:\\")) files[PathKey(JoinPath("C:", file.first))] = file.second;
  TakeFolder(m, "C:", files, snapshot);
  TakeKey(m, "HKLM", snapshot);
  return snapshot;
}

std::map<std::string, const FileEntry*> Snapshot::Below(const std::string& folderKey) const {
  std::map<std::string, const FileEntry*> below;
  for (auto entry = files.upper_bound(folderKey + "\\");
       entry != files.end() && IsBelow(entry->first, folderKey); ++entry)
    below[entry->first.substr(folderKey.size() + 1)] = &entry->second;
  return below;
}

}  // namespace stress
