// A generated Kelmora installation on the simulated machine, of any size, as
// bench/generate_installation.py makes one on disk: the install folder with
// a tenth of its files in Students, the two installer caches, the shortcuts
// and the registry entries of the sample installation.
#pragma once

#include <string>

// The files and folders of one tree, the tree's own folder among them.
struct TreeSize {
  long files = 0;
  long folders = 0;
};

struct Installation {
  TreeSize students;  // the Students folder
  TreeSize caches;    // both installer caches
  TreeSize install;   // the install folder, Students included
};

const char kCountedInstall[] = "C:\\Program Files\\Kelmora";

// Makes the installation of `files` files in the install folder on the
// machine as it is.
Installation MakeInstallation(long files);
