// Windows paths and registry key paths in one comparable spelling, so that the
// checker can tell whether two names reach the same file or key.
#pragma once

#include <string>

namespace stress {

// A full path as Windows resolves it on drive C: with C:\ current ("/" as
// "\", doubled separators, "." and "..", relative names), ASCII
// letters in lower case, no trailing separator, no "\\?\" before it:
// "c:\program files\kelmora".
// Names keep trailing dots and blanks, as the simulated machine stores them.
std::string PathKey(const std::string& path);
// The same, with trailing dots and blanks taken off every name, as Windows
// itself reads a typed path.
std::string LoosePathKey(const std::string& path);
// A registry key path ("HKLM\SOFTWARE\...") in lower case, no trailing "\".
std::string RegistryKey(const std::string& keyPath);

// True when `key` is `ancestor` or lies below it (both already keys).
bool IsSameOrBelow(const std::string& key, const std::string& ancestor);
// True when `key` lies strictly below `ancestor`.
bool IsBelow(const std::string& key, const std::string& ancestor);

// The folder part of a path: everything before its last "\" ("" when none).
std::string ParentPath(const std::string& path);
// `folder` and `name` joined with one "\".
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace stress
