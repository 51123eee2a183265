// The product's programs that are running now: every process whose program
// file lies inside the install folder, judged by what the names lead to (as
// the protected folders are), so that a short name, a link or another
// spelling of the folder does not hide one. This program itself is never one
// of them, wherever it was started from.
#pragma once

#include "location/FolderIdentity.h"
#include "platform/Afx.h"

struct ProductProgram {
  DWORD id;
  CString path;  // for the log, in UTF-8
  CString name;  // its file's name, for the user, in UTF-8
  // While it is being closed:
  HANDLE process;     // NULL before, or when it cannot be opened
  bool askedToClose;  // WM_CLOSE went to one of its windows
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
  int GetSize() const { return m_size; }
  // Opens program `index` to be closed, and tells again whether it is one of
  // the product's: its id may have gone to another process since it was
  // listed. False leaves it unopened.
  bool OpenToClose(int index);
  ProductProgram& operator[](int index) { return m_items[index]; }

 private:
  void Add(DWORD id, LPCWSTR path);

  FolderIdentity m_folder;
  ProductProgram* m_items;
  int m_size;
  int m_capacity;
};
