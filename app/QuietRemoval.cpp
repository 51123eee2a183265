#include "app/QuietRemoval.h"

#include "app/ExitCodes.h"
#include "app/LocalSystem.h"
#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "location/ProtectedFolders.h"
#include "removal/DecimalText.h"

namespace {

// `path` made full now: the removal moves the current directory.
CWidePath FullPath(const CString& path) {
  CWidePath full = CWidePath::FromUtf8(path);
  return full.Extend() ? full.Unextended() : full;
}

// Settles the install folder and where the data goes; false when the run
// must end here, with `code`.
bool Prepare(const CCommandLine& line, CRemoverDlg& remover, CRemovalLog& log, int& code) {
  // SYSTEM's desktop is the system profile's, where nobody finds the pupils' data.
  if (line.saveTo.IsEmpty() && !line.noSave && RunsAsLocalSystem()) {
    log.Line("As SYSTEM, give /saveto DIR or /nosave. Nothing was changed.", kError);
    code = kExitInvalidCommandLine;
    return false;
  }
  remover.ReadSystemFacts();
  // What the shortcut steps go by.
  CString system =
      "Windows " + DecimalText(remover.m_osMajor) + "." + DecimalText(remover.m_osMinor);
  if (!remover.m_userName.IsEmpty()) system += ", user " + remover.m_userName.Utf8();
  log.Line(system + ".");
  remover.m_installPath = remover.FindInstallPath();
  if (remover.m_recordDistrusted) {
    log.Line("Install folder not taken, as others than administrators may change its record: " +
                 remover.m_unreachedFolder,
             kError);
  } else if (!remover.m_unreachedFolder.IsEmpty()) {
    log.Line("Install folder not reached: " + remover.m_unreachedFolder, kError);
  }
  if (!line.folder.IsEmpty()) {
    // The checks of a folder the user picks; nobody is there to confirm one
    // without the product's marker.
    CWidePath folder = CWidePath::FromUtf8(line.folder);
    log.Line("Install folder given: " + line.folder);
    if (!remover.ConfirmLocation(folder)) {
      log.Line("The folder is refused; nothing was changed.", kError);
      code = kExitFolderRefused;
      return false;
    }
    remover.m_installPath = folder;
    log.Line("Install folder: " + folder.Utf8() + " (given with /folder)");
  } else if (remover.m_installPath.IsEmpty()) {
    log.Line("No install folder found; the removal runs without one.");
  } else {
    log.Line("Install folder: " + remover.m_installPath.Utf8() + " (found at start)");
  }
  remover.m_givenLocation = remover.m_installPath;

  // The registry backup goes beside the log unless the data's folder takes it.
  remover.m_backupFolder = FullPath(log.File()).Parent();
  if (!line.regBackup.IsEmpty()) remover.m_backupFile = FullPath(line.regBackup);
  remover.m_allUsers = line.allUsers;
  remover.m_noClose = line.noClose;
  remover.m_defer = line.defer;
  remover.m_closeWait = line.closeWait;
  remover.m_givenSave = !line.noSave;
  if (!line.saveTo.IsEmpty()) {
    // Placed now: the copy moves the current directory. Judged by what the
    // name leads to, as the install folder is: a short name or a link may
    // lead inside it.
    if (!FullFolderPath(CWidePath::FromUtf8(line.saveTo), remover.m_saveParent) ||
        MayLieInside(remover.m_saveParent, remover.m_installPath)) {
      log.Line("The student data cannot be saved in " + line.saveTo +
                   ", which the removal would erase; nothing was removed.",
               kError);
      code = kExitDataNotSaved;
      return false;
    }
    log.Line("The student data goes into " + remover.m_saveParent.Utf8());
  }
  return true;
}

const char* OutcomeText(int code) {
  switch (code) {
    case kExitNothingLeft:
      return "Nothing of Kelmora is left.";
    case kExitRestartNeeded:
      return "Kelmora has been removed; Windows removes the rest when the computer restarts.";
    case kExitTracesLeft:
      return "The removal left traces of Kelmora, listed above.";
    case kExitBusy:
      return "Nothing was changed; try again later.";
    case kExitDataNotSaved:
      return "The student data could not all be saved; nothing was removed.";
  }
  return "Nothing was changed.";
}

int RemoveQuietly(const CCommandLine& line, CRemovalLog& log) {
  // The dialog's object runs the removal without ever making its window.
  CRemoverDlg remover;
  remover.m_log = &log;
  remover.m_quiet = true;
  int code = 0;
  if (!Prepare(line, remover, log, code)) return code;

  remover.OnOK();

  if (!remover.m_savedFolder.IsEmpty()) {
    log.Line("Student data saved in " + remover.m_savedFolder + ": " +
             DecimalText(remover.m_filesCopied) + " files.");
  }
  code = ExitCodeOf(remover.m_ending, remover.m_failures.GetSize(),
                    remover.m_removedAtRestart.GetSize());
  log.Line(OutcomeText(code), LevelOf(code));
  return code;
}

}  // namespace

int RunQuietRemoval(const CCommandLine& line) {
  CRemovalLog log;
  log.Open(line.logFile);
  log.Start(CommandLineText());
  const int code = RemoveQuietly(line, log);
  log.Line("Exit code " + DecimalText(code) + ".", LevelOf(code));
  return code;
}
