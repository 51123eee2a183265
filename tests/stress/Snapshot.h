// Everything on the simulated machine's drive C: and in its registry, taken
// before and after a run so that the checker can see what changed.
#pragma once

#include <map>
#include <string>

namespace stress {

struct FileEntry {
  enum Kind { File, Folder, Junction } kind;
  std::string path;     // as stored, with its case
  std::string content;  // files: their bytes; junctions: their target
  bool IsFolder() const { return kind != File; }
  bool IsJunction() const { return kind == Junction; }
  bool operator!=(const FileEntry& other) const {
    return kind != other.kind || content != other.content;
  }
};

struct Snapshot {
  // By PathKey. Junctions are entries of their own; what lies behind them is
  // recorded where it really is, never through the junction. Attributes are
  // not kept: SetFileAttributesA is the one way to change them, and the
  // machine's event log names every such call.
  std::map<std::string, FileEntry> files;
  // Registry keys by RegistryKey, with their spelling.
  std::map<std::string, std::string> keys;
  // Values as RegistryKey(key) + "," + lower-case name, with their spelling.
  std::map<std::string, std::string> values;

  static Snapshot Take();
  // The file entries that lie below `folderKey`, by path relative to it.
  std::map<std::string, const FileEntry*> Below(const std::string& folderKey) const;
};

}  // namespace stress
