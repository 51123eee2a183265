// Where the product puts its pieces on a machine: the fixed names that the
// removal looks for, and the user-name location that it builds from a shell
// folder on Windows 2000 and later.
#pragma once

#include <string>
#include <vector>

namespace stress {

extern const std::vector<std::string> kDesktopShortcuts;
// Relative to a Start Menu folder.
extern const std::vector<std::string> kStartMenuShortcuts;
extern const char kProgramsKelmora[];
extern const char kProgramsVessik[];

extern const char kProgramFiles[];
extern const char kDefaultInstallFolder[];
extern const char kMarkerName[];
extern const char kStudentsName[];
extern const char kCacheParent[];
extern const std::vector<std::string> kCacheFolders;

extern const char kDravenhallKey[];
extern const char kProductKey[];
extern const char kInstallPathValue[];
extern const char kUninstallKey[];
extern const std::vector<std::string> kUninstallEntries;  // full key paths

extern const char kSavedDataName[];

// The folder that the removal builds from `folder` for the logged-on user:
// the last three names cut off, then "\" + user + `lastPart`.
std::string UserNameLocation(const std::string& folder, const std::string& userName,
                             const std::string& lastPart);

}  // namespace stress
