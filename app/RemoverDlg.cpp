#include "app/RemoverDlg.h"

#include <cstring>

#include "app/AboutDlg.h"
#include "app/RemovalLog.h"
#include "location/NotFoundNotice.h"

namespace {

const char kNotFoundStatus[] =
    "Unable to find your Kelmora folder.  Please browse to locate this folder, or click the "
    "\"Remove\" button to remove all other traces of the program (registry keys, etc).";
const char kFoundStatus[] = "Kelmora Installation found.";
const DWORD kUserNameSize = 1024;

}  // namespace

CRemoverDlg::CRemoverDlg(CWnd* parent)
    : CDialog(IDD_REMOVER_DIALOG, parent),
      m_progress(NULL),
      m_recordDistrusted(false),
      m_installFolderLeft(false),
      m_hIcon(LoadIconA(AfxFindResourceHandle(MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON),
                        MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_log(NULL),
      m_quiet(false),
      m_givenSave(true),
      m_allUsers(false),
      m_noClose(false),
      m_defer(false),
      m_closeWait(60),
      m_ending(kRemovalNotRun),
      m_filesCopied(0) {}

void CRemoverDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_SAVE_DATA, m_saveData);
  DDX_Control(pDX, IDC_STATUS, m_status);
  DDX_Control(pDX, IDC_LOCATION, m_location);
}

BOOL CRemoverDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The template has no system menu style, but Windows may still give one.
  CMenu* systemMenu = GetSystemMenu(FALSE);
  if (systemMenu != NULL) {
    CString aboutText;
    aboutText.LoadString(IDS_ABOUTBOX);
    if (!aboutText.IsEmpty()) {
      systemMenu->AppendMenuA(MF_SEPARATOR);
      systemMenu->AppendMenuA(MF_STRING, IDM_ABOUTBOX, aboutText);
    }
  }

  SendMessageA(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
  SendMessageA(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);

  m_installPath = FindInstallPath();
  if (m_installPath.IsEmpty()) {
    m_status.SetWindowTextA(kNotFoundStatus);
    m_location.SetWindowTextA(kNotFoundLocation);
  } else {
    m_status.SetWindowTextA(kFoundStatus);
    m_location.SetWindowTextW(m_installPath.Text());
  }

  ReadSystemFacts();
  m_saveData.SendMessageA(BM_SETCHECK, BST_CHECKED, 0);
  return TRUE;
}

void CRemoverDlg::ReadSystemFacts() {
  // Zero first, so that a failed call reads as version 0.0 and not as
  // whatever the memory held.
  memset(&m_osvi, 0, sizeof m_osvi);
  m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  GetVersionExA(&m_osvi);
  m_osMajor = (int)m_osvi.dwMajorVersion;
  m_osMinor = (int)m_osvi.dwMinorVersion;

  // The name whole: the shortcut folders named after it are found by it.
  m_userName = CWidePath();
  if (m_osMajor >= 5) {
    WCHAR name[kUserNameSize] = {0};
    DWORD size = kUserNameSize;
    if (GetUserNameW(name, &size)) m_userName = CWidePath(name);
  }
}

BOOL CRemoverDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // clang-format off
  switch (message) {
    case WM_SYSCOMMAND: OnSysCommand((UINT)wParam, lParam); return TRUE;
    case WM_PAINT: OnPaint(); return TRUE;
    case WM_QUERYDRAGICON: result = (LRESULT)OnQueryDragIcon(); return TRUE;
  }
  // clang-format on
  return CDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CRemoverDlg::OnCommand(UINT id, UINT code) {
  if (id == IDC_BROWSE && code == BN_CLICKED) {
    OnBrowse();
    return TRUE;
  }
  // IDOK and IDCANCEL: Remove and Cancel.
  return CDialog::OnCommand(id, code);
}

void CRemoverDlg::OnSysCommand(UINT id, LPARAM) {
  // Windows keeps the low four bits of a system command for itself.
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    Default();
  }
}

// Windows paints the rest; a minimised dialog gets its icon drawn centred.
void CRemoverDlg::OnPaint() {
  if (!IsIconic()) {
    Default();
    return;
  }
  CPaintDC dc(this);
  SendMessageA(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
  int cxIcon = GetSystemMetrics(SM_CXICON);
  int cyIcon = GetSystemMetrics(SM_CYICON);
  RECT rect;
  GetClientRect(&rect);
  int x = (rect.right - rect.left - cxIcon + 1) / 2;
  int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CRemoverDlg::OnQueryDragIcon() { return (HCURSOR)m_hIcon; }

int CRemoverDlg::AskUser(LPCSTR text, LPCSTR caption, UINT type, LogLevel level) {
  if (m_log && level != kUnlogged) m_log->Message(text, level);
  // Nothing that needs a "Yes" is done. OK goes on: the only question with
  // OK and Cancel asks to start, and the command line has already said so.
  int answer = IDCANCEL;
  if (!m_quiet) {
    answer = MessageBoxW(CWidePath::FromUtf8(text).Text(),
                         caption ? CWidePath::FromUtf8(caption).Text() : NULL, type);
  } else if ((type & 0xF) == MB_OKCANCEL || (type & 0xF) == MB_OK) {
    answer = IDOK;
  } else if ((type & 0xF) == MB_YESNO) {
    answer = IDNO;
  }
  static const char* const kAnswers[] = {"", "OK", "Cancel", "", "", "", "Yes", "No"};
  if (m_log && (type & 0xF) != MB_OK && answer < 8)
    m_log->Line(CString("Answered ") + kAnswers[answer] + ".");
  return answer;
}
