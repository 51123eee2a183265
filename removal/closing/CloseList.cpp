#include "removal/closing/CloseList.h"

#include "removal/DecimalText.h"

namespace {

// A decimal number of 32 bits at `text`, moved past it; false where there is
// none, or it is larger.
bool Number(LPCSTR& text, DWORD& number) {
  number = 0;
  LPCSTR start = text;
  for (; *text >= '0' && *text <= '9'; ++text) {
    const DWORD digit = *text - '0';
    if (number > (0xFFFFFFFFu - digit) / 10) return false;
    number = number * 10 + digit;
  }
  return text != start;
}

}  // namespace

void AddToCloseList(CString& list, const RM_UNIQUE_PROCESS& program) {
  if (!list.IsEmpty()) list += ",";
  list += DecimalText(program.dwProcessId);
  list += ":";
  list += DecimalText(program.ProcessStartTime.dwHighDateTime);
  list += ":";
  list += DecimalText(program.ProcessStartTime.dwLowDateTime);
}

bool NextInCloseList(LPCSTR& text, RM_UNIQUE_PROCESS& program) {
  if (!Number(text, program.dwProcessId) || *text++ != ':' ||
      !Number(text, program.ProcessStartTime.dwHighDateTime) || *text++ != ':' ||
      !Number(text, program.ProcessStartTime.dwLowDateTime))
    return false;
  if (*text == '\0') return true;
  return *text++ == ',' && *text != '\0';
}

bool IsCloseList(LPCSTR list) {
  RM_UNIQUE_PROCESS program;
  LPCSTR text = list;
  while (*text != '\0')
    if (!NextInCloseList(text, program)) return false;
  return text != list;
}
