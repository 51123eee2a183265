#include "app/RemoverApp.h"

#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/QuietRemoval.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "app/TraceCheck.h"
#include "removal/closing/CloseInSession.h"

namespace {

const char kUsage[] =
    "RemoveKM.exe\n"
    "    opens the Kelmora Manual Uninstaller.\n"
    "RemoveKM.exe /quiet [/nosave | /saveto DIR] [/folder DIR] [/log FILE] [/allusers] "
    "[/noclose] [/closewait SECONDS]\n"
    "    removes Kelmora with no window and no question. The student data is saved to the "
    "desktop, into DIR with /saveto, or not at all with /nosave. /folder names the install "
    "folder; /allusers also removes the shortcuts of every user profile. Kelmora's running "
    "programs are closed first; /noclose leaves them running. A pupil's Kelmora closes after "
    "a notice of SECONDS (60; 0 for none).\n"
    "RemoveKM.exe /check [/log FILE]\n"
    "    lists what is left of Kelmora and changes nothing.\n"
    "RemoveKM.exe /?\n"
    "    shows this text.\n"
    "The log is appended to FILE, or to %WINDIR%\\Logs\\RemoveKM.log.\n\n"
    "Exit codes: 0 nothing of Kelmora is left; 1 traces found by /check; 87 invalid command "
    "line; 266 the student data could not be saved, nothing removed; 267 the folder was "
    "refused, nothing changed; 1603 traces were left, see the log; 1618 another removal is "
    "running, try again later; 3010 removed, restart the computer to finish.";

}  // namespace

CRemoverApp theApp;

CRemoverApp::CRemoverApp() : CWinApp(NULL), m_exitCode(0) {}

BOOL CRemoverApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  const CCommandLine line = ParseCommandLine(CommandLineText());
  switch (line.mode) {
    case kRunDialog:
      m_exitCode = RunDialog();
      break;
    case kRunQuiet:
      m_exitCode = RunQuietRemoval(line);
      break;
    case kRunCheck:
      m_exitCode = RunTraceCheck(line);
      break;
    case kRunCloseInSession:
      m_exitCode = CloseInSession(line.closeInSession, line.closeWait);
      break;
    case kRunUsage:
      MessageBoxA(NULL, kUsage, GetAppName(), MB_OK);
      m_exitCode = kExitNothingLeft;
      break;
    case kRunInvalid:
      if (line.quiet) {
        CRemovalLog log;
        log.Open(line.logFile);
        log.Start(line.arguments);
        log.Line("Invalid command line: " + line.problem + ". Exit code 87.");
      } else {
        MessageBoxA(NULL, kUsage, GetAppName(), MB_OK | MB_ICONERROR);
      }
      m_exitCode = kExitInvalidCommandLine;
      break;
  }
  // No message loop: the program ends here.
  return FALSE;
}

int CRemoverApp::RunDialog() {
  CRemoverDlg dialog;
  m_pMainWnd = &dialog;
  const INT_PTR result = dialog.DoModal();
  // The dialog dies with this call; nothing may reach it through the
  // application afterwards.
  m_pMainWnd = NULL;
  // Without a desktop (run as a service) the dialog cannot open at all.
  if (result == -1) return kExitNoDesktop;
  if (result != IDOK) return kExitCancelled;
  return ExitCodeOf(dialog.m_ending, dialog.m_failures.GetSize(),
                    dialog.m_removedAtRestart.GetSize());
}
