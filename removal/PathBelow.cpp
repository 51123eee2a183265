#include "removal/PathBelow.h"

namespace {

char LowerCase(char ch) { return ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch; }

}  // namespace

bool PathBelow(const CString& path, const CString& base, CString& rest) {
  int length = base.GetLength();
  if (length == 0 || path.GetLength() < length) return false;
  for (int i = 0; i < length; ++i) {
    if (LowerCase(path[i]) != LowerCase(base[i])) return false;
  }
  // "C:\" ends with its separator; "C:\a" must be followed by one.
  if (base[length - 1] != '\\' && length < path.GetLength()) {
    if (path[length] != '\\') return false;
    ++length;
  }
  rest = "";
  for (int i = length; i < path.GetLength(); ++i) rest += path[i];
  return true;
}
