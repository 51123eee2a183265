#include "removal/paths/PathBelow.h"

namespace {

template <class Character>
Character LowerCase(Character ch) {
  return ch >= 'A' && ch <= 'Z' ? (Character)(ch - 'A' + 'a') : ch;
}

// Where the rest of `path` begins after `base`; -1 when it is not below it.
template <class Path>
int RestStart(const Path& path, const Path& base) {
  int length = base.GetLength();
  if (length == 0 || path.GetLength() < length) return -1;
  for (int i = 0; i < length; ++i) {
    if (LowerCase(path[i]) != LowerCase(base[i])) return -1;
  }
  // "C:\" ends with its separator; "C:\a" must be followed by one.
  if (base[length - 1] != '\\' && length < path.GetLength()) {
    if (path[length] != '\\') return -1;
    ++length;
  }
  return length;
}

}  // namespace

bool PathBelow(const CString& path, const CString& base, CString& rest) {
  const int start = RestStart(path, base);
  if (start < 0) return false;
  rest = "";
  for (int i = start; i < path.GetLength(); ++i) rest += path[i];
  return true;
}

bool PathBelow(const CWidePath& path, const CWidePath& base, CWidePath& rest) {
  const int start = RestStart(path, base);
  if (start < 0) return false;
  rest = CWidePath(path.Text() + start);
  return true;
}
