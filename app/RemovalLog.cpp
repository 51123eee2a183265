#include "app/RemovalLog.h"

#include "location/NewerWindowsCalls.h"
#include "removal/DecimalText.h"
#include "removal/ErrorText.h"
#include "removal/WidePath.h"

namespace {

// The version block's file version.
const char kVersion[] = "1.0.0.1";
const char kLogName[] = "\\Logs\\RemoveKM.log";
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

CRemovalLog::CRemovalLog() : m_file(INVALID_HANDLE_VALUE), m_output(NULL) {
  // A program started from a desktop has none; a redirected one has.
  m_output = GetStdHandle(STD_OUTPUT_HANDLE);
}

CRemovalLog::~CRemovalLog() {
  if (IsHandle(m_file)) CloseHandle(m_file);
}

void CRemovalLog::Open(const CString& path) {
  CString file = path;
  if (file.IsEmpty()) {
    char windows[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) windows[0] = '\0';
    CreateDirectoryA(CString(windows) + "\\Logs", NULL);
    file = CWidePath(CString(windows) + kLogName).Utf8();
  }
  m_path = file;
  // Appends go to the end whoever else writes: two runs at once keep their lines whole.
  m_file = CreateFileW(CWidePath::FromUtf8(file).Text(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       NULL);
  if (!IsHandle(m_file)) {
    Line("Cannot open the log " + file + ErrorText(GetLastError()), kWarning);
    return;
  }
  DWORD written = 0;
  if (GetFileSize(m_file, NULL) == 0)
    WriteFile(m_file, kByteOrderMark, sizeof kByteOrderMark - 1, &written, NULL);
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
  DWORD session = 0;
  const CString sessionText =
      SessionOfProcess(GetCurrentProcessId(), &session) ? DecimalText(session) : CString("?");
  Line(CString("RemoveKM ") + kVersion + " on computer " + ComputerName() + ", account " +
       AccountName() + ", session " + sessionText + ", process " +
       DecimalText(GetCurrentProcessId()) + ". Command line: " + commandLine);
}

void CRemovalLog::Write(const CString& text) {
  DWORD written = 0;
  if (IsHandle(m_file)) WriteFile(m_file, (LPCSTR)text, text.GetLength(), &written, NULL);
  if (IsHandle(m_output)) WriteFile(m_output, (LPCSTR)text, text.GetLength(), &written, NULL);
}
