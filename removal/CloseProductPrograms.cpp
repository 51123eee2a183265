#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/ProductPrograms.h"

namespace {

const char kRunningHeader[] =
    "These Kelmora programs are running and will be closed.  Work not saved in them will be "
    "lost:";
const char kRunningFooter[] = "Click OK to close them and continue, or Cancel to stop.";
// How long the programs have, together, to close when asked.
const DWORD kCloseTime = 10000;
// How long an ended program has to let go of its files.
const DWORD kEndTime = 5000;

struct CloseRequest {
  DWORD id;
  bool asked;
};

BOOL CALLBACK AskWindowToClose(HWND window, LPARAM param) {
  CloseRequest& request = *reinterpret_cast<CloseRequest*>(param);
  DWORD owner = 0;
  if (GetWindowThreadProcessId(window, &owner) && owner == request.id && IsWindowVisible(window) &&
      PostMessageA(window, WM_CLOSE, 0, 0))
    request.asked = true;
  return TRUE;
}

// Each name once, one a line.
CString ProgramNames(CProductPrograms& programs) {
  CString names;
  for (int i = 0; i < programs.GetSize(); ++i) {
    bool named = false;
    for (int j = 0; j < i; ++j) named = named || programs[j].name == programs[i].name;
    if (!named) names += programs[i].name + "\n";
  }
  return names;
}

bool Ended(HANDLE process, DWORD wait) {
  return process != NULL && WaitForSingleObject(process, wait) == WAIT_OBJECT_0;
}

}  // namespace

bool CRemoverDlg::CloseProductPrograms() {
  CProductPrograms programs;
  programs.Find(m_installPath);
  if (programs.GetSize() == 0) return true;
  if (m_log == NULL) {
    const CString question =
        kRunningHeader + CString("\n\n") + ProgramNames(programs) + "\n" + kRunningFooter;
    if (AskUser(question, NULL, MB_OKCANCEL) == IDCANCEL) return false;
  } else if (m_noClose) {
    for (int i = 0; i < programs.GetSize(); ++i)
      m_log->Line("Left running (/noclose): " + programs[i].path);
    return true;
  }

  // All are asked at once and then share the time to close.
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    // One that has ended meanwhile is not asked, nor is another that took its id.
    if (!programs.OpenToClose(i)) continue;
    CloseRequest request = {program.id, false};
    EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
    program.askedToClose = request.asked;
  }
  const DWORD start = GetTickCount();
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    const DWORD spent = GetTickCount() - start;
    CString outcome = "Closed: ";
    if (program.process == NULL) {
      if (m_log) m_log->Line("Ended before it was closed: " + program.path);
      continue;
    }
    if (!program.askedToClose ||
        !Ended(program.process, spent < kCloseTime ? kCloseTime - spent : 0)) {
      outcome = TerminateProcess(program.process, 1) && Ended(program.process, kEndTime)
                    ? "Ended, as it did not close: "
                    : "Could not be closed; what it holds goes when Windows restarts: ";
    }
    if (m_log) m_log->Line(outcome + program.path);
  }
  return true;
}
