#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/closing/ProductPrograms.h"

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

// Its name, and who uses it where that is another account.
CString Named(const ProductProgram& program, const CString& currentUser) {
  if (program.user.IsEmpty() || program.user == currentUser) return program.name;
  return program.name + " (" + program.user + ")";
}

// Each once, one a line.
CString ProgramNames(CProductPrograms& programs, const CString& currentUser) {
  CString names;
  for (int i = 0; i < programs.GetSize(); ++i) {
    bool named = false;
    for (int j = 0; j < i; ++j)
      named = named || Named(programs[j], currentUser) == Named(programs[i], currentUser);
    if (!named) names += Named(programs[i], currentUser) + "\n";
  }
  return names;
}

// For the log: its program file, and its session where that is known.
CString Described(const ProductProgram& program) {
  if (!program.managed) return program.path;
  CString session = " (session " + DecimalText(program.session);
  if (!program.user.IsEmpty()) session += ", " + program.user;
  return program.path + session + ")";
}

bool Ended(HANDLE process, DWORD wait) {
  return process != NULL && WaitForSingleObject(process, wait) == WAIT_OBJECT_0;
}

// What is left of the shared time to close since `start`.
DWORD Left(DWORD start) {
  const DWORD spent = GetTickCount() - start;
  return spent < kCloseTime ? kCloseTime - spent : 0;
}

// Each window of the program's own desktop is asked to close.
void AskWindows(CProductPrograms& programs) {
  for (int i = 0; i < programs.GetSize(); ++i) {
    CloseRequest request = {programs[i].id, false};
    if (programs[i].process != NULL)
      EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
    programs[i].askedToClose = request.asked;
  }
}

}  // namespace

bool CRemoverDlg::CloseProductPrograms() {
  CProductPrograms programs;
  programs.Find(m_installPath);
  CRestartManager closer;
  CStringArray others;
  const bool managed = programs.FindUsers(closer, others);
  for (int i = 0; m_log && i < others.GetSize(); ++i)
    m_log->Line("Left running, not Kelmora's: " + others[i]);
  if (programs.GetSize() == 0) return true;
  if (!m_quiet) {
    const CString question = kRunningHeader + CString("\n\n") +
                             ProgramNames(programs, m_userName.Utf8()) + "\n" + kRunningFooter;
    if (AskUser(question, NULL, MB_OKCANCEL) == IDCANCEL) return false;
  } else if (m_noClose || m_defer) {
    // With /defer the deployment tool tries again later, when the room is free.
    for (int i = 0; i < programs.GetSize(); ++i)
      m_log->Line(
          (m_defer ? "Running, so nothing is changed (/defer): " : "Left running (/noclose): ") +
              Described(programs[i]),
          kWarning);
    if (m_defer) m_ending = kRemovalBusy;
    return !m_defer;
  }

  // One that has ended meanwhile is not asked, nor is another that took its id.
  for (int i = 0; i < programs.GetSize(); ++i) programs.OpenToClose(i);
  // All are asked at once and then share the time to close: through the
  // Restart Manager in every session, else on this desktop only.
  const DWORD start = GetTickCount();
  if (managed)
    closer.Shutdown(false);
  else
    AskWindows(programs);
  bool left = false;
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    // Through the Restart Manager it may have been asked without a window here.
    program.outcome = (managed || program.askedToClose) && Ended(program.process, Left(start))
                          ? "Closed: "
                          : NULL;
    left = left || (program.process != NULL && program.outcome == NULL);
  }
  if (managed && left) closer.Shutdown(true);
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    if (program.process == NULL)
      program.outcome = "Ended before it was closed: ";
    else if (program.outcome == NULL && managed && Ended(program.process, kEndTime))
      program.outcome = "Forced to close: ";
    else if (program.outcome == NULL)
      program.outcome = TerminateProcess(program.process, 1) && Ended(program.process, kEndTime)
                            ? "Ended, as it did not close: "
                            : "Could not be closed; what it holds goes when Windows restarts: ";
    if (m_log) m_log->Line(program.outcome + Described(program));
  }
  return true;
}
