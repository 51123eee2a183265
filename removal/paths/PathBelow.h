// Whether one full path lies inside another, as the text names them.
#pragma once

#include "removal/WidePath.h"

// True when `path` is `base` or lies below it, case aside; `rest` gets the
// part after `base` and its separator ("" for `base` itself).
bool PathBelow(const CString& path, const CString& base, CString& rest);
bool PathBelow(const CWidePath& path, const CWidePath& base, CWidePath& rest);
