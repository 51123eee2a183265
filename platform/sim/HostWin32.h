// The subset of the Win32 API that RemoveKM and its dialog framework call,
// declared for the host build with the real type sizes and constant values.
// Every function here is implemented by the simulated machine.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int INT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG HRESULT;
typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef void* HANDLE;

#define DECLARE_HANDLE(name) \
  struct name##__ {          \
    int unused;              \
  };                         \
  typedef struct name##__* name
DECLARE_HANDLE(HWND);
DECLARE_HANDLE(HKEY);
DECLARE_HANDLE(HICON);
DECLARE_HANDLE(HDC);
DECLARE_HANDLE(HMENU);
DECLARE_HANDLE(HINSTANCE);
DECLARE_HANDLE(HRGN);
typedef HICON HCURSOR;
typedef HINSTANCE HMODULE;
typedef HKEY* PHKEY;

#ifndef NULL
#define NULL 0
#endif
#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
typedef uintptr_t DWORD_PTR;

// Error codes.
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_CURRENT_DIRECTORY 16L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_NOT_READY 21L
#define ERROR_GEN_FAILURE 31L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_DISK_FULL 39L
#define ERROR_BAD_NETPATH 53L
#define ERROR_BAD_NET_NAME 67L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_DIRECTORY 267L
#define ERROR_CANT_RESOLVE_FILENAME 1921L
#define ERROR_CANTOPEN 1011L
#define ERROR_KEY_DELETED 1018L
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#define ERROR_ENVVAR_NOT_FOUND 203L
#define ERROR_CANCELLED 1223L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_DISK_FULL 112L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_NOT_A_REPARSE_POINT 4390L

// Files.
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define IO_REPARSE_TAG_MOUNT_POINT 0xA0000003
#define IO_REPARSE_TAG_SYMLINK 0xA000000C
#define IsReparseTagNameSurrogate(tag) (((tag)&0x20000000) != 0)
#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define FILE_APPEND_DATA 0x00000004
#define FILE_READ_ATTRIBUTES 0x00000080

typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME;

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

// Wide characters. On the host a WCHAR is the compiler's wchar_t (32 bits,
// not Windows' 16), so that L"" literals serve both builds; the machine reads
// one character per WCHAR.
typedef wchar_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef BOOL* LPBOOL;
#define CP_ACP 0
#define CP_UTF8 65001

typedef struct _WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

DWORD GetLastError();
void SetLastError(DWORD error);
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
// The system's texts of the errors the tests meet; 0 for any other.
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPWSTR buffer,
                     DWORD size, void* arguments);
BOOL SetCurrentDirectoryA(LPCSTR path);
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists);
BOOL DeleteFileA(LPCSTR path);
BOOL RemoveDirectoryA(LPCSTR path);
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL CloseHandle(HANDLE handle);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
DWORD GetFileAttributesA(LPCSTR path);
// Names the ANSI code page cannot spell: the wide calls, and code page 1252.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                        int wideLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                        int length, LPCSTR defaultChar, LPBOOL usedDefault);
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
BOOL DeleteFileW(LPCWSTR path);
BOOL RemoveDirectoryW(LPCWSTR path);
DWORD GetFileAttributesW(LPCWSTR path);
// Only the wide calls take "\\?\" paths past MAX_PATH, up to 32,767 characters.
DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart);
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
// Security: a self-relative descriptor as Windows lays it out in memory.
typedef DWORD SECURITY_INFORMATION;
typedef void* PSECURITY_DESCRIPTOR;
#define OWNER_SECURITY_INFORMATION 0x00000001L
#define DACL_SECURITY_INFORMATION 0x00000004L
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_PROTECTED 0x1000
#define SE_SELF_RELATIVE 0x8000
#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define OBJECT_INHERIT_ACE 0x1
#define CONTAINER_INHERIT_ACE 0x2
#define FILE_ALL_ACCESS 0x001F01FFL
#define ERROR_INVALID_OWNER 1307L
#define ERROR_INVALID_SECURITY_DESCR 1338L
BOOL SetFileSecurityW(LPCWSTR path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security);
// Reading it back from a handle: owner and DACL, made up from the entry's
// owner and who may change it; and the account this program runs as.
#define READ_CONTROL 0x00020000L
#define DELETE 0x00010000L
#define WRITE_DAC 0x00040000L
#define WRITE_OWNER 0x00080000L
#define GENERIC_ALL 0x10000000L
#define FILE_WRITE_DATA 0x0002
#define FILE_WRITE_ATTRIBUTES 0x0100
#define FILE_DELETE_CHILD 0x0040
#define ACCESS_DENIED_ACE_TYPE 0x1
#define NO_PROPAGATE_INHERIT_ACE 0x4
#define INHERIT_ONLY_ACE 0x8
#define INHERITED_ACE 0x10
#define GENERIC_EXECUTE 0x20000000L
#define ACL_REVISION 2
BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION what,
                             PSECURITY_DESCRIPTOR security, DWORD size, LPDWORD needed);
typedef void* PSID;
typedef struct _SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
} SID_AND_ATTRIBUTES;
typedef struct _TOKEN_USER {
  SID_AND_ATTRIBUTES User;
} TOKEN_USER;
enum TOKEN_INFORMATION_CLASS { TokenUser = 1 };
#define TOKEN_QUERY 0x0008
HANDLE GetCurrentProcess();
BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, void* information, DWORD size,
                         LPDWORD needed);
BOOL SetKernelObjectSecurity(HANDLE handle, SECURITY_INFORMATION what,
                             PSECURITY_DESCRIPTOR security);
// ntdll's file calls (every NT version, reached through GetProcAddress):
// opens relative to a folder already open, listings and information by handle.
typedef LONG NTSTATUS;
typedef unsigned char BOOLEAN;
typedef DWORD ACCESS_MASK;
#define NT_SUCCESS(status) ((NTSTATUS)(status) >= 0)
#define STATUS_NO_MORE_FILES ((NTSTATUS)0x80000006L)
#define STATUS_NOT_IMPLEMENTED ((NTSTATUS)0xC0000002L)
#define STATUS_NOT_A_DIRECTORY ((NTSTATUS)0xC0000103L)
#define STATUS_REPARSE_POINT_NOT_RESOLVED ((NTSTATUS)0xC0000280L)
#define STATUS_OBJECT_NAME_NOT_FOUND ((NTSTATUS)0xC0000034L)
#define STATUS_NAME_TOO_LONG ((NTSTATUS)0xC0000106L)
#define STATUS_OBJECT_NAME_COLLISION ((NTSTATUS)0xC0000035L)
#define STATUS_DELETE_PENDING ((NTSTATUS)0xC0000056L)
#define STATUS_DIRECTORY_NOT_EMPTY ((NTSTATUS)0xC0000101L)
#define STATUS_OBJECT_NAME_NOT_FOUND ((NTSTATUS)0xC0000034L)
#define STATUS_STOPPED_ON_SYMLINK ((NTSTATUS)0x8000002DL)
#define STATUS_UNSUCCESSFUL ((NTSTATUS)0xC0000001L)
#define FILE_OPEN 0x00000001
#define FILE_CREATE 0x00000002
#define FILE_DIRECTORY_FILE 0x00000001
#define FILE_NON_DIRECTORY_FILE 0x00000040
#define FILE_SYNCHRONOUS_IO_NONALERT 0x00000020
#define FILE_OPEN_FOR_BACKUP_INTENT 0x00004000
#define FILE_OPEN_REPARSE_POINT 0x00200000
#define OBJ_CASE_INSENSITIVE 0x00000040L
typedef struct _UNICODE_STRING {
  WORD Length;
  WORD MaximumLength;
  WCHAR* Buffer;
} UNICODE_STRING, *PUNICODE_STRING;
typedef struct _OBJECT_ATTRIBUTES {
  ULONG Length;
  HANDLE RootDirectory;
  PUNICODE_STRING ObjectName;
  ULONG Attributes;
  void* SecurityDescriptor;
  void* SecurityQualityOfService;
} OBJECT_ATTRIBUTES, *POBJECT_ATTRIBUTES;
typedef struct _IO_STATUS_BLOCK {
  union {
    NTSTATUS Status;
    void* Pointer;
  };
  ULONG_PTR Information;
} IO_STATUS_BLOCK, *PIO_STATUS_BLOCK;
typedef enum _FILE_INFORMATION_CLASS {
  FileDirectoryInformation = 1,
  FileBasicInformation = 4,
  FileDispositionInformation = 13,
  FileAttributeTagInformation = 35,
  FileDispositionInformationEx = 64
} FILE_INFORMATION_CLASS;
#define FILE_DISPOSITION_DELETE 0x00000001
#define FILE_DISPOSITION_POSIX_SEMANTICS 0x00000002
typedef struct _FILE_DIRECTORY_INFORMATION {
  ULONG NextEntryOffset;
  ULONG FileIndex;
  int64_t CreationTime, LastAccessTime, LastWriteTime, ChangeTime, EndOfFile, AllocationSize;
  ULONG FileAttributes;
  ULONG FileNameLength;
  WCHAR FileName[1];
} FILE_DIRECTORY_INFORMATION;
typedef struct _FILE_BASIC_INFORMATION {
  int64_t CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
  ULONG FileAttributes;
} FILE_BASIC_INFORMATION;
typedef struct _FILE_DISPOSITION_INFORMATION {
  BOOLEAN DoDeleteFile;
} FILE_DISPOSITION_INFORMATION;
typedef struct _LARGE_INTEGER {
  int64_t QuadPart;
} LARGE_INTEGER;
NTSTATUS NtCreateFile(HANDLE* handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                      PIO_STATUS_BLOCK status, LARGE_INTEGER* size, ULONG fileAttributes,
                      ULONG share, ULONG disposition, ULONG options, void* extended,
                      ULONG extendedLength);
NTSTATUS NtQueryDirectoryFile(HANDLE folder, HANDLE event, void* apc, void* context,
                              PIO_STATUS_BLOCK status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what, BOOLEAN single, PUNICODE_STRING pattern,
                              BOOLEAN restart);
NTSTATUS NtQueryInformationFile(HANDLE file, PIO_STATUS_BLOCK status, void* buffer, ULONG size,
                                FILE_INFORMATION_CLASS what);
NTSTATUS NtSetInformationFile(HANDLE file, PIO_STATUS_BLOCK status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what);
ULONG RtlNtStatusToDosError(NTSTATUS status);
// Drives.
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
UINT GetDriveTypeW(LPCWSTR root);
DWORD QueryDosDeviceW(LPCWSTR device, LPWSTR targets, DWORD size);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD GetTempPathA(DWORD size, LPSTR buffer);
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

// What a folder's name resolves to, for telling which folder it really is.
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
// Opens a link itself, not what it leads to.
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#define FILE_LIST_DIRECTORY 0x0001
#define FILE_READ_DATA 0x0001
#define FILE_ADD_FILE 0x0002
#define FILE_ADD_SUBDIRECTORY 0x0004
typedef struct _BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info);
DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* filePart);
// Calls that older Windows versions lack, reached through GetProcAddress:
// GetLongPathNameA and SHGetFolderPathA (Windows 2000 on),
// GetSystemWow64DirectoryA (XP on; ERROR_CALL_NOT_IMPLEMENTED on 32-bit Windows),
// GetFinalPathNameByHandleW (Vista on; only VOLUME_NAME_DOS, 0).
typedef INT_PTR(WINAPI* FARPROC)();
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
DWORD GetLongPathNameA(LPCSTR path, LPSTR buffer, DWORD size);
DWORD GetLongPathNameW(LPCWSTR path, LPWSTR buffer, DWORD size);
UINT GetSystemWow64DirectoryA(LPSTR buffer, UINT size);
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags);
HMODULE GetModuleHandleA(LPCSTR name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

// The unattended run: its command line, its output, its lock, its log's
// date and names.
#define STD_OUTPUT_HANDLE ((DWORD)-11)
typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;
LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();
HANDLE GetStdHandle(DWORD which);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, void* overlapped);
BOOL ReadFile(HANDLE file, LPVOID data, DWORD size, LPDWORD read, void* overlapped);
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
void GetLocalTime(LPSYSTEMTIME time);
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);
DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;
BOOL GetVersionExA(LPOSVERSIONINFOA info);

// Programs running on the machine: listing them (Toolhelp, Windows 2000 on;
// QueryFullProcessImageNameW, Vista on: both reached through GetProcAddress),
// asking their windows to close, ending them.
#define TH32CS_SNAPPROCESS 0x00000002
#define TH32CS_SNAPMODULE 0x00000008
typedef struct tagPROCESSENTRY32W {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  WCHAR szExeFile[MAX_PATH];
} PROCESSENTRY32W, *LPPROCESSENTRY32W;
#define MAX_MODULE_NAME32 255
typedef struct tagMODULEENTRY32W {
  DWORD dwSize;
  DWORD th32ModuleID;
  DWORD th32ProcessID;
  DWORD GlblcntUsage;
  DWORD ProccntUsage;
  BYTE* modBaseAddr;
  DWORD modBaseSize;
  HMODULE hModule;
  WCHAR szModule[MAX_MODULE_NAME32 + 1];
  WCHAR szExePath[MAX_PATH];
} MODULEENTRY32W, *LPMODULEENTRY32W;
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Module32FirstW(HANDLE snapshot, LPMODULEENTRY32W entry);
#define PROCESS_TERMINATE 0x0001
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#define SYNCHRONIZE 0x00100000L
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 258L
#define ERROR_PARTIAL_COPY 299L
typedef DWORD* PDWORD;
DWORD GetCurrentProcessId();
// ProcessIdToSessionId is looked up (Windows 2000 on).
BOOL ProcessIdToSessionId(DWORD processId, DWORD* session);
// The account and the window station the program runs in.
DECLARE_HANDLE(HWINSTA);
typedef struct tagUSEROBJECTFLAGS {
  BOOL fInherit;
  BOOL fReserved;
  DWORD dwFlags;
} USEROBJECTFLAGS;
#define UOI_FLAGS 1
#define WSF_VISIBLE 0x0001L
HWINSTA GetProcessWindowStation();
BOOL GetUserObjectInformationW(HANDLE object, int index, LPVOID info, DWORD size, LPDWORD needed);
HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);
BOOL QueryFullProcessImageNameW(HANDLE process, DWORD flags, LPWSTR name, PDWORD size);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM param);
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);
BOOL IsWindowVisible(HWND window);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Each process's start (identifies it beside its id, which Windows reuses).
BOOL GetProcessTimes(HANDLE process, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                     FILETIME* user);
// Libraries that older Windows versions lack, loaded when they are used,
// from the system folder alone.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
BOOL SetDefaultDllDirectories(DWORD flags);  // Windows 8 on: through GetProcAddress
HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
// The environment a user's programs start with (userenv.dll, Windows 2000 on).
BOOL CreateEnvironmentBlock(LPVOID* environment, HANDLE token, BOOL inherit);
BOOL DestroyEnvironmentBlock(LPVOID environment);
// The Restart Manager (rstrtmgr.dll, Vista on): which processes use a file,
// in any session, and closing them as Windows does at sign-out.
#define CCH_RM_SESSION_KEY 32
#define CCH_RM_MAX_APP_NAME 255
#define CCH_RM_MAX_SVC_NAME 63
#define ERROR_FAIL_SHUTDOWN 351L
typedef struct _RM_UNIQUE_PROCESS {
  DWORD dwProcessId;
  FILETIME ProcessStartTime;
} RM_UNIQUE_PROCESS, *PRM_UNIQUE_PROCESS;
typedef enum _RM_APP_TYPE {
  RmUnknownApp = 0,
  RmMainWindow = 1,
  RmOtherWindow = 2,
  RmService = 3,
  RmExplorer = 4,
  RmConsole = 5,
  RmCritical = 1000
} RM_APP_TYPE;
typedef struct _RM_PROCESS_INFO {
  RM_UNIQUE_PROCESS Process;
  WCHAR strAppName[CCH_RM_MAX_APP_NAME + 1];
  WCHAR strServiceShortName[CCH_RM_MAX_SVC_NAME + 1];
  RM_APP_TYPE ApplicationType;
  ULONG AppStatus;
  DWORD TSSessionId;
  BOOL bRestartable;
} RM_PROCESS_INFO, *PRM_PROCESS_INFO;
typedef enum _RM_SHUTDOWN_TYPE {
  RmForceShutdown = 0x1,
  RmShutdownOnlyRegistered = 0x10
} RM_SHUTDOWN_TYPE;
typedef void(WINAPI* RM_WRITE_STATUS_CALLBACK)(UINT percentComplete);
DWORD RmStartSession(DWORD* session, DWORD flags, WCHAR key[]);
DWORD RmRegisterResources(DWORD session, UINT fileCount, LPCWSTR files[], UINT processCount,
                          RM_UNIQUE_PROCESS processes[], UINT serviceCount, LPCWSTR services[]);
DWORD RmGetList(DWORD session, UINT* needed, UINT* count, RM_PROCESS_INFO processes[],
                LPDWORD rebootReasons);
DWORD RmShutdown(DWORD session, ULONG flags, RM_WRITE_STATUS_CALLBACK status);
DWORD RmEndSession(DWORD session);
// Who is signed in to a session (wtsapi32.dll).
#define WTS_CURRENT_SERVER_HANDLE ((HANDLE)NULL)
typedef enum _WTS_INFO_CLASS { WTSUserName = 5 } WTS_INFO_CLASS;
BOOL WTSQuerySessionInformationW(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer,
                                 DWORD* bytes);
void WTSFreeMemory(LPVOID memory);
// Whether someone is at a session, and a process started there as its user
// (wtsapi32.dll; the token only for SYSTEM; advapi32.dll).
typedef enum _WTS_CONNECTSTATE_CLASS { WTSActive = 0, WTSDisconnected = 4 } WTS_CONNECTSTATE_CLASS;
#define WTSConnectState ((WTS_INFO_CLASS)8)
#define ERROR_NO_TOKEN 1008L
#define ERROR_PRIVILEGE_NOT_HELD 1314L
BOOL WTSQueryUserToken(ULONG session, HANDLE* token);
typedef struct _STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput, hStdOutput, hStdError;
} STARTUPINFOW, *LPSTARTUPINFOW;
typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;
#define CREATE_UNICODE_ENVIRONMENT 0x00000400
BOOL CreateProcessAsUserW(HANDLE token, LPCWSTR application, LPWSTR commandLine, LPVOID, LPVOID,
                          BOOL inheritHandles, DWORD flags, LPVOID environment, LPCWSTR folder,
                          LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started);
#define STILL_ACTIVE 259L
BOOL GetExitCodeProcess(HANDLE process, LPDWORD code);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
// What stays held is deleted when Windows next starts: the session manager
// reads PendingFileRenameOperations (REG_MULTI_SZ, pairs of "\??\" paths,
// an empty second one for a delete) under this key.
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define REG_MULTI_SZ 7
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags);
// Registry.
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F
#define REG_OPTION_OPEN_LINK 0x00000008L
#define REG_LINK 6
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4

BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
BOOL GetUserNameW(LPWSTR buffer, LPDWORD size);
LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, FILETIME* lastWrite);
LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey);
LONG RegDeleteValueA(HKEY key, LPCSTR name);
LONG RegCloseKey(HKEY key);
// The wide registry calls, for key names the ANSI code page cannot spell.
LONG RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPWSTR className, LPDWORD classSize, FILETIME* lastWrite);
LONG RegDeleteKeyW(HKEY parent, LPCWSTR subKey);
// Owner and DACL of an open key (READ_CONTROL), as GetKernelObjectSecurity.
LONG RegGetKeySecurity(HKEY key, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security,
                       LPDWORD size);
// ntdll's: deletes the key the handle holds (DELETE), a link as itself.
NTSTATUS NtDeleteKey(HANDLE key);
LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
// Sizes of names in characters, without the NUL; the data as RegQueryValueExW gives it.
LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD dataSize);

// Shell and COM.
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_STARTMENU 0x000b
#define CSIDL_COMMON_STARTMENU 0x0016
#define CSIDL_COMMON_DESKTOPDIRECTORY 0x0019
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_PROFILE 0x0028
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_FAVORITES 0x0006
#define CSIDL_STARTUP 0x0007
#define CSIDL_MYMUSIC 0x000d
#define CSIDL_MYVIDEO 0x000e
#define CSIDL_FONTS 0x0014
#define CSIDL_TEMPLATES 0x0015
#define CSIDL_COMMON_PROGRAMS 0x0017
#define CSIDL_COMMON_STARTUP 0x0018
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_PROGRAM_FILESX86 0x002a
#define CSIDL_PROGRAM_FILES_COMMON 0x002b
#define CSIDL_PROGRAM_FILES_COMMONX86 0x002c
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_FLAG_DONT_VERIFY 0x4000
#define SHGFP_TYPE_CURRENT 0
#define S_OK ((HRESULT)0)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define FO_DELETE 0x0003
#define FOF_SILENT 0x0004
#define FOF_NOCONFIRMATION 0x0010
#define FOF_ALLOWUNDO 0x0040
#define FOF_NOERRORUI 0x0400
#define BIF_EDITBOX 0x0010
typedef WORD FILEOP_FLAGS;

typedef struct _SHFILEOPSTRUCTA {
  HWND hwnd;
  UINT wFunc;
  LPCSTR pFrom;
  LPCSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCSTR lpszProgressTitle;
} SHFILEOPSTRUCTA, *LPSHFILEOPSTRUCTA;

typedef struct _SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  LPCWSTR pFrom;
  LPCWSTR pTo;
  FILEOP_FLAGS fFlags;
  BOOL fAnyOperationsAborted;
  LPVOID hNameMappings;
  LPCWSTR lpszProgressTitle;
} SHFILEOPSTRUCTW, *LPSHFILEOPSTRUCTW;

typedef struct _ITEMIDLIST ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);
typedef struct _browseinfoA {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPSTR pszDisplayName;
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
} BROWSEINFOA, *LPBROWSEINFOA;
typedef struct _browseinfoW {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPWSTR pszDisplayName;
  LPCWSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
} BROWSEINFOW, *LPBROWSEINFOW;

BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);
// E_INVALIDARG for a CSIDL this Windows does not have.
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path);
int SHFileOperationA(LPSHFILEOPSTRUCTA operation);
// The shell folders and the shell's delete by their whole names.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
int SHFileOperationW(LPSHFILEOPSTRUCTW operation);
LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA info);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path);
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
void CoTaskMemFree(LPVOID memory);

// Windows, dialogs, menus, painting.
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_ICONERASEBKGND 0x0027
#define WM_QUERYDRAGICON 0x0037
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BN_CLICKED 0
#define ICON_SMALL 0
#define ICON_BIG 1
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_YESNO 0x00000004
#define MB_ICONSTOP 0x00000010
#define MB_ICONERROR 0x00000010
#define MF_STRING 0x00000000
#define MF_SEPARATOR 0x00000800
#define SC_CLOSE 0xF060
#define SC_MOVE 0xF010
#define SM_CXICON 11
#define SM_CYICON 12
#define RDW_INVALIDATE 0x0001
#define RDW_ERASE 0x0004
#define RDW_UPDATENOW 0x0100
#define DWLP_MSGRESULT 0
#define DWLP_USER 8
#define GWLP_USERDATA (-21)

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;
typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM param);
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM param);
// A dialog made by the wide calls: its windows' texts hold any character.
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM param);
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
int GetWindowTextLengthA(HWND window);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR buffer, int size);
int GetWindowTextLengthW(HWND window);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
HMENU GetSystemMenu(HWND window, BOOL revert);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
BOOL IsIconic(HWND window);
int GetSystemMetrics(int index);
BOOL GetClientRect(HWND window, LPRECT rect);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL BringWindowToTop(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT;
typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG;
#define PM_REMOVE 0x0001
// The machine's clicks queued with QueueClick arrive here.
BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
BOOL UpdateWindow(HWND window);
BOOL RedrawWindow(HWND window, const RECT* update, HRGN region, UINT flags);
