#include "removal/RemovalLock.h"

namespace {

// "Global\": one for the whole computer, across the sessions of SYSTEM, the
// console and remote users.
const char kGlobalName[] = "Global\\RemoveKM.Removal";
const char kLocalName[] = "RemoveKM.Removal";

}  // namespace

CRemovalLock::~CRemovalLock() {
  if (m_mutex) CloseHandle(m_mutex);
}

bool CRemovalLock::Take() {
  // The object lives while any process has it open: its existence is the lock.
  m_mutex = CreateMutexA(NULL, FALSE, kGlobalName);
  // Made by another account, it cannot be opened with full access: held.
  if (m_mutex == NULL && GetLastError() == ERROR_ACCESS_DENIED) return false;
  // Windows without sessions knows no "Global\".
  if (m_mutex == NULL) m_mutex = CreateMutexA(NULL, FALSE, kLocalName);
  if (m_mutex != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(m_mutex);
    m_mutex = NULL;
    return false;
  }
  // A lock that cannot be made at all does not stop the removal.
  return true;
}
