#include "PathKey.h"

#include <vector>

namespace stress {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

// Most paths are already full and plain: "C:\" then names without "/",
// empty names, "." or ".." or (when trimming) trailing dots and blanks.
bool IsPlain(const std::string& path, bool trimNames) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\' || path.back() == '\\') return false;
  for (size_t i = 2; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '/') return false;
    if (c == '\\' && (path[i + 1] == '\\' || path[i + 1] == '.')) return false;
    if (trimNames && (c == '.' || c == ' ') && (i + 1 == path.size() || path[i + 1] == '\\'))
      return false;
  }
  return true;
}

std::string Resolve(const std::string& given, bool trimNames) {
  // "\\?\C:\..." names the same as "C:\...".
  const std::string path = given.compare(0, 4, "\\\\?\\") == 0 ? given.substr(4) : given;
  if (IsPlain(path, trimNames)) return Lowered(path);
  std::string text = path;
  for (char& c : text) c = c == '/' ? '\\' : Lower(c);
  std::string drive = "c:";
  std::string rest = text;
  if (text.size() >= 2 && text[1] == ':') {
    drive = text.substr(0, 2);
    rest = text.substr(2);
  }
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    std::string name = rest.substr(start, end - start);
    start = end + 1;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    if (trimNames)
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (!name.empty() && name != ".") names.push_back(name);
  }
  std::string key = drive;
  for (const std::string& name : names) key += "\\" + name;
  return key;
}

}  // namespace

std::string PathKey(const std::string& path) { return Resolve(path, false); }

std::string LoosePathKey(const std::string& path) { return Resolve(path, true); }

std::string RegistryKey(const std::string& keyPath) {
  std::string key = Lowered(keyPath);
  while (!key.empty() && key.back() == '\\') key.pop_back();
  return key;
}

bool IsSameOrBelow(const std::string& key, const std::string& ancestor) {
  return key == ancestor || IsBelow(key, ancestor);
}

bool IsBelow(const std::string& key, const std::string& ancestor) {
  return key.size() > ancestor.size() + 1 && key.compare(0, ancestor.size(), ancestor) == 0 &&
         key[ancestor.size()] == '\\';
}

std::string ParentPath(const std::string& path) {
  size_t last = path.rfind('\\');
  return last == std::string::npos ? "" : path.substr(0, last);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

}  // namespace stress
