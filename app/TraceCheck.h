// `/check`: lists every trace of the product that is present, in the final
// report's own forms, and changes nothing.
#pragma once

#include "app/CommandLine.h"

// Returns the exit code: 0 when nothing is present, 1 when something is.
int RunTraceCheck(const CCommandLine& line);
