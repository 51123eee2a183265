#include "removal/closing/SessionUser.h"

#include "location/SystemLibrary.h"
#include "removal/WidePath.h"

namespace {

typedef BOOL(WINAPI* QueryCall)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
typedef void(WINAPI* FreeCall)(LPVOID);
typedef BOOL(WINAPI* TokenCall)(ULONG, HANDLE*);
typedef BOOL(WINAPI* StartCall)(HANDLE, LPCWSTR, LPWSTR, LPVOID, LPVOID, BOOL, DWORD, LPVOID,
                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
typedef BOOL(WINAPI* EnvironmentCall)(LPVOID*, HANDLE, BOOL);
typedef BOOL(WINAPI* EnvironmentFreeCall)(LPVOID);

// The pointer passes through void (*)(), which any function pointer may.
template <typename Call>
Call Look(HMODULE library, LPCSTR name) {
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Someone is at it: a disconnected session's user would not see the notice.
bool IsActive(HMODULE library, DWORD session) {
  QueryCall query = Look<QueryCall>(library, "WTSQuerySessionInformationW");
  FreeCall release = Look<FreeCall>(library, "WTSFreeMemory");
  LPWSTR state = NULL;
  DWORD bytes = 0;
  if (!query || !release ||
      !query(WTS_CURRENT_SERVER_HANDLE, session, WTSConnectState, &state, &bytes))
    return false;
  const bool active = bytes >= sizeof(DWORD) && *reinterpret_cast<DWORD*>(state) == WTSActive;
  release(state);
  return active;
}

}  // namespace

CString SessionUser(DWORD session) {
  CString user;
  HMODULE library = LoadSystemLibrary(L"wtsapi32.dll");
  if (library == NULL) return user;
  QueryCall query = Look<QueryCall>(library, "WTSQuerySessionInformationW");
  FreeCall release = Look<FreeCall>(library, "WTSFreeMemory");
  LPWSTR name = NULL;
  DWORD bytes = 0;
  if (query && release && query(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &name, &bytes)) {
    user = CWidePath(name).Utf8();
    release(name);
  }
  FreeLibrary(library);
  return user;
}

HANDLE StartInSession(DWORD session, const CString& arguments) {
  HMODULE library = LoadSystemLibrary(L"wtsapi32.dll");
  if (library == NULL) return NULL;
  TokenCall userToken = Look<TokenCall>(library, "WTSQueryUserToken");
  StartCall start = Look<StartCall>(GetModuleHandleA("advapi32.dll"), "CreateProcessAsUserW");
  HMODULE environments = LoadSystemLibrary(L"userenv.dll");
  EnvironmentCall makeEnvironment =
      environments ? Look<EnvironmentCall>(environments, "CreateEnvironmentBlock") : NULL;
  EnvironmentFreeCall freeEnvironment =
      environments ? Look<EnvironmentFreeCall>(environments, "DestroyEnvironmentBlock") : NULL;
  LPVOID environment = NULL;
  HANDLE token = NULL;
  PROCESS_INFORMATION started = {};
  WCHAR program[MAX_PATH];
  WCHAR desktop[] = L"winsta0\\default";
  if (IsActive(library, session) && userToken && start && userToken(session, &token) &&
      GetModuleFileNameW(NULL, program, MAX_PATH) < MAX_PATH) {
    // Its own name first, as a program's command line begins.
    CWidePath line("RemoveKM.exe " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    // Her own environment (her profile, her temporary folder), not this
    // account's; where it cannot be made, the copy starts with this one's.
    if (!makeEnvironment || !freeEnvironment || !makeEnvironment(&environment, token, FALSE))
      environment = NULL;
    // The call may write into the line while it reads it.
    if (start(token, program, const_cast<LPWSTR>(line.Text()), NULL, NULL, FALSE,
              environment ? CREATE_UNICODE_ENVIRONMENT : 0, environment, NULL, &startup, &started))
      CloseHandle(started.hThread);
  }
  if (environment != NULL) freeEnvironment(environment);
  if (environments != NULL) FreeLibrary(environments);
  if (token != NULL) CloseHandle(token);
  FreeLibrary(library);
  return started.hProcess;
}
