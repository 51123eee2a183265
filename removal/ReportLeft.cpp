#include "app/RemoverDlg.h"
#include "removal/restart/DeleteAtRestart.h"

void CRemoverDlg::ReportLeft(LPCSTR form, const CWidePath& path) {
  switch (DeleteAtRestart(path)) {
    case kNothingLeft:
      break;
    case kDeletedAtRestart:
      m_removedAtRestart.Add(form + path.Utf8());
      break;
    case kNotScheduled:
      m_failures.Add(form + path.Utf8());
      break;
  }
}
