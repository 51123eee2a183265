#include "app/RemoverApp.h"

#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/QuietRemoval.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "app/TraceCheck.h"
#include "app/VisibleDesktop.h"
#include "location/SystemLibrary.h"
#include "removal/DecimalText.h"
#include "removal/closing/CloseInSession.h"

namespace {

const char kUsage[] =
    "RemoveKM.exe [/quiet [/nosave | /saveto DIR] [/folder DIR] [/log FILE] [/allusers] "
    "[/noclose] [/defer] [/regbackup FILE] [/closewait SECONDS]]\n"
    "RemoveKM.exe /check [/folder DIR] [/log FILE]\n"
    "Without /quiet the dialog opens. /quiet removes Kelmora with no window: the student data "
    "goes to the desktop, into DIR (/saveto; needed as SYSTEM) or nowhere (/nosave); /allusers "
    "takes every profile's shortcuts; /noclose leaves Kelmora's programs running, /defer then "
    "changes nothing; a pupil's Kelmora closes after a notice of SECONDS (60; 0 for none); the "
    "registry entries are first saved to a .reg file (FILE with /regbackup). /check lists what "
    "is left. Log: FILE or %WINDIR%\\Logs\\RemoveKM.log.\n"
    "Exit codes: 0 nothing left; 1 traces found (/check); 87 invalid command line; 266 data not "
    "saved; 267 folder refused; 1459 no desktop; 1603 traces left, see the log; 1618 busy, try "
    "again later; 3010 restart to finish.\n";

}  // namespace

CRemoverApp theApp;

CRemoverApp::CRemoverApp() : CWinApp(NULL), m_exitCode(0) {}

BOOL CRemoverApp::InitInstance() {
  // Before anything can load a DLL by its bare name.
  LoadFromSystemFolderOnly();
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
    case kRunCloseInSession:
      m_exitCode = CloseInSession(line.closeInSession, line.closeWait);
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
  log.OpenAtFirstEvent("");
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
    log.Line("No desktop for the dialog. Exit code 1459.", kError);
    return kExitNoDesktop;
  }
  const int code = result != IDOK ? kExitCancelled
                                  : ExitCodeOf(dialog.m_ending, dialog.m_failures.GetSize(),
                                               dialog.m_removedAtRestart.GetSize());
  log.Line("Exit code " + DecimalText(code) + ".", LevelOf(code));
  return code;
}
