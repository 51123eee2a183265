#include "removal/closing/SessionUser.h"

#include "removal/WidePath.h"

namespace {

typedef BOOL(WINAPI* QueryCall)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
typedef void(WINAPI* FreeCall)(LPVOID);

// The pointer passes through void (*)(), which any function pointer may.
template <typename Call>
Call Look(HMODULE library, LPCSTR name) {
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace

CString SessionUser(DWORD session) {
  CString user;
  HMODULE library = LoadLibraryA("wtsapi32.dll");
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
