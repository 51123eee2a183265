#include "app/RemovalLog.h"

#include "location/NewerWindowsCalls.h"
#include "removal/DecimalText.h"
#include "removal/ErrorText.h"
#include "removal/WidePath.h"
#include "removal/held/OwnFiles.h"
#include "removal/restart/TrustedFolders.h"

namespace {

// The version block's file version.
const char kVersion[] = "1.0.0.1";
const char kLogName[] = "RemoveKM.log";
const DWORD kNameSize = 256;
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const char* const kLevels[] = {"Info ", "Warning ", "Error "};

bool IsHandle(HANDLE handle) { return handle != NULL && handle != INVALID_HANDLE_VALUE; }

// "2026-12-08 09:05:00 "
CString Now() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return DecimalText(time.wYear, 4) + "-" + DecimalText(time.wMonth, 2) + "-" +
         DecimalText(time.wDay, 2) + " " + DecimalText(time.wHour, 2) + ":" +
         DecimalText(time.wMinute, 2) + ":" + DecimalText(time.wSecond, 2) + " ";
}

// The computer's name; "" when the system cannot give it.
CString ComputerName() {
  char name[kNameSize];
  DWORD size = kNameSize;
  return GetComputerNameA(name, &size) ? CWidePath(name).Utf8() : CString();
}

// The account's name whole; "" when the system cannot give it.
CString AccountName() {
  WCHAR name[kNameSize];
  DWORD size = kNameSize;
  return GetUserNameW(name, &size) ? CWidePath(name).Utf8() : CString();
}

}  // namespace

CRemovalLog::CRemovalLog() : m_output(NULL), m_opening(false) {
  // A program started from a desktop has none; a redirected one has.
  m_output = GetStdHandle(STD_OUTPUT_HANDLE);
}

void CRemovalLog::Open(const CString& path) {
  const CString refused = path.IsEmpty() ? CString() : Append(path);
  if (!path.IsEmpty() && refused.IsEmpty()) return;
  CWidePath file;
  file.Join(WindowsLogs(), CWidePath(kLogName));
  const CString why = Append(file.Utf8());
  if (!refused.IsEmpty())
    Line("The log is not written to " + path + refused + "; it is written here.", kWarning);
  if (!why.IsEmpty()) Line("Cannot open the log " + file.Utf8() + why, kWarning);
}

void CRemovalLog::OpenAtFirstEvent(const CString& path) {
  m_opening = true;
  m_openPath = path;
}

CString CRemovalLog::Append(const CString& file) {
  m_path = file;
  CHeldEntry folder;
  CWidePath name;
  if (!HoldTrustedFolderOf(CWidePath::FromUtf8(file), folder, name))
    return ", as others than administrators may change its folder or one above it";
  // Appends go to the end whoever else writes: two runs at once keep their lines whole.
  const ACCESS_MASK access = FILE_APPEND_DATA | READ_CONTROL;
  if (m_file.CreateIn(folder, name.Text(), name.GetLength(), false, access)) {
    DWORD written = 0;
    WriteFile(m_file.Handle(), kByteOrderMark, sizeof kByteOrderMark - 1, &written, NULL);
    return "";
  }
  if (GetLastError() != ERROR_ALREADY_EXISTS) return ErrorText(GetLastError());
  // One there already is taken only as our own: no link, no other name
  // (whose file text would reach), nobody else who may change it.
  const NTSTATUS opened = m_file.OpenIn(folder, name.Text(), name.GetLength(), 0,
                                        access | FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE);
  BY_HANDLE_FILE_INFORMATION info;
  if (NT_SUCCESS(opened) && !m_file.IsLink() && LiesAtName(folder, m_file, name) &&
      GetFileInformationByHandle(m_file.Handle(), &info) && info.nNumberOfLinks == 1 &&
      OnlyTrustedMayHeld(m_file.Handle(), kChangeRights | kMakeRights))
    return "";
  m_file.Close();
  return ", as what is there is a link, has other names or others than administrators may change "
         "it";
}

void CRemovalLog::Line(const CString& text, LogLevel level) {
  Write(Now() + kLevels[level] + text + "\r\n");
}

void CRemovalLog::Message(const CString& text, LogLevel level) {
  CString line;
  for (int i = 0; i <= text.GetLength(); ++i) {
    if (i < text.GetLength() && text[i] != '\n') {
      line += text[i];
    } else {
      if (!line.IsEmpty()) Line(line, level);
      line = "";
    }
  }
}

void CRemovalLog::Start(const CString& commandLine) {
  m_startTime = Now();
  m_commandLine = commandLine;
  if (!m_opening) WriteStart();
}

void CRemovalLog::WriteStart() {
  DWORD session = 0;
  const CString sessionText =
      SessionOfProcess(GetCurrentProcessId(), &session) ? DecimalText(session) : CString("?");
  Write(m_startTime + kLevels[kInfo] + "RemoveKM " + kVersion + " on computer " + ComputerName() +
        ", account " + AccountName() + ", session " + sessionText + ", process " +
        DecimalText(GetCurrentProcessId()) + ". Command line: " + m_commandLine + "\r\n");
  m_startTime = "";
}

void CRemovalLog::Write(const CString& text) {
  if (m_opening) {
    // Open's own warnings come first, as they would have.
    m_opening = false;
    Open(m_openPath);
    if (!m_startTime.IsEmpty()) WriteStart();
  }
  DWORD written = 0;
  if (IsHandle(m_file.Handle()))
    WriteFile(m_file.Handle(), (LPCSTR)text, text.GetLength(), &written, NULL);
  if (IsHandle(m_output)) WriteFile(m_output, (LPCSTR)text, text.GetLength(), &written, NULL);
}
