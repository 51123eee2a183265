// The product's programs that are running now: every process whose program
// file lies inside the install folder, judged by what the names lead to (as
// the protected folders are), so that a short name, a link or another
// spelling of the folder does not hide one. This program itself is never one
// of them, wherever it was started from.
#pragma once

#include "location/FolderIdentity.h"
#include "platform/Afx.h"
#include "removal/closing/RestartManager.h"
#include "removal/WidePath.h"

struct ProductProgram {
  DWORD id;
  CString path;  // for the log, in UTF-8
  CString name;  // its file's name, for the user, in UTF-8
  // Known when the Restart Manager named it:
  bool managed;
  RM_UNIQUE_PROCESS unique;  // its id and start
  DWORD session;
  CString user;  // signed in to its session; "" for nobody
  // While it is being closed:
  HANDLE process;     // NULL before, or when it cannot be opened
  bool askedToClose;  // WM_CLOSE went to one of its windows
  LPCSTR outcome;     // how it ended, for the log; NULL while it runs
};

class CProductPrograms {
 public:
  CProductPrograms() : m_items(NULL), m_size(0), m_capacity(0) {}
  ~CProductPrograms();
  CProductPrograms(const CProductPrograms&) = delete;
  CProductPrograms& operator=(const CProductPrograms&) = delete;

  // Lists them; none when `installFolder` is "" or cannot be opened, or when
  // this Windows cannot list processes (Windows NT 4.0).
  void Find(const CWidePath& installFolder);
  // After Find, through the Restart Manager: adds the processes of every
  // session that use the product's marker file "km2.jar" or whose program
  // file lies inside the install folder and is in use (.exe, .dll, .jar),
  // and registers them all with `closer`, whose session then closes exactly
  // these. Any other process it names (Explorer, a virus scanner) goes to
  // `others`, described for the log. False when the Restart Manager is
  // missing, a call fails, or it did not name every program Find found.
  bool FindUsers(CRestartManager& closer, CStringArray& others);
  int GetSize() const { return m_size; }
  // Opens program `index` to be closed, and tells again whether it is one of
  // the product's: its id may have gone to another process since it was
  // listed. False leaves it unopened.
  bool OpenToClose(int index);
  ProductProgram& operator[](int index) { return m_items[index]; }

 private:
  void Add(DWORD id, LPCWSTR path);
  // Takes one process the Restart Manager named.
  bool Take(const RM_PROCESS_INFO& user, bool holdsMarker, CRestartManager& closer,
            CStringArray& others);

  FolderIdentity m_folder;
  CWidePath m_installFolder;
  ProductProgram* m_items;
  int m_size;
  int m_capacity;
};
