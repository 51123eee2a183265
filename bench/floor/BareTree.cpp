#include "BareTree.h"

#include <cstring>

namespace {

bool IsSelfOrParent(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

bool IsFolder(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

long CopyTreeBare(const std::string& source, const std::string& destination) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((source + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  long copied = 0;
  do {
    if (IsSelfOrParent(entry.cFileName)) continue;
    const std::string from = source + "\\" + entry.cFileName;
    const std::string to = destination + "\\" + entry.cFileName;
    if (IsFolder(entry)) {
      CreateDirectoryA(to.c_str(), NULL);
      copied += CopyTreeBare(from, to);
    } else if (CopyFileA(from.c_str(), to.c_str(), TRUE)) {
      ++copied;
    }
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return copied;
}

long DeleteTreeBare(const std::string& path, FileHook hook) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
  long deleted = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (IsSelfOrParent(entry.cFileName)) continue;
      const std::string item = path + "\\" + entry.cFileName;
      if (IsFolder(entry)) {
        deleted += DeleteTreeBare(item, hook);
        continue;
      }
      if (hook) hook(item, entry.dwFileAttributes);
      if (DeleteFileA(item.c_str())) ++deleted;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
  return deleted;
}
