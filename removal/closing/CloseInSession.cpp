#include "removal/closing/CloseInSession.h"

#include "app/ExitCodes.h"
#include "removal/closing/AskToClose.h"
#include "removal/closing/CloseList.h"
#include "removal/closing/CloseNoticeDlg.h"

int CloseInSession(const CString& list, DWORD seconds) {
  // Each takes at least "1:1:1,".
  const size_t most = static_cast<size_t>(list.GetLength()) / 6 + 1;
  HANDLE* programs = new HANDLE[most];
  DWORD* ids = new DWORD[most];
  int count = 0;
  RM_UNIQUE_PROCESS named;
  for (LPCSTR text = list; *text != '\0' && NextInCloseList(text, named);) {
    ids[count] = named.dwProcessId;
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[count]);
    FILETIME started, ended, kernel, user;
    // One whose id another took since is left alone.
    if (process != NULL && GetProcessTimes(process, &started, &ended, &kernel, &user) &&
        started.dwHighDateTime == named.ProcessStartTime.dwHighDateTime &&
        started.dwLowDateTime == named.ProcessStartTime.dwLowDateTime)
      programs[count++] = process;
    else if (process != NULL)
      CloseHandle(process);
  }
  int code = kProgramsClosed;
  if (count > 0 && seconds > 0 && CCloseNoticeDlg(seconds, programs, count).DoModal() == -1)
    code = kExitNoDesktop;
  for (int i = 0; code == kProgramsClosed && i < count; ++i) AskToClose(ids[i]);
  const DWORD start = GetTickCount();
  for (int i = 0; i < count; ++i) {
    const DWORD spent = GetTickCount() - start;
    if (code == kProgramsClosed &&
        WaitForSingleObject(programs[i], spent < kAnswerTime ? kAnswerTime - spent : 0) !=
            WAIT_OBJECT_0)
      code = kProgramsStillRunning;
    CloseHandle(programs[i]);
  }
  delete[] programs;
  delete[] ids;
  return code;
}
