#include "removal/ProgramFilesPaths.h"

#include "location/PathText.h"
#include "removal/ProductTraces.h"

namespace {

// `folder` in one spelling for comparing with the fixed folder: upper case,
// one "\" for each run of separators, none at the end. Folding ASCII letters
// is enough, as the fixed folder's name is ASCII.
CString Comparable(const CString& folder) {
  CString result;
  for (int i = 0; i < folder.GetLength(); ++i) {
    char ch = folder[i];
    if (IsPathSeparator(ch)) {
      if (i + 1 < folder.GetLength() && !IsPathSeparator(folder[i + 1])) result += '\\';
    } else {
      result += ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch;
    }
  }
  return result;
}

}  // namespace

void ProgramFilesPaths(LPCSTR name, CStringArray& paths) {
  paths.SetSize(0);
  paths.Add(JoinedPath(kFixedProgramFiles, name));
  char named[MAX_PATH] = "";
  if (SHGetSpecialFolderPathA(NULL, named, CSIDL_PROGRAM_FILES, FALSE) && named[0] != '\0' &&
      Comparable(named) != Comparable(kFixedProgramFiles)) {
    paths.Add(JoinedPath(named, name));
  }
}
