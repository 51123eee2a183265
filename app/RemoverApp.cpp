#include "app/RemoverApp.h"

#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/QuietRemoval.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "app/TraceCheck.h"
#include "app/VisibleDesktop.h"
#include "removal/DecimalText.h"

namespace {

const char kUsage[] =
    "RemoveKM.exe\n"
    "    opens the Kelmora Manual Uninstaller.\n"
    "RemoveKM.exe /quiet [/nosave | /saveto DIR] [/folder DIR] [/log FILE] [/allusers] "
    "[/noclose] [/defer]\n"
    "    removes Kelmora with no window and no question. The student data is saved to the "
    "desktop, into DIR with /saveto, or not at all with /nosave. /folder names the install "
    "folder; /allusers also removes the shortcuts of every user profile. Kelmora's running "
    "programs are closed first; /noclose leaves them running; /defer changes nothing while "
    "one runs (exit code 1618). As SYSTEM, give /saveto or /nosave.\n"
    "RemoveKM.exe /check [/folder DIR] [/log FILE]\n"
    "    lists what is left of Kelmora and changes nothing.\n"
    "RemoveKM.exe /?\n"
    "    shows this text.\n"
    "The log is appended to FILE, or to %WINDIR%\\Logs\\RemoveKM.log.\n\n"
    "Exit codes: 0 nothing of Kelmora is left; 1 traces found by /check; 87 invalid command "
    "line; 266 the student data could not be saved, nothing removed; 267 the folder was "
    "refused, nothing changed; 1459 no desktop for the dialog; 1603 traces were left, see the "
    "log; 1618 another removal or a Kelmora program (/defer) is running, nothing changed, try "
    "again later; 3010 removed, restart the computer to finish.\n";

}  // namespace

CRemoverApp theApp;

CRemoverApp::CRemoverApp() : CWinApp(NULL), m_exitCode(0) {}

BOOL CRemoverApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  const CCommandLine line = ParseCommandLine(CommandLineText());
  // Where nobody sees the desktop (a service, session 0), a window would wait
  // for ever for a click: none is opened, and the log says why.
  const bool visible = DesktopIsVisible();
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  switch (line.mode) {
    case kRunDialog:
      m_exitCode = RunDialog(visible);
      break;
    case kRunQuiet:
      m_exitCode = RunQuietRemoval(line);
      break;
    case kRunCheck:
      m_exitCode = RunTraceCheck(line);
      break;
    case kRunUsage:
      // A caller that redirected the output reads the text there.
      if (output != NULL && output != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(output, kUsage, sizeof kUsage - 1, &written, NULL);
      } else if (visible) {
        MessageBoxA(NULL, kUsage, GetAppName(), MB_OK);
      }
      m_exitCode = kExitNothingLeft;
      break;
    case kRunInvalid:
      if (!line.quiet && visible) MessageBoxA(NULL, kUsage, GetAppName(), MB_OK | MB_ICONERROR);
      m_exitCode = kExitInvalidCommandLine;
      break;
  }
  if (line.mode == kRunInvalid && (line.quiet || !visible)) {
    CRemovalLog log;
    log.Open(line.logFile);
    log.Start(CommandLineText());
    log.Line("Invalid command line: " + line.problem + ". Exit code 87.", kError);
  }
  // No message loop: the program ends here.
  return FALSE;
}

int CRemoverApp::RunDialog(bool visible) {
  CRemovalLog log;
  log.Open("");
  log.Start(CommandLineText());
  CRemoverDlg dialog;
  dialog.m_log = &log;
  m_pMainWnd = &dialog;
  const INT_PTR result = visible ? dialog.DoModal() : -1;
  // The dialog dies with this call; nothing may reach it through the
  // application afterwards.
  m_pMainWnd = NULL;
  // Without a desktop (run as a service) the dialog cannot open at all.
  if (result == -1) {
    log.Line("No desktop to show the dialog on: give /quiet. Exit code 1459.", kError);
    return kExitNoDesktop;
  }
  const int code = result != IDOK ? kExitCancelled
                                  : ExitCodeOf(dialog.m_ending, dialog.m_failures.GetSize(),
                                               dialog.m_removedAtRestart.GetSize());
  log.Line("Exit code " + DecimalText(code) + ".", LevelOf(code));
  return code;
}
