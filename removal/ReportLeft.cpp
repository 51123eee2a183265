#include "app/RemoverDlg.h"
#include "removal/ErrorText.h"
#include "removal/restart/DeleteAtRestart.h"

void CRemoverDlg::ReportLeft(LPCSTR form, const CWidePath& path) {
  // Why the delete failed, before the restart's calls answer.
  const DWORD error = GetLastError();
  const CString entry = form + path.Utf8();
  switch (DeleteAtRestart(path)) {
    case kNothingLeft:
      LogRemoved(form, path.Utf8());
      break;
    case kDeletedAtRestart:
      m_removedAtRestart.Add(entry);
      if (m_log) m_log->Line("Held: " + path.Utf8() + "; deleted when Windows restarts.", kWarning);
      break;
    case kNotScheduled:
      m_failures.Add(entry);
      if (m_log) m_log->Line("Could not delete: " + path.Utf8() + ErrorText(error), kError);
      break;
  }
}

void CRemoverDlg::LogRemoved(LPCSTR form, const CString& what) {
  if (m_log) m_log->Line(CString("Removed ") + form + what);
}
