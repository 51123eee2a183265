#include "removal/closing/RestartManager.h"

#include "location/SystemLibrary.h"

namespace {

// The pointer passes through void (*)(), which any function pointer may.
template <typename Call>
void Look(HMODULE library, LPCSTR name, Call& call) {
  FARPROC found = library != NULL ? GetProcAddress(library, name) : NULL;
  call = reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

CRestartManager::CRestartManager()
    : m_library(LoadSystemLibrary(L"rstrtmgr.dll")), m_started(false), m_session(0) {
  Look(m_library, "RmStartSession", m_start);
  Look(m_library, "RmRegisterResources", m_register);
  Look(m_library, "RmGetList", m_list);
  Look(m_library, "RmShutdown", m_shutdown);
  Look(m_library, "RmEndSession", m_end);
}

CRestartManager::~CRestartManager() {
  if (m_started) m_end(m_session);
  if (m_library != NULL) FreeLibrary(m_library);
}

bool CRestartManager::Start() {
  if (!m_start || !m_register || !m_list || !m_shutdown || !m_end) return false;
  WCHAR key[CCH_RM_SESSION_KEY + 1];
  m_started = m_start(&m_session, 0, key) == ERROR_SUCCESS;
  return m_started;
}

bool CRestartManager::AddFile(LPCWSTR path) {
  LPCWSTR files[] = {path};
  return m_started && m_register(m_session, 1, files, 0, NULL, 0, NULL) == ERROR_SUCCESS;
}

bool CRestartManager::AddProcess(const RM_UNIQUE_PROCESS& process) {
  RM_UNIQUE_PROCESS processes[] = {process};
  return m_started && m_register(m_session, 0, NULL, 1, processes, 0, NULL) == ERROR_SUCCESS;
}

bool CRestartManager::List(RM_PROCESS_INFO*& processes, UINT& count) {
  processes = NULL;
  count = 0;
  if (!m_started) return false;
  // The list may grow between the calls.
  for (int attempt = 0; attempt < 4; ++attempt) {
    UINT needed = 0;
    DWORD reasons = 0;
    const DWORD result = m_list(m_session, &needed, &count, processes, &reasons);
    if (result == ERROR_SUCCESS) return true;
    delete[] processes;
    processes = NULL;
    count = 0;
    if (result != ERROR_MORE_DATA) return false;
    processes = new RM_PROCESS_INFO[needed];
    count = needed;
  }
  delete[] processes;
  processes = NULL;
  count = 0;
  return false;
}

bool CRestartManager::Shutdown(bool force) {
  return m_started && m_shutdown(m_session, force ? RmForceShutdown : 0, NULL) == ERROR_SUCCESS;
}
