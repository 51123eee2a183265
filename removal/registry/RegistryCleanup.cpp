#include <cwchar>

#include "app/RemoverDlg.h"
#include "removal/ProductTraces.h"
#include "removal/WidePath.h"

namespace {

const char kStep6[] = "Step 6 of 6: Removing registry information...";

// Registry key names have at most 255 characters.
const DWORD kMaxSubKeyName = 256;
// Far more sub-keys than the product ever makes: a registry that keeps
// answering still does not keep the removal from ending.
const int kMaxSubKeyAttempts = 100000;

// What is already gone needs no removing.
bool Failed(LONG result) { return result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND; }

// The sub-key's name for the failure list.
CString SubKeyEntry(LPCWSTR name) {
  return kProductKeyEntry + CString("\\") + CWidePath(name).Utf8();
}

// Deletes the product key's sub-keys (each a plain delete, in wide characters
// so that any name goes) and its install path value; the key itself and its
// other values stay; the install path stays too where the folder it names
// was not reached. What went is added to `removed`. Each sub-key is tried at most twice, so the
// loop ends whatever the calls answer.
void RemoveProductEntries(HKEY productKey, bool keepInstallPath, CStringArray& failures,
                          CStringArray& removed) {
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
        RegEnumKeyExW(productKey, index, name, &length, NULL, NULL, NULL, &lastWrite);
    if (listed != ERROR_SUCCESS) {
      // Sub-keys that could not be listed stay unnamed: the key stands for them.
      if (listed != ERROR_NO_MORE_ITEMS && Failed(listed)) failures.Add(kProductKeyEntry);
      break;
    }
    // A sub-key that stays is passed over, so that the loop ends; one that
    // answered "not found" and is listed again stays too.
    const bool listedAgain = wcscmp(name, notFound) == 0;
    const LONG deleted = listedAgain ? ERROR_FILE_NOT_FOUND : RegDeleteKeyW(productKey, name);
    if (Failed(deleted) || listedAgain) {
      failures.Add(SubKeyEntry(name));
      ++index;
    } else if (deleted == ERROR_FILE_NOT_FOUND) {
      wcscpy(notFound, name);
    } else {
      removed.Add(SubKeyEntry(name));
    }
  }
  if (keepInstallPath) return;
  const LONG deleted = RegDeleteValueA(productKey, kInstallPathValue);
  if (Failed(deleted)) failures.Add(kInstallPathEntry);
  if (deleted == ERROR_SUCCESS) removed.Add(kInstallPathEntry);
}

}  // namespace

void CRemoverDlg::RemoveRegistryEntries(CRegistryKey& key) {
  ShowStep(kStep6);

  CStringArray removed;
  const LONG opened = key.Open(HKEY_LOCAL_MACHINE, kProductKey, KEY_ALL_ACCESS);
  if (opened == ERROR_SUCCESS) {
    RemoveProductEntries(key.m_key, !m_unreachedFolder.IsEmpty(), m_failures, removed);
  } else if (Failed(opened)) {
    m_failures.Add(kProductKeyEntry);
  }

  for (const char* entry : kUninstallEntries) {
    // A fresh open for each entry: it closes the key held before. That close
    // failing does not keep this entry: the Uninstall key is open all the same.
    const HKEY before = key.m_key;
    LONG result = key.Open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
    if (key.m_key != before) result = key.DeleteKeyTree(entry);
    if (Failed(result)) m_failures.Add(kUninstallEntryPrefix + CString(entry));
    if (result == ERROR_SUCCESS) removed.Add(kUninstallEntryPrefix + CString(entry));
  }
  for (int i = 0; i < removed.GetSize(); ++i) LogRemoved("", removed[i]);
}
