#include "ProductLayout.h"

namespace stress {

const std::vector<std::string> kDesktopShortcuts = {"Kelmora.lnk", "Kelmora Student Selection.lnk",
                                                    "Kelmora Vessik.lnk",
                                                    "Kelmora Vessik Student Selection.lnk"};
const std::vector<std::string> kStartMenuShortcuts = {
    "Programs\\Kelmora\\Kelmora.lnk",
    "Programs\\Kelmora\\Kelmora Student Selection.lnk",
    "Programs\\Kelmora\\Uninstall.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik Student Selection.lnk",
    "Programs\\Kelmora Vessik\\Uninstall.lnk"};
const char kProgramsKelmora[] = "Programs\\Kelmora";
const char kProgramsVessik[] = "Programs\\Kelmora Vessik";

const char kProgramFiles[] = "C:\\Program Files";
const char kDefaultInstallFolder[] = "C:\\Program Files\\Kelmora";
const char kMarkerName[] = "km2.jar";
const char kStudentsName[] = "Students";
const char kCacheParent[] = "C:\\Program Files\\InstallShield Installation Information";
const std::vector<std::string> kCacheFolders = {
    std::string(kCacheParent) + "\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}",
    std::string(kCacheParent) + "\\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}"};

const char kDravenhallKey[] = "HKLM\\SOFTWARE\\Dravenhall";
const char kProductKey[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora";
const char kInstallPathValue[] = "InstallPath";
const char kUninstallKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::vector<std::string> kUninstallEntries = {
    std::string(kUninstallKey) + "\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}",
    std::string(kUninstallKey) + "\\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}"};

const char kSavedDataName[] = "Kelmora Saved Student Data";

std::string UserNameLocation(const std::string& folder, const std::string& userName,
                             const std::string& lastPart) {
  std::string cut = folder;
  for (int i = 0; i < 3; ++i) {
    size_t last = cut.rfind('\\');
    cut = last == std::string::npos ? "" : cut.substr(0, last);
  }
  return cut + "\\" + userName + lastPart;
}

}  // namespace stress
