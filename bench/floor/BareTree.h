// The folder-tree walks of the floor programs: the platform calls that
// RemoveKM's removal makes, with nothing around them.
#pragma once

#include <windows.h>

#include <string>

// Copies the files and folders of `source` into the existing folder
// `destination`, file by file (CreateDirectoryA, CopyFileA fail-if-exists).
// Returns the number of files copied.
long CopyTreeBare(const std::string& source, const std::string& destination);

// Called for each file just before it is deleted, with its full path and the
// attributes its folder's listing gave.
typedef void (*FileHook)(const std::string& path, DWORD attributes);

// Deletes the folder `path` and everything in it: FindFirstFileA,
// DeleteFileA, RemoveDirectoryA. Returns the number of files deleted.
long DeleteTreeBare(const std::string& path, FileHook hook = NULL);
