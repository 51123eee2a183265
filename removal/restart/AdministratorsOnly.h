// Windows carries out the deletes left to the restart by name, as SYSTEM,
// and follows a link anywhere on a path but at its end. Whoever may still
// change a folder on such a path (a pupil in their own folder of Students)
// could put a link there and steer the delete elsewhere.
#pragma once

#include "removal/held/HeldEntry.h"

// The owners and DACLs a lock found, each kept with its folder held, so that
// they can be put back whatever the folders' names lead to meanwhile.
class CKeptSecurity {
 public:
  CKeptSecurity() : m_first(NULL) {}
  ~CKeptSecurity() { Release(); }
  CKeptSecurity(const CKeptSecurity&) = delete;
  CKeptSecurity& operator=(const CKeptSecurity&) = delete;

  // Reads the owner and DACL of `folder` (held with READ_CONTROL) and takes
  // its handle over; returns the folder held, NULL when they cannot be read.
  CHeldEntry* Keep(CHeldEntry& folder);
  // Each folder gets its DACL back, and its owner where Windows lets an
  // administrator give it (to another account only with the restore
  // privilege), and is let go. False when a DACL could not be put back.
  bool PutBack();
  // Lets go of the folders, left as they are.
  void Release();

 private:
  struct Kept;
  Kept* m_first;
};

// Makes `folder` (a "\\?\" path) and every folder inside it Administrators'
// own, with a DACL that grants SYSTEM and Administrators alone and takes
// nothing from above. Each folder is made so before it is listed, so that
// no name inside it can change afterwards; links inside are not entered.
// With `kept`, what each folder had is kept there first. False when any of
// them could not be made so, or listed whole.
bool MakeAdministratorsOnly(const CWidePath& folder, CKeptSecurity* kept = NULL);
