// The program's resources as the simulated machine reads them from the
// resource script: dialog templates, strings and icon ids.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace sim {

struct ControlTemplate {
  std::string text;  // "" when the script names a resource (an icon) instead
  int id = 0;
  std::string className;
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
  int id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string caption;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::vector<ControlTemplate> controls;
};

struct Resources {
  std::map<int, DialogTemplate> dialogs;
  std::map<int, std::string> strings;
  std::set<int> icons;
};

// Reads a resource script with the `#define` lines of its header. Understands
// what RemoveKM.rc uses: DIALOG/DIALOGEX blocks of CONTROL lines, STRINGTABLE
// and ICON; other statements and blocks are passed over. Throws
// std::runtime_error, naming the line, on what it cannot read.
Resources ParseResources(const std::string& script, const std::string& header);

// The program's own resources, read from the source tree once per process.
const Resources& ProgramResources();

}  // namespace sim
