// The unattended front end: the dialog's removal with no window, no message
// box and nobody to wait for; what the dialog would show goes to the log.
#pragma once

#include "app/CommandLine.h"

// Runs `/quiet` as the command line asks; returns the exit code.
int RunQuietRemoval(const CCommandLine& line);
