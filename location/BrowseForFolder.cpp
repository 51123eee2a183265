#include <cstring>

#include "app/RemoverDlg.h"

namespace {

const WCHAR kBrowserTitle[] = L"Please select the folder in which the Kelmora is installed.";
const char kBrowsedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location before "
    "continuing, as its contents will be COMPLETELY ERASED.";

// COM for the length of one browse; only a call that succeeded is undone.
class ComScope {
 public:
  ComScope() : m_result(CoInitialize(NULL)) {}
  ~ComScope() {
    if (m_result >= 0) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT m_result;
};

// The folder the user picked; "" when cancelled or when the item is not a
// folder of the file system.
CWidePath AskForFolder() {
  BROWSEINFOW info;
  memset(&info, 0, sizeof info);
  // No owner: the main dialog stays usable while the browser is open.
  info.lpszTitle = kBrowserTitle;
  info.ulFlags = BIF_EDITBOX;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);

  WCHAR path[MAX_PATH] = {0};
  if (chosen != NULL) {
    if (!SHGetPathFromIDListW(chosen, path)) path[0] = 0;
    CoTaskMemFree(chosen);
  }
  return CWidePath(path);
}

}  // namespace

void CRemoverDlg::OnBrowse() {
  ComScope com;
  CWidePath path = AskForFolder();
  if (path.IsEmpty() || !ConfirmLocation(path)) return;
  m_status.SetWindowTextA(kBrowsedStatus);
  m_location.SetWindowTextW(path.Text());
  m_installPath = path;
  m_typedLocation = CWidePath();
}
