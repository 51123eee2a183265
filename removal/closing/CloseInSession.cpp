#include "removal/closing/CloseInSession.h"

#include "app/ExitCodes.h"
#include "removal/DecimalText.h"
#include "removal/closing/AskToClose.h"
#include "removal/closing/CloseNoticeDlg.h"

namespace {

struct NamedProgram {
  DWORD id;
  HANDLE process;
};

// Opens the program named by `fields` (id, start), or leaves it closed.
void Open(const DWORD (&fields)[3], NamedProgram& program) {
  program.id = fields[0];
  program.process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, fields[0]);
  FILETIME started, ended, kernel, user;
  if (program.process != NULL &&
      !(GetProcessTimes(program.process, &started, &ended, &kernel, &user) &&
        started.dwHighDateTime == fields[1] && started.dwLowDateTime == fields[2])) {
    CloseHandle(program.process);
    program.process = NULL;
  }
}

}  // namespace

void AddToCloseList(CString& list, const RM_UNIQUE_PROCESS& program) {
  if (!list.IsEmpty()) list += ",";
  list += DecimalText(program.dwProcessId) + ":" +
          DecimalText(program.ProcessStartTime.dwHighDateTime) + ":" +
          DecimalText(program.ProcessStartTime.dwLowDateTime);
}

int CloseInSession(const CString& list, DWORD seconds) {
  const int length = list.GetLength();
  // Each takes at least "1:1:1,".
  NamedProgram* programs = new NamedProgram[length / 6 + 1];
  HANDLE* running = new HANDLE[length / 6 + 1];
  int count = 0, opened = 0, field = 0, digits = 0;
  DWORD fields[3] = {0, 0, 0};
  bool valid = length > 0;
  for (int i = 0; valid && i <= length; ++i) {
    const char c = i < length ? list[i] : ',';
    if (c >= '0' && c <= '9' && digits < 10) {
      fields[field] = fields[field] * 10 + (c - '0');
      ++digits;
      continue;
    }
    valid = digits > 0 && (c == (field < 2 ? ':' : ','));
    digits = 0;
    if (++field < 3) continue;
    if (valid) Open(fields, programs[count]);
    if (valid && programs[count].process != NULL) running[opened++] = programs[count].process;
    count += valid ? 1 : 0;
    field = fields[0] = fields[1] = fields[2] = 0;
  }
  int code = valid ? kProgramsClosed : kExitInvalidCommandLine;
  if (valid && opened > 0 && seconds > 0 &&
      CCloseNoticeDlg(seconds, running, opened).DoModal() == -1)
    code = kExitNoDesktop;
  const DWORD start = GetTickCount();
  for (int i = 0; code == kProgramsClosed && i < count; ++i)
    if (programs[i].process != NULL) AskToClose(programs[i].id);
  for (int i = 0; i < opened; ++i) {
    const DWORD spent = GetTickCount() - start;
    if (code == kProgramsClosed &&
        WaitForSingleObject(running[i], spent < kAnswerTime ? kAnswerTime - spent : 0) !=
            WAIT_OBJECT_0)
      code = kProgramsStillRunning;
    CloseHandle(running[i]);
  }
  delete[] programs;
  delete[] running;
  return code;
}
