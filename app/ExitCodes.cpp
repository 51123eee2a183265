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
