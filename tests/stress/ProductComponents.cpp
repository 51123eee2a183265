#include "ProductComponents.h"

#include "PathKey.h"
#include "ProductLayout.h"

namespace stress {
namespace {

class ComponentList {
 public:
  explicit ComponentList(std::vector<Component>& list) : list_(list) {}

  void File(const std::string& path, bool required) {
    list_.push_back({Component::FileOrFolder, PathKey(path), Printable(path), required});
  }
  void Key(const std::string& keyPath, bool required) {
    list_.push_back(
        {Component::RegistryKeyTree, RegistryKey(keyPath), Printable(keyPath), required});
  }
  void Value(const std::string& keyPath, const std::string& name, bool required) {
    list_.push_back({Component::RegistryValue, RegistryKey(keyPath) + "," + RegistryKey(name),
                     Printable(keyPath + ", " + name), required});
  }

  // The shortcuts and program folders of one pass at one place.
  void Desktop(const std::string& folder, bool required) {
    for (const std::string& name : kDesktopShortcuts) File(JoinPath(folder, name), required);
  }
  void StartMenu(const std::string& folder, bool required, bool withVessik) {
    for (const std::string& name : kStartMenuShortcuts) File(JoinPath(folder, name), required);
    File(JoinPath(folder, kProgramsKelmora), required);
    if (withVessik) File(JoinPath(folder, kProgramsVessik), required);
  }

 private:
  std::vector<Component>& list_;
};

// Whether the removal learnt the folder's path: the system names it and no
// fault hid it while the removal looked it up.
bool NamedInRemoval(const ShellFolder& folder, const std::vector<InjectedFault>& faults) {
  if (!folder.named) return false;
  for (const InjectedFault& fault : faults)
    if (fault.op == sim::Op::SpecialFolder && fault.duringRemoval &&
        fault.target == std::to_string(folder.csidl))
      return false;
  return true;
}

}  // namespace

std::vector<Component> ProductComponents(const MachineFacts& facts, const UserRecord& user,
                                         const std::vector<InjectedFault>& faults,
                                         const std::vector<std::string>& productSubKeys,
                                         bool installFolderLeft) {
  std::vector<Component> components;
  ComponentList add(components);
  for (const std::string& cache : kCacheFolders) add.File(cache, true);
  // By its long name: the user may have named it by short names.
  const std::string& install = user.installFolder;
  if (!user.installPath.empty() && !IsProtectedFolder(install, facts)) {
    add.File(install, true);
    // Windows drops trailing dots and blanks from names: the same folder.
    components.push_back(
        {Component::FileOrFolder, LoosePathKey(install), Printable(install), false});
  }

  const bool userNameLocations = user.osMajorSeen >= 5;
  for (int pass = 0; pass < 2; ++pass) {
    const ShellFolder& desktop = facts.shellFolders[pass];
    const ShellFolder& startMenu = facts.shellFolders[2 + pass];
    const bool desktopNamed = NamedInRemoval(desktop, faults);
    const bool startMenuNamed = NamedInRemoval(startMenu, faults);
    add.Desktop(desktop.path, desktopNamed);
    add.StartMenu(startMenu.path, startMenuNamed, false);
    if (!userNameLocations) continue;
    add.Desktop(UserNameLocation(desktop.path, user.userNameSeen, "\\Desktop"), desktopNamed);
    add.StartMenu(UserNameLocation(startMenu.path, user.userNameSeen, "\\Start Menu"),
                  startMenuNamed, true);
    // A folder the removal could not name is empty text, which a program
    // following the documented steps still cuts and joins.
    add.Desktop(UserNameLocation("", user.userNameSeen, "\\Desktop"), false);
    add.StartMenu(UserNameLocation("", user.userNameSeen, "\\Start Menu"), false, true);
  }

  for (const std::string& subKey : productSubKeys) add.Key(JoinPath(kProductKey, subKey), true);
  // Kept on purpose while the folder it names is left, for a later run.
  add.Value(kProductKey, kInstallPathValue, !installFolderLeft);
  for (const std::string& entry : kUninstallEntries) add.Key(entry, true);
  return components;
}

bool IsProtectedFolder(const std::string& folder, const MachineFacts& facts) {
  if (folder.empty()) return false;
  std::vector<std::string> guarded = {facts.windowsFolder, facts.systemFolder, kProgramFiles,
                                      kCacheParent, facts.profilesFolder};
  guarded.insert(guarded.end(), facts.neededFolders.begin(), facts.neededFolders.end());
  for (const ShellFolder& shell : facts.shellFolders)
    if (shell.named) guarded.push_back(shell.path);
  const std::string profiles = PathKey(facts.profilesFolder);
  for (const std::string& key : {PathKey(folder), LoosePathKey(folder)}) {
    if (key.size() <= 2 || ParentPath(key) == profiles) return true;  // a drive, a profile
    if (IsSameOrBelow(key, PathKey(facts.windowsFolder))) return true;
    for (const std::string& path : guarded)
      if (IsSameOrBelow(PathKey(path), key)) return true;
  }
  return false;
}

}  // namespace stress
