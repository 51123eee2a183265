// The program's command line:
//   RemoveKM.exe                        the dialog
//   RemoveKM.exe /quiet [/nosave | /saveto DIR] [/folder DIR] [/log FILE] [/allusers] [/noclose]
//                [/regbackup FILE]
//                [/defer] [/closewait SECONDS]
//   RemoveKM.exe /check [/log FILE]
//   RemoveKM.exe /?
//   RemoveKM.exe /closeinsession ID:HIGH:LOW,... [/closewait SECONDS]
//                                       the removal's copy in another session
// Switches start with "/" or "-", in any case; /q, /qn, /s and /silent are
// /quiet. A value is the next argument; one that starts like a switch is
// missing. Switches of the removal need /quiet; /check takes only /log and
// /folder. /norestart is taken and does nothing: admins add it by habit.
// The whole line is read before anything is refused.
#pragma once

#include "platform/Afx.h"

enum RunMode { kRunDialog, kRunQuiet, kRunCheck, kRunUsage, kRunInvalid, kRunCloseInSession };

// Its texts are UTF-8, so that a folder the code page cannot spell is given whole.
struct CCommandLine {
  RunMode mode;
  // Also set on an invalid command line, as far as it was read: its refusal
  // is then logged, and shown only when /quiet was not asked for.
  bool quiet;
  bool noSave;
  bool allUsers;
  bool noClose;
  bool defer;              // change nothing while one of the product's programs runs
  DWORD closeWait;         // seconds of the notice in another session
  CString closeInSession;  // the programs its copy there closes
  CString saveTo;
  CString folder;
  CString logFile;
  CString regBackup;
  CString problem;  // why it is invalid
};

// Reads a whole command line in UTF-8, program name first, splitting it by
// the C runtime's rules for blanks, quotes and backslashes.
CCommandLine ParseCommandLine(LPCSTR commandLine);

// This process's command line whole, in UTF-8 (GetCommandLineW; in the code
// page's spelling where Windows lacks that call).
CString CommandLineText();
