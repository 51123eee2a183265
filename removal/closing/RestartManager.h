// Windows' Restart Manager (Vista on; rstrtmgr.dll, looked up when it is
// used), as Windows Installer uses it: which processes use a file, in every
// session, and closing them with the request Windows sends at sign-out.
// Where this Windows has none, or a call fails, the operations answer false.
#pragma once

#include "platform/Afx.h"

class CRestartManager {
 public:
  CRestartManager();
  // Ends the session and lets the library go.
  ~CRestartManager();
  CRestartManager(const CRestartManager&) = delete;
  CRestartManager& operator=(const CRestartManager&) = delete;

  // Starts the session.
  bool Start();
  bool AddFile(LPCWSTR path);
  bool AddProcess(const RM_UNIQUE_PROCESS& process);
  // The processes that use what was added, or were added themselves; the
  // caller deletes[] `processes`.
  bool List(RM_PROCESS_INFO*& processes, UINT& count);
  // Asks them to close, or with `force` makes them. Its answer does not
  // prove that any has ended.
  bool Shutdown(bool force);

 private:
  typedef DWORD(WINAPI* StartCall)(DWORD*, DWORD, WCHAR[]);
  typedef DWORD(WINAPI* RegisterCall)(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT,
                                      LPCWSTR[]);
  typedef DWORD(WINAPI* ListCall)(DWORD, UINT*, UINT*, RM_PROCESS_INFO[], LPDWORD);
  typedef DWORD(WINAPI* ShutdownCall)(DWORD, ULONG, RM_WRITE_STATUS_CALLBACK);
  typedef DWORD(WINAPI* EndCall)(DWORD);

  HMODULE m_library;
  bool m_started;
  DWORD m_session;
  StartCall m_start;
  RegisterCall m_register;
  ListCall m_list;
  ShutdownCall m_shutdown;
  EndCall m_end;
};
