#include <cwchar>

#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "location/NewerWindowsCalls.h"
#include "removal/DecimalText.h"
#include "removal/ErrorText.h"
#include "removal/ProductTraces.h"
#include "removal/WidePath.h"
#include "removal/held/OwnFiles.h"
#include "removal/registry/RegistryBackup.h"

namespace {

const char kStep6[] = "Step 6 of 6: Removing registry information...";
const char kBackupFailed[] = "Registry backup could not be written: ";
const char kLeftOut[] =
    "Not in the registry backup, as this account may not read it (nor delete it): ";
const char kUntrustedFolder[] = "The registry backup is not written as ";
const char kGoesToLogs[] =
    ", as others than administrators may change its folder or one above it; it goes to "
    "%WINDIR%\\Logs.";
const char kLinkDeleted[] = "Registry link deleted as a link, what it leads to kept: ";
const char kRemoveWithoutBackup[] =
    "\n\nRemove the registry entries without a backup?  Cancel keeps them.";

// Registry key names have at most 255 characters.
const DWORD kMaxSubKeyName = 256;
// Far more sub-keys than the product ever makes: a registry that keeps
// answering still does not keep the removal from ending.
const int kMaxSubKeyAttempts = 100000;

// What is already gone needs no removing.
bool Failed(LONG result) { return result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND; }

// What stays goes into the report, and into the log with Windows' reason.
void Left(const CString& entry, LONG error, CStringArray& failures, CRemovalLog* log) {
  failures.Add(entry);
  if (log) log->Line("Could not delete: " + entry + ErrorText(error), kError);
}

// The sub-key's name for the failure list.
CString SubKeyEntry(LPCWSTR name) {
  return kProductKeyEntry + CString("\\") + CWidePath(name).Utf8();
}

// Deletes the product key's sub-keys (each a plain delete, in wide characters
// so that any name goes) and its install path value; the key itself and its
// other values stay; the install path stays too where the folder it names
// was not reached, or was left. What went is added to `removed`. Each sub-key is tried at most
// twice, so the loop ends whatever the calls answer.
void RemoveProductEntries(CRegistryKey& productKey, bool keepInstallPath, CStringArray& failures,
                          CStringArray& removed, CRemovalLog* log) {
  WCHAR name[kMaxSubKeyName];
  WCHAR notFound[kMaxSubKeyName] = {0};
  DWORD index = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == kMaxSubKeyAttempts) {
      failures.Add(kProductKeyEntry);
      break;
    }
    DWORD length = kMaxSubKeyName;
    FILETIME lastWrite;
    const LONG listed =
        RegEnumKeyExW(productKey.m_key, index, name, &length, NULL, NULL, NULL, &lastWrite);
    if (listed != ERROR_SUCCESS) {
      // Sub-keys that could not be listed stay unnamed: the key stands for them.
      if (listed != ERROR_NO_MORE_ITEMS && Failed(listed))
        Left(kProductKeyEntry, listed, failures, log);
      break;
    }
    // A sub-key that stays is passed over, so that the loop ends; one that
    // answered "not found" and is listed again stays too.
    const bool listedAgain = wcscmp(name, notFound) == 0;
    bool link = false;
    const LONG deleted = listedAgain ? ERROR_FILE_NOT_FOUND : productKey.DeleteKey(name, link);
    if (deleted == ERROR_SUCCESS && link && log)
      log->Line(kLinkDeleted + SubKeyEntry(name), kWarning);
    if (Failed(deleted) || listedAgain) {
      Left(SubKeyEntry(name), deleted, failures, log);
      ++index;
    } else if (deleted == ERROR_FILE_NOT_FOUND) {
      wcscpy(notFound, name);
    } else {
      removed.Add(SubKeyEntry(name));
    }
  }
  if (keepInstallPath) return;
  const LONG deleted = RegDeleteValueA(productKey.m_key, kInstallPathValue);
  if (Failed(deleted)) Left(kInstallPathEntry, deleted, failures, log);
  if (deleted == ERROR_SUCCESS) removed.Add(kInstallPathEntry);
}

// A key of the product's as regedit names it. On 64-bit Windows the 32-bit
// view, where this program and the product work, lies below WOW6432Node to
// the 64-bit regedit; the 32-bit one reads that name as the same key.
CWidePath BackupKeyName(LPCSTR key) {
  char folder[MAX_PATH];
  const bool windows64 =
      SystemWow64Directory(folder, MAX_PATH) != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
  // `key` begins with "Software\".
  const CWidePath path(key);
  CWidePath name(L"HKEY_LOCAL_MACHINE\\");
  name.Append(path.Text(), 9);
  if (windows64) name.Append(L"WOW6432Node\\", 12);
  return name.Append(path.Text() + 9, path.GetLength() - 9);
}

// What backing up the thing `entry` names gave: unless it is missing, its
// entry goes to `present`, and the first error met to `error`.
void Note(LONG result, const CString& entry, CStringArray& present, LONG& error) {
  if (result == ERROR_FILE_NOT_FOUND) return;
  present.Add(entry);
  if (error == ERROR_SUCCESS) error = result;
}

// Everything step 6 deletes, into `backup`; the report's entries of what is
// there into `present`, whether or not it could be read. The first error met.
LONG BackUp(CRegistryBackup& backup, CStringArray& present) {
  const CWidePath productName = BackupKeyName(kProductKey);
  LONG error = ERROR_SUCCESS;
  CRegistryKey key;
  LONG opened = key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_READ);
  if (opened == ERROR_SUCCESS) {
    Note(backup.AddValue(key.m_key, productName, kInstallPathValue), kInstallPathEntry, present,
         error);
    WCHAR name[kMaxSubKeyName];
    for (DWORD index = 0;; ++index) {
      DWORD length = kMaxSubKeyName;
      FILETIME lastWrite;
      opened = RegEnumKeyExW(key.m_key, index, name, &length, NULL, NULL, NULL, &lastWrite);
      if (opened != ERROR_SUCCESS) break;
      CWidePath subKey;
      subKey.Join(productName, name);
      Note(backup.AddTree(key.m_key, name, subKey), SubKeyEntry(name), present, error);
    }
  }
  if (opened != ERROR_NO_MORE_ITEMS) Note(opened, kProductKeyEntry, present, error);
  // A failed close of the key held before does not keep the Uninstall key shut.
  const HKEY before = key.m_key;
  opened = key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ);
  const CWidePath uninstallName = BackupKeyName(kUninstallKey);
  for (const char* entry : kUninstallEntries) {
    const CWidePath entryName(entry);
    CWidePath name;
    name.Join(uninstallName, entryName);
    Note(key.m_key != before ? backup.AddTree(key.m_key, entryName.Text(), name) : opened,
         kUninstallEntryPrefix + CString(entry), present, error);
  }
  return error;
}

// `number` as the `count` decimal digits from `at`.
void PutDigits(char* at, unsigned number, int count) {
  while (count-- > 0) {
    at[count] = (char)('0' + number % 10);
    number /= 10;
  }
}

// "Kelmora registry backup 2026-12-08 090507.reg", at the local time.
CWidePath BackupFileName() {
  char name[] = "Kelmora registry backup YYYY-MM-DD hhmmss.reg";
  SYSTEMTIME now;
  GetLocalTime(&now);
  PutDigits(name + 24, now.wYear, 4);
  PutDigits(name + 29, now.wMonth, 2);
  PutDigits(name + 32, now.wDay, 2);
  PutDigits(name + 35, now.wHour, 2);
  PutDigits(name + 37, now.wMinute, 2);
  PutDigits(name + 39, now.wSecond, 2);
  return CWidePath(name);
}

// Saves `backup` as `file` where only trusted accounts may change its
// folder, else into %WINDIR%\Logs, `file` then naming it there.
DWORD SaveWhereTrusted(const CRegistryBackup& backup, CWidePath& file, CRemovalLog* log) {
  CHeldEntry folder;
  CWidePath name;
  if (!HoldTrustedFolderOf(file, folder, name)) {
    if (log) log->Line(kUntrustedFolder + file.Utf8() + kGoesToLogs, kWarning);
    file.Join(WindowsLogs(), BackupFileName());
    if (!HoldTrustedFolderOf(file, folder, name)) return ERROR_ACCESS_DENIED;
  }
  return backup.Save(folder, name);
}

}  // namespace

CWidePath CRemoverDlg::RegistryBackupFile(const CWidePath& userDesktop) const {
  if (!m_backupFile.IsEmpty()) return m_backupFile;
  CWidePath folder = m_backupFolder.IsEmpty() ? userDesktop : m_backupFolder;
  if (!m_savedFolder.IsEmpty()) folder = CWidePath::FromUtf8(m_savedFolder);
  CWidePath file;
  // No folder: the system could not name the desktop.
  if (!folder.IsEmpty()) file.Join(folder, BackupFileName());
  return file;
}

void CRemoverDlg::RemoveRegistryEntries(CRegistryKey& key, const CWidePath& userDesktop) {
  ShowStep(kStep6);

  // Written whole before anything goes: a removal on the wrong PC, or once
  // too often, must not take a school's licence for good.
  CRegistryBackup backup;
  CStringArray present;
  DWORD error = BackUp(backup, present);
  for (int i = 0; m_log && i < backup.LeftOut().GetSize(); ++i)
    m_log->Line(kLeftOut + backup.LeftOut()[i], kWarning);
  CWidePath file = RegistryBackupFile(userDesktop);
  m_registryBackup = "";
  if (error == ERROR_SUCCESS && !backup.IsEmpty()) {
    if (file.IsEmpty()) error = ERROR_PATH_NOT_FOUND;
    // Beside the saved work, through the handle its folder was made with:
    // its name may lead elsewhere by now, and nothing above it needs judging.
    else if (m_backupFile.IsEmpty() && m_savedHeld.Handle() != INVALID_HANDLE_VALUE)
      error = backup.Save(m_savedHeld, file.Name());
    else
      error = SaveWhereTrusted(backup, file, m_log);
  }
  m_savedHeld.Close();
  if (error != ERROR_SUCCESS) {
    const CString reason = kBackupFailed + file.Utf8() + " (error " + DecimalText(error) + ")";
    // Unattended nobody can weigh that up: the entries stay.
    if (m_quiet || AskUser(reason + kRemoveWithoutBackup, NULL, MB_OKCANCEL) != IDOK) {
      m_failures.Add(reason);
      for (int i = 0; i < present.GetSize(); ++i) m_failures.Add(present[i]);
      return;
    }
  } else if (!backup.IsEmpty()) {
    m_registryBackup = file.Utf8();
  }

  CStringArray removed;
  const LONG opened = key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_ALL_ACCESS);
  if (opened == ERROR_SUCCESS) {
    RemoveProductEntries(key, !m_unreachedFolder.IsEmpty() || m_installFolderLeft, m_failures,
                         removed, m_log);
  } else if (Failed(opened)) {
    Left(kProductKeyEntry, opened, m_failures, m_log);
  }

  for (const char* entry : kUninstallEntries) {
    // A fresh open for each entry: it closes the key held before. That close
    // failing does not keep this entry: the Uninstall key is open all the same.
    const HKEY before = key.m_key;
    LONG result = key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
    CStringArray links;
    if (key.m_key != before) result = key.DeleteKeyTree(entry, links);
    for (int i = 0; m_log && i < links.GetSize(); ++i)
      m_log->Line(kLinkDeleted + CString(kUninstallEntryPrefix) + links[i], kWarning);
    if (Failed(result)) Left(kUninstallEntryPrefix + CString(entry), result, m_failures, m_log);
    if (result == ERROR_SUCCESS) removed.Add(kUninstallEntryPrefix + CString(entry));
  }
  for (int i = 0; i < removed.GetSize(); ++i) LogRemoved("", removed[i]);
}
