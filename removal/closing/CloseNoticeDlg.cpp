#include "removal/closing/CloseNoticeDlg.h"

#include "removal/DecimalText.h"
#include "resource.h"

namespace {

const char kNotice[] =
    "Kelmora is being removed from this computer by your school's IT staff. Save your work: "
    "Kelmora will close in ";
const UINT_PTR kTick = 1;

}  // namespace

CCloseNoticeDlg::CCloseNoticeDlg(DWORD seconds, const HANDLE* programs, int count)
    : CDialog(IDD_CLOSE_NOTICE), m_deadline(seconds * 1000), m_programs(programs), m_count(count) {}

BOOL CCloseNoticeDlg::OnInitDialog() {
  m_deadline += GetTickCount();
  SetTimer(m_hWnd, kTick, 1000, NULL);
  ShowTimeLeft();
  return TRUE;
}

BOOL CCloseNoticeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message != WM_TIMER) return CDialog::OnMessage(message, wParam, lParam, result);
  ShowTimeLeft();
  return TRUE;
}

void CCloseNoticeDlg::ShowTimeLeft() {
  const int left = static_cast<int>(m_deadline - GetTickCount());
  int running = 0;
  for (int i = 0; i < m_count; ++i)
    running += WaitForSingleObject(m_programs[i], 0) == WAIT_TIMEOUT ? 1 : 0;
  if (left <= 0 || running == 0) {
    EndDialog(m_hWnd, IDOK);
    return;
  }
  const DWORD seconds = (left + 999) / 1000;
  ::SetWindowTextA(GetDlgItem(m_hWnd, IDC_NOTICE),
                   kNotice + DecimalText(seconds) + (seconds == 1 ? " second." : " seconds."));
}
