// The floor of the removal's calls: the same safe work done bare, on the
// calls a program that must not follow a pupil's link cannot do without.
// Each entry is opened once relative to its folder's handle (never by a
// name a pupil could swap), listed, read, written and deleted through that
// handle. Written against the program's one Windows header, so that it runs
// on the simulated machine, where its calls are counted.
#pragma once

#include <string>

#include "platform/Win32.h"

// The install folder through the registry, taken when its marker is there.
bool FloorFindInstallFolder(std::wstring& folder);
// A bare main dialog that finds the install folder at start and shows it.
void FloorDialog();
// A special folder, by CSIDL.
std::wstring FloorSpecialFolder(int csidl);
// Copies the folder `source` into a new folder `destination`; false when
// either cannot be opened or made.
bool FloorCopy(const std::wstring& source, const std::wstring& destination);
// Deletes the folder and everything in it; false when it cannot be opened.
bool FloorDelete(const std::wstring& folder);
// Deletes the product's shortcuts on a desktop and in a Start Menu, and its
// program folder there.
void FloorDeleteShortcuts(const std::wstring& desktop, const std::wstring& startMenu);
// Writes the product's registry entries to `backup`, then deletes them.
void FloorRegistry(const std::wstring& backup);
