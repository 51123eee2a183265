#include "app/ExitCodes.h"

int ExitCodeOf(RemovalEnding ending, int failures) {
  switch (ending) {
    case kLocationDeclined:
      return kExitFolderRefused;
    case kRemovalBusy:
      return kExitBusy;
    case kDataNotSaved:
      return kExitDataNotSaved;
    case kRemovalCompleted:
      return failures == 0 ? kExitNothingLeft : kExitTracesLeft;
    case kRemovalNotRun:
    case kStartCancelled:
      break;
  }
  return kExitCancelled;
}
