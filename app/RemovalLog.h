// The log of a run, unattended or from the dialog: text in UTF-8, one event
// a line, each line after the local date and time and its level, so that a
// log viewer (CMTrace) marks warnings and errors; appended to a file (a new one begins with
// the byte-order mark, so that any reader takes it for UTF-8) and, when the
// caller redirected it, written to the standard output as well.
#pragma once

#include "platform/Afx.h"
#include "removal/held/HeldEntry.h"

// kUnlogged: shown to the user, and left to a later line of the log.
enum LogLevel { kInfo, kWarning, kError, kUnlogged };

class CRemovalLog {
 public:
  CRemovalLog();
  CRemovalLog(const CRemovalLog&) = delete;
  CRemovalLog& operator=(const CRemovalLog&) = delete;

  // Appends to `path` (UTF-8), or to %WINDIR%\Logs\RemoveKM.log when it is "" (that
  // folder is made when missing) or is refused: a file in a folder others
  // than administrators may change, or one already there that is a link, has
  // other names or others may change; the first line then says why. A log
  // that cannot be opened is said so on the standard output; the run goes on
  // without it.
  void Open(const CString& path);
  // Opens as Open does, but only at the first line after the start's, which
  // waits until then with its time: the dialog's start-up need not wait for
  // the log, and its first event (an answer, the exit) always comes.
  void OpenAtFirstEvent(const CString& path);
  // `text` in UTF-8.
  void Line(const CString& text, LogLevel level = kInfo);
  // Each line of a message that is not empty, in order.
  void Message(const CString& text, LogLevel level = kInfo);
  // The first line of a run: the program and its version, the computer, the
  // account, the session, the process id and the whole command line.
  void Start(const CString& commandLine);
  // The file Open was given or chose, in UTF-8.
  const CString& File() const { return m_path; }

 private:
  // Opens `file` for appending; why it was refused, or "".
  CString Append(const CString& file);
  void WriteStart();
  void Write(const CString& text);

  CHeldEntry m_file;
  HANDLE m_output;
  CString m_path;
  // The start's line waits here until the log opens.
  bool m_opening;
  CString m_openPath;
  CString m_startTime;
  CString m_commandLine;
};
