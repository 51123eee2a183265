#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "location/NewerWindowsCalls.h"
#include "removal/DecimalText.h"
#include "removal/closing/AskToClose.h"
#include "removal/closing/CloseInSession.h"
#include "removal/closing/CloseList.h"
#include "removal/closing/ProductPrograms.h"
#include "removal/closing/SessionUser.h"

namespace {

const char kRunningHeader[] =
    "These Kelmora programs are running and will be closed.  Work not saved in them will be "
    "lost:";
const char kRunningFooter[] = "Click OK to close them and continue, or Cancel to stop.";
// How long the programs have, together, to close when asked.
const DWORD kCloseTime = 10000;
// How long an ended program has to let go of its files.
const DWORD kEndTime = 5000;
// How long a copy in another session may take to start, beyond its notice
// and the programs' answer.
const DWORD kCopyStartTime = 30000;
const char kClosed[] = "Closed: ";
const char kLeftRunning[] = "Left running, as nobody could ask it to close in its session: ";

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

// A session: its number, and who is signed in to it.
CString SessionText(const ProductProgram& program) {
  CString session = "session " + DecimalText(program.session);
  if (!program.user.IsEmpty()) session += ", " + program.user;
  return session;
}

// For the log: its program file, and its session where that is known.
CString Described(const ProductProgram& program) {
  if (!program.managed) return program.path;
  return program.path + " (" + SessionText(program) + ")";
}

bool Ended(HANDLE process, DWORD wait) {
  return process != NULL && WaitForSingleObject(process, wait) == WAIT_OBJECT_0;
}

// What is left of the shared time to close since `start`.
DWORD Left(DWORD start) {
  const DWORD spent = GetTickCount() - start;
  return spent < kCloseTime ? kCloseTime - spent : 0;
}

// This program's session; 0 where Windows has none to tell.
DWORD OwnSession() {
  DWORD session = 0;
  return SessionOfProcess(GetCurrentProcessId(), &session) ? session : 0;
}

// Running in another session: where the Restart Manager named it, a copy of
// this program asks it there; else nothing here can ask it. Any other is
// asked from here.
bool Elsewhere(const ProductProgram& program, DWORD own) {
  return program.process != NULL && program.session != own;
}

// The first program of `index`'s session, which holds the copy asking there.
int FirstOfSession(CProductPrograms& programs, int index, DWORD own) {
  int first = 0;
  while (!Elsewhere(programs[first], own) || !programs[first].managed ||
         programs[first].session != programs[index].session)
    ++first;
  return first;
}

// One copy in each other session, naming the programs there.
void StartCopies(CProductPrograms& programs, DWORD own, DWORD closeWait, CRemovalLog* log) {
  for (int i = 0; i < programs.GetSize(); ++i) {
    if (!Elsewhere(programs[i], own) || !programs[i].managed ||
        FirstOfSession(programs, i, own) != i)
      continue;
    CString list;
    for (int j = i; j < programs.GetSize(); ++j)
      if (Elsewhere(programs[j], own) && programs[j].managed &&
          programs[j].session == programs[i].session)
        AddToCloseList(list, programs[j].unique);
    programs[i].copy = StartInSession(
        programs[i].session, "/closeinsession " + list + " /closewait " + DecimalText(closeWait));
    if (log && programs[i].copy)
      log->Line("Kelmora is asked to close in " + SessionText(programs[i]) +
                ", after a notice of " + DecimalText(closeWait) + " seconds.");
  }
}

// Waits for each copy's report; one that does not end in its time is ended.
void WaitForCopies(CProductPrograms& programs, DWORD closeWait) {
  const DWORD time = closeWait * 1000 + kAnswerTime + kCopyStartTime;
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    if (program.copy != NULL && !Ended(program.copy, time)) TerminateProcess(program.copy, 1);
    if (program.copy != NULL && !GetExitCodeProcess(program.copy, &program.copyReport))
      program.copyReport = STILL_ACTIVE;
  }
}

LPCSTR EndedOrLeft(HANDLE process) {
  return TerminateProcess(process, 1) && Ended(process, kEndTime)
             ? "Ended, as it did not close: "
             : "Could not be closed; what it holds goes when Windows restarts: ";
}

// After its session's copy: ended only once its user was told and it was asked.
LPCSTR OutcomeElsewhere(const ProductProgram& program, DWORD report) {
  if (Ended(program.process, 0)) return kClosed;
  if (report != kProgramsClosed && report != kProgramsStillRunning) return kLeftRunning;
  return EndedOrLeft(program.process);
}

}  // namespace

bool CRemoverDlg::CloseProductPrograms() {
  CProductPrograms programs;
  programs.Find(m_installPath);
  CStringArray others;
  bool managed = programs.FindUsers(others);
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
  // The notices in other sessions take longest: they start first.
  const DWORD own = OwnSession();
  for (int i = 0; i < programs.GetSize(); ++i)
    if (!programs[i].managed && !SessionOfProcess(programs[i].id, &programs[i].session))
      programs[i].session = own;
  StartCopies(programs, own, m_closeWait, m_log);
  // Those here are asked at once and then share the time to close: through
  // the Restart Manager, in a session that holds only them, else on this
  // desktop.
  CRestartManager closer;
  managed = managed && closer.Start();
  for (int i = 0; i < programs.GetSize(); ++i)
    if (programs[i].process != NULL && !Elsewhere(programs[i], own))
      managed = managed && closer.AddProcess(programs[i].unique);
  // Asked once more, now that the session holds the processes themselves.
  RM_PROCESS_INFO* held = NULL;
  UINT heldCount = 0;
  managed = managed && closer.List(held, heldCount);
  delete[] held;
  const DWORD start = GetTickCount();
  for (int i = 0; !managed && i < programs.GetSize(); ++i)
    programs[i].askedToClose =
        programs[i].process != NULL && !Elsewhere(programs[i], own) && AskToClose(programs[i].id);
  if (managed) closer.Shutdown(false);
  bool left = false;
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    if (program.process == NULL || Elsewhere(program, own)) continue;
    // Through the Restart Manager it may have been asked without a window here.
    program.outcome =
        (managed || program.askedToClose) && Ended(program.process, Left(start)) ? kClosed : NULL;
    left = left || program.outcome == NULL;
  }
  if (managed && left) closer.Shutdown(true);
  WaitForCopies(programs, m_closeWait);
  for (int i = 0; i < programs.GetSize(); ++i) {
    ProductProgram& program = programs[i];
    if (program.process == NULL)
      program.outcome = "Ended before it was closed: ";
    else if (Elsewhere(program, own))
      program.outcome =
          program.managed
              ? OutcomeElsewhere(program, programs[FirstOfSession(programs, i, own)].copyReport)
              : kLeftRunning;
    else if (program.outcome == NULL && managed && Ended(program.process, kEndTime))
      program.outcome = "Forced to close: ";
    else if (program.outcome == NULL)
      program.outcome = EndedOrLeft(program.process);
    // One ended, or left running, is the administrator's to know of.
    const bool calm = program.outcome == kClosed || program.process == NULL;
    if (m_log) m_log->Line(program.outcome + Described(program), calm ? kInfo : kWarning);
  }
  return true;
}
