// The log of an unattended run: text in UTF-8, one event a line, each line
// after the local date and time; appended to a file (a new one begins with
// the byte-order mark, so that any reader takes it for UTF-8) and, when the
// caller redirected it, written to the standard output as well.
#pragma once

#include "platform/Afx.h"

class CRemovalLog {
 public:
  CRemovalLog();
  ~CRemovalLog();
  CRemovalLog(const CRemovalLog&) = delete;
  CRemovalLog& operator=(const CRemovalLog&) = delete;

  // Appends to `path` (UTF-8), or to %WINDIR%\Logs\RemoveKM.log when it is "" (that
  // folder is made when missing). A log that cannot be opened is said so on
  // the standard output; the run goes on without it.
  void Open(const CString& path);
  // `text` in UTF-8.
  void Line(const CString& text);
  // Each line of a message that is not empty, in order.
  void Message(const CString& text);
  // The first lines of a run: the program and its version, the computer, the
  // account and the command line's arguments.
  void Start(const CString& arguments);
  // The file Open was given or chose, in UTF-8.
  const CString& File() const { return m_path; }

 private:
  void Write(const CString& text);

  HANDLE m_file;
  HANDLE m_output;
  CString m_path;
};
