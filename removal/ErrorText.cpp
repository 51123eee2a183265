#include "removal/ErrorText.h"

#include "removal/DecimalText.h"
#include "removal/WidePath.h"

CString ErrorText(DWORD error) {
  WCHAR text[256];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                error, 0, text, 256, NULL);
  // Windows ends its texts with a line break.
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  text[length] = 0;
  CString result = " (error " + DecimalText(error);
  if (length > 0) result += ": " + CWidePath(text).Utf8();
  return result + ")";
}
