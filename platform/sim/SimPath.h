// Windows path rules of the simulated machine: taking a path apart against the
// current directory, comparing names, matching wildcards.
#pragma once

#include <string>
#include <vector>

#include "HostWin32.h"

namespace sim {

// A full path taken apart: parts[0] is the drive ("C:"), then one name per level.
struct WinPath {
  std::vector<std::string> parts;
  bool trailingSeparator = false;  // the text ended in a separator

  std::string Text() const;  // "C:\" for a drive, else "C:\a\b"
  bool IsDrive() const { return parts.size() == 1; }
  const std::string& Leaf() const { return parts.back(); }
  WinPath Parent() const;
  WinPath Child(const std::string& name) const;
};

enum class Wildcards { Refused, InLastPart };

// Resolves `path` as Windows does: "/" as "\", doubled separators, "." and
// "..", a leading "\" for the root of the current drive, and relative paths
// against `currentDirectory` (a full path). Returns 0 or the Win32 error.
// There is no length limit here: the ANSI calls apply MAX_PATH themselves.
DWORD ParsePath(const std::string& path, const std::string& currentDirectory, WinPath& result,
                Wildcards wildcards = Wildcards::Refused);

std::string UpperCase(std::string text);
bool SameName(const std::string& a, const std::string& b);
// Orders names as Windows lists them: case-insensitively.
struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
// FindFirstFileA matching: '*' any run, '?' one character, case-insensitive;
// a pattern ending in ".*" also matches names without a dot.
bool MatchesPattern(const std::string& pattern, const std::string& name);

}  // namespace sim
