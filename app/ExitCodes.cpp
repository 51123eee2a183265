#include "app/ExitCodes.h"

int ExitCodeOf(RemovalEnding ending, int failures, int atRestart) {
  switch (ending) {
    case kLocationDeclined:
      return kExitFolderRefused;
    case kRemovalBusy:
      return kExitBusy;
    case kDataNotSaved:
      return kExitDataNotSaved;
    case kRemovalCompleted:
      if (failures > 0) return kExitTracesLeft;
      return atRestart > 0 ? kExitRestartNeeded : kExitNothingLeft;
    case kRemovalNotRun:
    case kStartCancelled:
      break;
  }
  return kExitCancelled;
}

LogLevel LevelOf(int code) {
  if (code == kExitNothingLeft) return kInfo;
  return code == kExitRestartNeeded || code == kExitBusy || code == kExitTracesFound ? kWarning
                                                                                     : kError;
}
