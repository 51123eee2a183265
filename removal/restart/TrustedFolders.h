// Windows carries out the deletes left to the restart by name, through any
// link on the way, and a link leads wherever whoever made it chose. So what
// is trusted is what only SYSTEM, Administrators, TrustedInstaller and the
// account running the removal could have changed, judged from owner and DACL.
#pragma once

#include "removal/WidePath.h"

// Renaming or deleting a folder (or what it holds), changing its permissions
// or taking it over: what lets someone put a link in a name's place.
const DWORD kChangeRights = DELETE | WRITE_DAC | WRITE_OWNER | FILE_DELETE_CHILD | GENERIC_ALL;
// Besides: adding to a folder (a link made there), or rewriting a link.
const DWORD kMakeRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | GENERIC_WRITE;

// What lets someone change a key: its values (a record pointing elsewhere),
// its sub-keys and links, itself, its permissions or owner.
const DWORD kKeyChangeRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                               WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// True when the key held open (with READ_CONTROL) has a trusted owner and
// grants none of kKeyChangeRights to anyone else.
bool OnlyTrustedMayKey(HKEY key);
// True when the entry held open (with READ_CONTROL) has a trusted owner and
// grants none of `rights` to anyone else.
bool OnlyTrustedMayHeld(HANDLE entry, DWORD rights);
// True when the entry at `path` ("\\?\C:\...", a link judged as itself) has
// a trusted owner and grants none of `rights` to anyone else; when `link` is
// false, a link there is not trusted either (what it leads to is unjudged).
bool OnlyTrustedMay(const CWidePath& path, DWORD rights, bool link);
// True when every folder from the volume root down to the one holding
// `path` is a plain folder that only trusted accounts may change, the last
// one granting no one else `holderRights` either.
bool OnlyTrustedAbove(const CWidePath& path, DWORD holderRights);
// True when no one but a trusted account could have made the link at `link`
// or changed where it leads: the folder holding it and those above it, and
// the link itself.
bool LinkMadeByTrusted(const CWidePath& link);
