// The product's components on one machine for one run: what the removal may
// delete, and which of them it must delete or name in its final report.
#pragma once

#include <string>
#include <vector>

#include "FaultInjector.h"
#include "MachineGenerator.h"
#include "UserPlayer.h"

namespace stress {

struct Component {
  enum Kind { FileOrFolder, RegistryKeyTree, RegistryValue } kind;
  std::string key;    // PathKey, RegistryKey, or RegistryKey(key) + "," + lower-case name
  std::string label;  // readable
  // The program can name it in this run: it must be gone afterwards or named
  // in the final report. Others may go, but need not.
  bool required;
};

// Every component of the product on this machine, given what the program
// learnt at start-up and which install folder it took. Registry sub-keys of
// the product key are listed as they stand in `productSubKeys`. The install
// folder's record need not go while the folder is left (`installFolderLeft`).
std::vector<Component> ProductComponents(const MachineFacts& facts, const UserRecord& user,
                                         const std::vector<InjectedFault>& faults,
                                         const std::vector<std::string>& productSubKeys,
                                         bool installFolderLeft);

// True when the rules forbid `folder` (a long name) as the install folder: a
// drive root, the Windows folder or a folder in it, the system folder,
// Program Files, the installer caches' parent, a profile or the profiles
// folder, a named desktop or Start Menu folder, one of the other needed
// folders, or a folder above any of them.
bool IsProtectedFolder(const std::string& folder, const MachineFacts& facts);

}  // namespace stress
