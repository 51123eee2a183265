// Random machines for the stress runs: the product's pieces present or not,
// in odd shapes and with odd names, beside other programs' pieces that must
// survive, on a random Windows version with random shell folders.
#pragma once

#include <string>
#include <vector>

#include "Dice.h"
#include "Printable.h"

namespace stress {

struct ShellFolder {
  int csidl;
  std::string path;  // where it lies on the disk
  bool named;        // whether the system gives its path
};

// What the checker needs to know of a generated machine beyond its contents.
struct MachineFacts {
  int osMajor = 5;
  std::string userName;
  // Common desktop, user desktop, common Start Menu, user Start Menu: the
  // removal's order.
  std::vector<ShellFolder> shellFolders;
  std::string windowsFolder;
  std::string systemFolder;
  std::string profilesFolder;
  // Other folders the system names that must survive: Documents, Common
  // Files, application data, and the program folders of 64-bit Windows.
  std::vector<std::string> neededFolders;
  // Where the product is installed; "" when it is not.
  std::string productFolder;
  // What the registry's "InstallPath" holds; "" when the value is absent.
  std::string registryInstallPath;
  bool hasRegistryInstallPath = false;
  // Folders (and a few other texts) that the user may browse to or type.
  std::vector<std::string> locationChoices;
  // Folders below one made at the drive's root that every pupil may change,
  // where a deployment line may put the log and save the pupils' work (the
  // second made by the run half the time); "" when there are none.
  std::string pupilsLogFolder;
  std::string pupilsSaveFolder;
  // The generator's choices, one line each.
  std::vector<std::string> notes;

  const ShellFolder& UserDesktop() const { return shellFolders[1]; }
};

// Builds a machine on a freshly reset simulated machine.
MachineFacts BuildRandomMachine(Dice& dice);

}  // namespace stress
