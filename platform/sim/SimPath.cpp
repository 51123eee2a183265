#include "SimPath.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace sim {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveSpec(const std::string& text) {
  return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
}

bool ValidName(const std::string& name, bool wildcardsAllowed) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|", c)) return false;
    if (!wildcardsAllowed && (c == '*' || c == '?')) return false;
  }
  return true;
}

bool GlobMatch(const char* pattern, const char* name) {
  for (; *pattern; ++pattern, ++name) {
    if (*pattern == '*') {
      for (const char* rest = name;; ++rest) {
        if (GlobMatch(pattern + 1, rest)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    if (*pattern != '?' && std::toupper(static_cast<unsigned char>(*pattern)) !=
                               std::toupper(static_cast<unsigned char>(*name)))
      return false;
  }
  return !*name;
}

// Without building upper-case copies: names are compared very often.
int CompareNames(const std::string& a, const std::string& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    int x = std::toupper(static_cast<unsigned char>(a[i]));
    int y = std::toupper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

}  // namespace

std::string WinPath::Text() const {
  std::string text = parts.front() + "\\";
  for (size_t i = 1; i < parts.size(); ++i) text += (i > 1 ? "\\" : "") + parts[i];
  return text;
}

WinPath WinPath::Parent() const {
  WinPath parent;
  parent.parts.assign(parts.begin(), parts.end() - (IsDrive() ? 0 : 1));
  return parent;
}

WinPath WinPath::Child(const std::string& name) const {
  WinPath child;
  child.parts = parts;
  child.parts.push_back(name);
  return child;
}

DWORD ParsePath(const std::string& path, const std::string& currentDirectory, WinPath& result,
                Wildcards wildcards) {
  std::string text = path;
  std::replace(text.begin(), text.end(), '/', '\\');
  // "\\?\C:\..." and "\\.\C:\..." name the same as "C:\...".
  if ((text.compare(0, 4, "\\\\?\\") == 0 || text.compare(0, 4, "\\\\.\\") == 0) &&
      IsDriveSpec(text.substr(4)))
    text = text.substr(4);
  // "\\?\UNC\server\share\..." names the same as "\\server\share\...".
  if (text.compare(0, 8, "\\\\?\\UNC\\") == 0) text = "\\" + text.substr(7);
  if (text.empty() || text.compare(0, 3, "\\\\?") == 0 || text.compare(0, 3, "\\\\.") == 0)
    return ERROR_PATH_NOT_FOUND;

  const std::string currentDrive = currentDirectory.substr(0, 2);
  std::vector<std::string> parts;
  std::string rest = text;
  if (text.compare(0, 2, "\\\\") == 0) {
    // A share stands where a drive would: "\\server\share" is its root.
    const size_t server = text.find('\\', 2);
    const size_t share = server == std::string::npos ? server : text.find('\\', server + 1);
    if (server == std::string::npos || server == 2 || server + 1 == text.size() ||
        share == server + 1)
      return ERROR_BAD_PATHNAME;
    parts.push_back(text.substr(0, share));
    rest = share == std::string::npos ? "" : text.substr(share);
  } else if (IsDriveSpec(text)) {
    rest = text.substr(2);
    bool relative = rest.empty() || !IsSeparator(rest[0]);
    if (relative && SameName(text.substr(0, 2), currentDrive)) {
      WinPath current;
      ParsePath(currentDirectory, currentDirectory, current);
      parts = current.parts;
    } else {
      parts.push_back(text.substr(0, 2));
    }
  } else if (IsSeparator(text[0])) {
    parts.push_back(currentDrive);
  } else {
    WinPath current;
    ParsePath(currentDirectory, currentDirectory, current);
    parts = current.parts;
  }

  std::vector<std::string> names;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    names.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (parts.size() > 1) parts.pop_back();
      continue;
    }
    bool last = i + 1 == names.size();
    if (!ValidName(name, last && wildcards == Wildcards::InLastPart)) return ERROR_INVALID_NAME;
    parts.push_back(name);
  }
  result.parts = parts;
  result.trailingSeparator = !rest.empty() && rest.back() == '\\';
  return 0;
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool SameName(const std::string& a, const std::string& b) { return CompareNames(a, b) == 0; }

bool NameLess::operator()(const std::string& a, const std::string& b) const {
  return CompareNames(a, b) < 0;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (GlobMatch(pattern.c_str(), name.c_str())) return true;
  size_t length = pattern.size();
  return length >= 2 && pattern.compare(length - 2, 2, ".*") == 0 &&
         GlobMatch(pattern.substr(0, length - 2).c_str(), name.c_str());
}

}  // namespace sim
