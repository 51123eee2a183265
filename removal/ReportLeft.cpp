#include "app/RemoverDlg.h"
#include "removal/ErrorText.h"
#include "removal/restart/DeleteAtRestart.h"

namespace {

void Drop(CStringArray& entries, const CString& entry) {
  for (int i = entries.GetSize(); i-- > 0;)
    if (entries[i] == entry) entries.RemoveAt(i);
}

}  // namespace

void CRemoverDlg::ReportLeft(LPCSTR form, const CWidePath& path) {
  // Why the delete failed, before the restart's calls answer.
  const DWORD error = GetLastError();
  const CString name = path.Utf8();
  const RestartDelete left = DeleteAtRestart(path);
  if (left == kNothingLeft) return LogRemoved(form, name);
  (left == kDeletedAtRestart ? m_removedAtRestart : m_failures).Add(form + name);
  if (m_log == NULL) return;
  if (left == kDeletedAtRestart)
    m_log->Line("Held: " + name + "; deleted when Windows restarts.", kWarning);
  else
    m_log->Line("Could not delete: " + name + ErrorText(error), kError);
}

void CRemoverDlg::LogRemoved(LPCSTR form, const CString& what) {
  if (m_log) m_log->Line(CString("Removed ") + form + what);
  // Left (or left to the restart) by an earlier step, or by the first of
  // two passes over the same place, and gone now after all: the report no
  // longer names it.
  const CString entry = form + what;
  Drop(m_removedAtRestart, entry);
  Drop(m_failures, entry);
}
