#include "app/RemoverDlg.h"

#include <cstring>

#include "removal/ErrorText.h"
#include "removal/paths/PathBelow.h"
#include "removal/paths/PathExists.h"
#include "removal/restart/DeleteAtRestart.h"

namespace {

// Where the name in a report entry starts: after its kind ("File: ",
// "Registry Key: ").
int NameStart(const CString& entry) {
  for (int i = 0; i + 1 < entry.GetLength(); ++i)
    if (entry[i] == ':' && entry[i + 1] == ' ') return i + 2;
  return 0;
}

const char kFolder[] = "Folder: ";

// `entry` names what lies inside the folder that `folder` names.
bool Inside(const CString& entry, const CString& folder) {
  CString rest;
  return memcmp(folder, kFolder, sizeof kFolder - 1) == 0 &&
         PathBelow(CString((LPCSTR)entry + NameStart(entry)),
                   CString((LPCSTR)folder + NameStart(folder)), rest) &&
         !rest.IsEmpty();
}

bool NoLongerThere(const CString& entry) {
  return !PathMayExist(CWidePath::FromUtf8((LPCSTR)entry + NameStart(entry)));
}

// Drops `named` itself, and what lies inside it and is no longer there: gone
// with its folder, or with the part of a tree that would go.
void Drop(CStringArray& entries, const CString& named) {
  for (int i = entries.GetSize(); i-- > 0;)
    if (entries[i] == named || (Inside(entries[i], named) && NoLongerThere(entries[i])))
      entries.RemoveAt(i);
}

}  // namespace

void CRemoverDlg::ReportLeft(LPCSTR form, const CWidePath& path) {
  // Why the delete failed, before the restart's calls answer.
  const DWORD error = GetLastError();
  const CString name = path.Utf8();
  const RestartDelete left = DeleteAtRestart(path);
  if (left == kNothingLeft) return LogRemoved(form, name);
  // What this attempt leaves is said in place of what an earlier step or
  // pass said of it; of what it holds, what went since (with the part of a
  // tree that would go) is no longer named.
  Drop(m_removedAtRestart, form + name);
  Drop(m_failures, form + name);
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
  // two passes over the same place, and gone now after all, itself or with
  // its folder: the report no longer names it.
  const CString entry = form + what;
  Drop(m_removedAtRestart, entry);
  Drop(m_failures, entry);
}
