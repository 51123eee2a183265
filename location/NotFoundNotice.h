// What the location box shows when no install folder was found at start: a
// notice, not a folder.
#pragma once

const char kNotFoundLocation[] = "KM Folder Not Found.";
