// The product's programs that are running now: every process whose program
// file lies inside the install folder, judged by what the names lead to (as
// the protected folders are), so that a short name, a link or another
// spelling of the folder does not hide one. This program itself is never one
// of them, wherever it was started from.
#pragma once

#include "location/FolderIdentity.h"
#include "platform/Afx.h"
#include "removal/WidePath.h"
#include "removal/closing/RestartManager.h"

struct ProductProgram {
  DWORD id;
  CString path;  // for the log, in UTF-8
  CString name;  // its file's name, for the user, in UTF-8
  // Known when the Restart Manager named it:
  bool managed;
  RM_UNIQUE_PROCESS unique;  // its id and start
  DWORD session;             // else this program's own
  CString user;              // signed in to its session; "" for nobody
  // While it is being closed:
  HANDLE process;     // NULL before, or when it cannot be opened
  bool askedToClose;  // WM_CLOSE went to one of its windows
  LPCSTR outcome;     // how it ended, for the log; NULL while it runs
  // In another session: the copy asking there, started for the first of
  // its session's programs (NULL when none could be), and its exit code.
  HANDLE copy;
  DWORD copyReport;
};

class CProductPrograms {
 public:
  CProductPrograms() : m_items(NULL), m_size(0), m_capacity(0), m_mayRun(false) {}
  ~CProductPrograms();
  CProductPrograms(const CProductPrograms&) = delete;
  CProductPrograms& operator=(const CProductPrograms&) = delete;

  // Lists them; none when `installFolder` is "" or cannot be opened, or when
  // this Windows cannot list processes (Windows NT 4.0).
  void Find(const CWidePath& installFolder);
  // After Find, through the Restart Manager: adds the processes of every
  // session that run a program file inside the install folder, and Java
  // runtimes running the product's marker file "km2.jar" in a user's
  // session. Any other process that uses the product's files (Explorer, a
  // service, a virus scanner), and a service or a part of Windows even inside
  // the folder, goes to `others`, described for the log. False when the
  // Restart Manager is missing, a call fails, or it did not name every
  // program Find found. Not asked, and true, when Find saw every process's
  // program file and none can be Kelmora's (none inside the folder, no Java
  // runtime).
  bool FindUsers(CStringArray& others);
  int GetSize() const { return m_size; }
  // Opens program `index` to be closed, and tells again whether it is one of
  // the product's: its id may have gone to another process since it was
  // listed. False leaves it unopened.
  bool OpenToClose(int index);
  ProductProgram& operator[](int index) { return m_items[index]; }

 private:
  void Add(DWORD id, LPCWSTR path);
  // Takes one process the Restart Manager named, or counts it among others.
  void Take(const RM_PROCESS_INFO& user, bool holdsMarker, CStringArray& others);

  FolderIdentity m_folder;
  CWidePath m_installFolder;
  ProductProgram* m_items;
  int m_size;
  int m_capacity;
  bool m_mayRun;  // Find saw one of them, a Java runtime, or a process it could not tell
};
