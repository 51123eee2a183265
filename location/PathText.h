// Small rules of Windows path text that the location and removal code share.
#pragma once

#include "platform/Afx.h"

// Windows takes "\" or "/" between names.
inline bool IsPathSeparator(char ch) { return ch == '\\' || ch == '/'; }

// `name` inside `folder`, with one separator between them: a folder that
// already ends with one (a drive's root) is not given another.
inline CString JoinedPath(const CString& folder, const CString& name) {
  bool separated = !folder.IsEmpty() && IsPathSeparator(folder[folder.GetLength() - 1]);
  return separated ? folder + name : folder + "\\" + name;
}
