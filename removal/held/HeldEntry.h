// An entry of a tree that a pupil may change, held open as itself. What it is
// comes from its handle, what lies inside it is opened relative to that
// handle, and what is done to it is done through the handle: no name below
// the top is looked up twice, so a pupil who swaps a folder for a link, or
// turns an empty one into a mount point, meanwhile steers nothing.
#pragma once

#include "removal/WidePath.h"

// Far deeper than any work a pupil saves; a walk this deep takes about a
// third of a megabyte of the program's stack.
const int kDeepestLevel = 256;

class CHeldEntry {
 public:
  CHeldEntry() : m_handle(INVALID_HANDLE_VALUE), m_attributes(0), m_tag(0), m_depth(0) {}
  ~CHeldEntry() { Close(); }
  CHeldEntry(const CHeldEntry&) = delete;
  CHeldEntry& operator=(const CHeldEntry&) = delete;

  // Opens the entry a full path names, a link as itself, shared for reading
  // and writing but not for deleting (so it cannot be renamed while held).
  bool Open(const CWidePath& path, ACCESS_MASK access);
  // Opens the entry `name` (`length` characters) of the folder `parent`
  // holds, the same way, with the attributes its listing gave. One listed as
  // a reparse point that opens as none is not the entry listed (a system
  // that followed the link): it is refused. So is one deeper than
  // kDeepestLevel below the entry first opened by its path: every walk
  // recurses once a level, and a pupil can nest folders past any stack.
  // `options` may add FILE_DIRECTORY_FILE.
  NTSTATUS OpenIn(const CHeldEntry& parent, LPCWSTR name, int length, DWORD listed,
                  ACCESS_MASK access, ULONG options = 0);
  // A file that is a reparse point but no link (deduplicated, a cloud file,
  // HSM) gives, opened as itself, the stub its file system filter keeps,
  // not its data. Such a file `name` of `parent`, held, is opened again
  // through its filter for `access`, and that handle is kept only when it
  // is the same file (by volume and file id): a pupil who swapped the name
  // meanwhile has nothing read. 0 also for any other entry, left as it is.
  NTSTATUS ReadThroughFilter(const CHeldEntry& parent, LPCWSTR name, int length,
                             ACCESS_MASK access);
  // Makes the folder or file `name` in the folder `parent` holds, and holds
  // it for filling, or a file for `access` when that is given: one that is
  // there already is never taken, whatever it is. With `security` (self-
  // relative) it gets that descriptor instead of what it would inherit.
  // False with the last error set when it cannot be made.
  bool CreateIn(const CHeldEntry& parent, LPCWSTR name, int length, bool folder,
                ACCESS_MASK access = 0, PSECURITY_DESCRIPTOR security = NULL);
  // Each holds what the other held.
  void Swap(CHeldEntry& other);
  // What lies below counts its levels from here, as below an entry opened
  // by its path.
  void CountLevelsFromHere() { m_depth = 0; }
  HANDLE Handle() const { return m_handle; }
  // A junction or symbolic link, by the rule of the listings.
  bool IsLink() const;
  // A folder that is no link: one whose contents belong to it.
  bool IsFolder() const;
  // Deletes the entry (a link as a link); needs DELETE and
  // FILE_WRITE_ATTRIBUTES. Where Windows has them (10 1809 on, NTFS), with
  // POSIX semantics: the name goes at once, even while a program that shares
  // deleting (a virus scanner, an Explorer window) still holds the entry, so
  // that its folder can follow. Elsewhere it is only marked, and goes when
  // the last handle closes. `posix` is cleared once this Windows has shown
  // it has none, so that it is not asked again. A read-only entry loses that
  // attribute only when it goes with it: never a file that has other names
  // (a hard link). With `readOnlyToo` false, a read-only entry stays, as
  // DeleteFileW leaves one (ERROR_ACCESS_DENIED).
  bool Delete(bool& posix, bool readOnlyToo = true);
  // Clears a file's read-only attribute where the file has no other name
  // (a hard link would keep the change); needs FILE_WRITE_ATTRIBUTES.
  // True when it is clear now.
  bool ClearReadOnly();
  // Gives a read-only entry its attributes back, as they were when opened.
  void KeepReadOnly();
  void Close();

 private:
  // Opens or makes `name` of `parent`; a reparse point as itself unless
  // `throughFilter`.
  NTSTATUS Make(const CHeldEntry& parent, LPCWSTR name, int length, ACCESS_MASK access,
                ULONG disposition, ULONG options, bool throughFilter = false,
                PSECURITY_DESCRIPTOR security = NULL);
  NTSTATUS Learn(NTSTATUS opened);

  HANDLE m_handle;
  DWORD m_attributes;
  DWORD m_tag;
  int m_depth;  // levels below the entry opened by its path
};
