// The program's exit codes: Windows system error codes, so that deployment
// tools read them as they read an installer's: kExitNothingLeft as success,
// kExitRestartNeeded as success with a restart to come, kExitBusy as a retry.
#pragma once

const int kExitNothingLeft = 0;          // nothing of the product is left
const int kExitTracesFound = 1;          // /check: traces are present
const int kExitInvalidCommandLine = 87;  // ERROR_INVALID_PARAMETER; nothing changed
const int kExitDataNotSaved = 266;       // ERROR_CANNOT_COPY; nothing removed
const int kExitFolderRefused = 267;      // ERROR_DIRECTORY; nothing changed
const int kExitNoDesktop = 1459;         // ERROR_REQUIRES_INTERACTIVE_WINDOWSTATION
const int kExitCancelled = 1602;         // ERROR_INSTALL_USEREXIT; nothing changed
const int kExitTracesLeft = 1603;        // ERROR_INSTALL_FAILURE; the log lists them
const int kExitBusy = 1618;              // ERROR_INSTALL_ALREADY_RUNNING; nothing changed
const int kExitRestartNeeded = 3010;     // ERROR_SUCCESS_REBOOT_REQUIRED; the rest goes at restart

#include "app/RemoverDlg.h"

// The exit code of a Remove that ended as `ending` with `failures` entries
// left and `atRestart` entries that Windows deletes when it next starts.
int ExitCodeOf(RemovalEnding ending, int failures, int atRestart);

// How a run that ends with `code` is logged: success as information, a
// restart to come, a retry or traces found by /check as a warning, anything
// else as an error.
LogLevel LevelOf(int code);
