// The simulated Windows machine behind the host build: files, registry, shell
// folders, windows and message boxes, all in memory. A test resets it, sets up
// what it needs, runs the program's logic against the Win32 functions of
// HostWin32.h and inspects what is left. Errors are Win32 codes; a fault is
// injected by arming one operation on one path or key.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace sim {

// The operations a fault can be armed on. Each names the Win32 call (or the
// family of calls) that fails.
enum class Op {
  SetCurrentDirectory,
  GetCurrentDirectory,  // target ""
  FindFirstFile,        // FindFirstFileA: the listing cannot start; matched on the pattern as a
                        // full path ("C:\src\*" for "*" in C:\src, "C:\a\b" for "C:\a\b")
  FindNextFile,         // FindNextFileA: the listing breaks off; matched on the folder listed
  CreateDirectory,
  CopyFile,  // matched on the source or the destination path
  DeleteFile,
  RemoveDirectory,
  CreateFile,
  GetFileAttributes,
  GetLongPathName,
  SetFileAttributes,
  ShellDelete,    // SHFileOperationA/W FO_DELETE: matched on the folder given
  SpecialFolder,  // SHGetSpecialFolderPathA/W, SHGetFolderPathA: matched on the CSIDL as decimal
                  // text ("16")
  RegOpenKey,     // matched on the full key path, e.g. "HKLM\SOFTWARE\Dravenhall\Kelmora"
  RegQueryValue,  // matched on the key path
  RegEnumKey,
  RegDeleteKey,    // matched on the full path of the key to delete
  RegDeleteValue,  // matched on the key path
  RegCloseKey,
  GetUserName,
  GetVersion,
  CreateDialog,         // DialogBoxParamA / CreateDialogParamA: matched on the template id as text
  GetSystemMenu,        // matched on the dialog's template id as text
  LoadString,           // matched on the string id as text
  CoInitialize,         // target ""
  SHGetPathFromIDList,  // matched on the chosen path
  MoveFileEx,           // MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT: matched on the path
  SetFileSecurity,      // SetFileSecurityW: matched on the path
  WriteFile,            // matched on the file's path; half the data is written before the error
  ReadFile,             // matched on the path the file was opened by
  CreateEnvironmentBlock,  // matched on the token's user, e.g. "alice"
  WideCall,  // a wide call that this Windows lacks (ERROR_CALL_NOT_IMPLEMENTED, as Windows 95
             // answers): matched on its name, e.g. "RegQueryValueExW"
};
const char* OpName(Op op);
// A wide text in the form a test writes names (see Machine::AddFolder).
std::string StoredName(LPCWSTR wide);
// UTF-8 text (the program's log) in that form, without a leading byte-order mark.
std::string StoredFromUtf8(const std::string& utf8);

// One message box as the program showed it.
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  bool captionNull;
  std::string caption;
  UINT type;
  int answer;
};

// A repaint, with the texts of the repainted window's children at that moment.
struct RepaintRecord {
  int templateId;
  UINT flags;
  std::vector<std::string> texts;  // in child order
};

// A simulated window: a dialog made from a template, or one of its controls.
struct Window {
  HWND handle = nullptr;
  int templateId = 0;  // dialogs: the template they were made from
  int id = 0;          // controls: the control id
  std::string className;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // in dialog units, from the template
  // In pixels: the template size at 1.5 pixels per horizontal and 1.625 per
  // vertical dialog unit (MS Sans Serif 8); a test may change it.
  RECT client = {0, 0, 0, 0};
  int check = 0;
  bool visible = false;
  bool enabled = true;  // EnableWindow: a disabled dialog takes no clicks
  bool iconic = false;
  bool destroyed = false;
  bool modal = false;
  bool ended = false;
  bool unicode = false;  // made by a wide call: its texts hold any character
  INT_PTR endResult = 0;
  HWND parent = nullptr;
  std::vector<HWND> children;
  DLGPROC proc = nullptr;
  std::map<int, LONG_PTR> longs;  // SetWindowLongPtrA slots
  HICON bigIcon = nullptr, smallIcon = nullptr;
  std::vector<std::string> menuItems;  // system menu: "-" for a separator, else "<id>:<text>"
  int topOrder = 0;                    // raised by BringWindowToTop
  std::map<UINT_PTR, UINT> timers;     // SetTimer: id, milliseconds
};

class Machine {
 public:
  Machine();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // ---- Files and folders. Paths are Windows paths ("C:\a\b").
  void AddFolder(const std::string& path, DWORD attributes = 0);  // parents made as needed
  void AddFile(const std::string& path, const std::string& content = "",
               DWORD attributes = FILE_ATTRIBUTE_ARCHIVE);
  // A junction at `path` whose target is `target` (a folder that may lie anywhere).
  void AddJunction(const std::string& path, const std::string& target);
  // A symbolic link at `path` to a folder (attributes like a junction's) or to
  // a file (reparse point without the folder bit).
  void AddSymbolicLink(const std::string& path, const std::string& target, bool toFolder);
  // A second name at `path` for the file `existing`: one file, with one
  // content, attributes, security and opens, counting two links.
  void AddHardLink(const std::string& path, const std::string& existing);
  // Makes an existing file or folder a reparse point of `tag` that is no link
  // (IO_REPARSE_TAG_DEDUP, a cloud file's, ...): it keeps its own contents.
  void AddReparsePoint(const std::string& path, DWORD tag);
  // Links as Wine 8 has them: listings give 0 for every reparse tag, and a
  // link opened as itself (FILE_OPEN_REPARSE_POINT) is followed all the same.
  void LinksAsWine8();
  // Another process holds the file open without FILE_SHARE_DELETE: deleting or
  // moving it fails with ERROR_SHARING_VIOLATION, opening it with the same.
  void HoldOpen(const std::string& path, bool held = true);
  // Another process holds the entry open sharing `share`: FILE_SHARE_READ (a
  // teacher's open document: it can be read, not deleted), or everything (a
  // virus scanner, the search indexer, an Explorer window: a delete only
  // marks it). It lets go `calls` simulated calls after the entry is
  // deleted (marked); < 0: never.
  void HoldOpenSharing(const std::string& path, DWORD share, long long calls = -1);
  // The inspectors resolve paths as Windows does, through junctions on the way,
  // but a junction named last is the link itself. A path that is missing where
  // an inspector needs it (ReadFile, List, Tree) throws std::invalid_argument.
  bool Exists(const std::string& path) const;
  // Deleted, and kept only while another program holds it (HoldOpenSharing).
  bool BeingDeleted(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  std::string ReadFile(const std::string& path) const;
  // As GetFileAttributesA gives them (FILE_ATTRIBUTE_NORMAL for none);
  // INVALID_FILE_ATTRIBUTES when missing.
  DWORD Attributes(const std::string& path) const;
  // Names (as stored, with their case) in a folder, sorted case-insensitively.
  std::vector<std::string> List(const std::string& folder) const;
  // Every file below a folder, by path relative to it, with its content; a
  // junction is one entry "<junction TARGET>", a symbolic link "<link TARGET>",
  // its target's files not listed.
  std::map<std::string, std::string> Tree(const std::string& folder) const;
  std::string CurrentDirectory() const;
  // The path in 8.3 short names, as GetShortPathNameA gives it ("C:\PROGRA~1");
  // a name that fits 8.3 is its own short name. Every call that takes a path
  // also finds an entry by its short name.
  std::string ShortPath(const std::string& path) const;
  // The full path in long names, as GetLongPathNameA gives it; "" when missing.
  std::string LongPath(const std::string& path) const;
  // Who may change an entry (add, delete or rename what it holds, or change
  // its security), as its owner and DACL say, by Windows' access check.
  // Administrators and SYSTEM always may; any other account when it owns the
  // entry, is granted a right that changes it, may delete it from its
  // folder, or may rewrite the DACL of a folder above while the entry
  // inherits from it (no protected DACL). Everyone, Authenticated Users and
  // Users hold every account. C:\ and the Program Files folders carry
  // CREATOR OWNER's inherit-only full control, as Windows installs them.
  // SetFileSecurityW sets owner and DACL.
  // LetChange: "Modify" for the folder, its sub-folders and files.
  void LetChange(const std::string& path, const std::string& account);
  // An ACE of the entry's own: `rights` (FILE_ADD_FILE, DELETE, ...), passed
  // on as `inheritance` says (OBJECT_INHERIT_ACE, INHERIT_ONLY_ACE, ...).
  void Grant(const std::string& path, const std::string& account, DWORD rights,
             BYTE inheritance = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  void Deny(const std::string& path, const std::string& account, DWORD rights,
            BYTE inheritance = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  void SetOwner(const std::string& path, const std::string& account);
  // The entry inherits nothing from the folder above.
  void ProtectDacl(const std::string& path);
  // What `account` can do where it may add a folder: make one, its own.
  // False, and nothing done, where it may not or the name is taken.
  bool MakeFolder(const std::string& account, const std::string& path);
  // What `account` can do where it may change a folder or the folder above
  // it: the entry at `path` is moved aside (renamed "... (moved)") and a
  // junction to `target` (with "", a folder of its own) made in its place.
  // False, and nothing done, where it may change neither, or while the
  // entry is open without FILE_SHARE_DELETE.
  bool PlantLink(const std::string& account, const std::string& path, const std::string& target);
  // What `account` can do in an empty folder it may change, even while the
  // program holds it open (sharing writing): make it a mount point to
  // `target` in place (FSCTL_SET_REPARSE_POINT). False, and nothing done, else.
  bool MakeMountPoint(const std::string& account, const std::string& path,
                      const std::string& target);
  bool MayChange(const std::string& account, const std::string& path) const;
  // Whether `account` may read a file or list a folder, or may change it
  // (and so give itself that right).
  bool MayRead(const std::string& account, const std::string& path) const;
  // A drive as GetDriveTypeW and QueryDosDeviceW see it ("S:", DRIVE_FIXED,
  // "\??\C:\Pupils" for a SUBST drive). Unset: a fixed disk of its own.
  void SetDrive(const std::string& drive, UINT type, const std::string& device);
  // What SHFileOperationA moved to the Recycle Bin (FOF_ALLOWUNDO), full paths in order.
  std::vector<std::string> RecycledPaths() const;

  // ---- Programs running besides this one. A running program holds its
  // program file (DeleteFile answers ERROR_ACCESS_DENIED) and the files of
  // `holds` open without sharing; when it ends, they are free again.
  struct Process {
    std::string image;               // its program file, a full path
    bool hasWindow = true;           // a visible top-level window
    bool closesOnRequest = true;     // WM_CLOSE to that window ends it
    bool denied = false;             // another account's: only SYNCHRONIZE and
                                     // PROCESS_QUERY_LIMITED_INFORMATION open it
    std::vector<std::string> holds;  // files held open without sharing
    DWORD session = 1;               // its Terminal Services session
    // As the Restart Manager tells it; a service stops when asked, a part of
    // Windows never.
    enum class Kind { Program, Service, Explorer, Critical } kind = Kind::Program;
    // An id of a process that has ended may be given again; 0: a new one.
    DWORD id = 0;
    // Kept by the machine:
    unsigned long long startTime = 0;  // as GetProcessTimes gives it
    bool running = true;
    // "WM_CLOSE", "TerminateProcess", "RmShutdown", "RmForceShutdown" or "restart"
    std::string endedBy;
    // Started by the program (CreateProcessAsUserW): its command line, and
    // once it has run, its exit code and the tick it ends at.
    std::string commandLine;
    // The variables of the environment it was given, "NAME=value" each; none
    // when it got its starter's.
    std::vector<std::string> environment;
    bool played = false;
    DWORD exitCode = 0;
    DWORD endsAt = 0;
  };
  // Starts `process` (its files must exist); returns its id.
  DWORD StartProcess(const Process& process);
  // The running process of that id ends by itself ("exited").
  void ExitProcess(DWORD id);
  // This program's session (1 unless set; SYSTEM's is 0): the windows of
  // other sessions are not listed to it.
  void SetOwnSession(DWORD session);
  // The program's window station is one without WSF_VISIBLE (a service's).
  void HideWindowStation();
  // Who is signed in to `session`; this program's own session has the
  // account of GetUserNameA, any other nobody unless set.
  void SetSessionUser(DWORD session, const std::string& name);
  // Its user is signed in but not at it (WTSDisconnected).
  void DisconnectSession(DWORD session);
  // Plays a process that the program started (CreateProcessAsUserW) when the
  // program first waits for it, and returns its exit code. Meanwhile the
  // simulated API answers as that process's session and user see it, and the
  // time it takes passes: a wait shorter than that runs out first.
  std::function<DWORD(const Process& started)> runStarted;
  // The Restart Manager: from Vista on it names the processes that use a
  // registered file (their program file or one they hold) or that were
  // registered themselves, and shuts them down: those that close on request,
  // or, forced, all. Failing: every call after RmStartSession fails. Idle:
  // every call answers success and does nothing (Wine's). Powerless: it
  // names them, and its shutdown answers success and ends none. Its shutdown
  // reaches the programs of this program's own session only, and services
  // (stopped) only when they use what was registered; never a critical one.
  enum class RestartManager { Working, Missing, Failing, Idle, Powerless };
  void SetRestartManager(RestartManager kind);
  std::vector<Process> Processes() const;
  // This program's own file, as GetModuleFileNameA and the process list give
  // it; "C:\Temp\RemoveKM.exe" unless set.
  void SetModulePath(const std::string& path);
  // Windows restarts: every program ends, every file is let go, and the
  // operations of PendingFileRenameOperations are carried out in order, as
  // the session manager does (a folder is deleted only when empty, a link as
  // a link); the value is then removed.
  void Restart();
  // The paths PendingFileRenameOperations asks to delete, in order, without
  // their "\??\" prefix.
  std::vector<std::string> PendingDeletes() const;

  // ---- Registry. Key paths start with "HKLM\".
  void AddKey(const std::string& keyPath);  // parents made as needed
  void SetValue(const std::string& keyPath, const std::string& name, const std::string& data,
                DWORD type = REG_SZ);  // data as stored, byte for byte
  bool KeyExists(const std::string& keyPath) const;
  bool ValueExists(const std::string& keyPath, const std::string& name) const;
  std::vector<std::string> SubKeys(const std::string& keyPath) const;
  std::vector<std::string> ValueNames(const std::string& keyPath) const;
  // The key's security grants SYSTEM alone: any other account's opens and
  // deletes fail with ERROR_ACCESS_DENIED.
  void DenyKey(const std::string& keyPath, bool denied = true);

  // Who may change a key, judged as for files (see MayChange), with the
  // key rights: KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE,
  // WRITE_DAC, WRITE_OWNER. GrantKey: an ACE of the key's own, passed on to
  // the keys below (KEY_ALL_ACCESS: "Full Control").
  void GrantKey(const std::string& keyPath, const std::string& account, DWORD rights);
  bool MayChangeKey(const std::string& account, const std::string& keyPath) const;
  // A registry link (REG_OPTION_CREATE_LINK) at `keyPath` to the key
  // `target` ("HKLM\..."): opens without REG_OPTION_OPEN_LINK, and
  // RegDeleteKey by its name, lead there.
  void AddKeyLink(const std::string& keyPath, const std::string& target);
  // What `account` can do where it may change a key or the key above it:
  // the key goes and a link to `target` takes its name. False, and nothing
  // done, where it may change neither.
  bool PlantKeyLink(const std::string& account, const std::string& keyPath,
                    const std::string& target);

  // ---- System facts.
  void SetSpecialFolder(int csidl, const std::string& path);  // "" = the system cannot name it
  // This Windows version has no such folder: SHGetFolderPathA answers E_INVALIDARG.
  void DropSpecialFolder(int csidl);
  std::string SpecialFolder(int csidl) const;
  // `build` 0: the build each version first shipped with (10.0: 10240).
  void SetVersion(DWORD major, DWORD minor, DWORD build = 0);
  void SetUserName(const std::string& name);
  void SetWindowsDirectory(const std::string& path);
  void SetSystemDirectory(const std::string& path);
  // The whole command line, the program's name first, as GetCommandLineA gives it.
  void SetCommandLine(const std::string& text);
  void SetComputerName(const std::string& name);
  // Gives the process a standard output (a caller redirected it); what the
  // program writes there is in `standardOutput`.
  void RedirectStandardOutput();
  std::string standardOutput;
  // A 64-bit Windows running this 32-bit program under WOW64: the system
  // names "C:\Program Files (x86)" (and its Common Files) for both program
  // folder views, %ProgramW6432% is "C:\Program Files" and
  // %CommonProgramW6432% its Common Files, the 32-bit system folder is
  // SysWOW64, and the folders exist.
  void MakeWindows64();

  // ---- Faults. The next `times` calls of `op` whose path, key or name equals
  // `target` (compared as Windows compares paths; "*" matches every target)
  // fail with `error`. times < 0: every call.
  void Fail(Op op, const std::string& target, DWORD error, int times = -1);
  void ClearFaults();
  // Called before every faultable operation; a test may set it to fail calls
  // by any rule of its own (return the error, or 0 to let the call run).
  std::function<DWORD(Op, const std::string& target)> faultHook;

  // ---- User interface.
  // Answers for the next message boxes, in order. When none is queued the box
  // is answered with its default button (IDOK, or IDYES for MB_YESNO).
  void QueueMessageBoxAnswer(int answer);
  // Answers for the next folder browsers: a path, or "" for Cancel. With none
  // queued the browser is cancelled.
  void QueueBrowserAnswer(const std::string& path);
  // Called while a modal dialog runs, after WM_INITDIALOG: plays the user.
  // When it returns, a dialog with a timer (SetTimer) gets each tick, time
  // passing, until it ends; one that has not ended then ends with IDCANCEL.
  std::function<void(HWND dialog)> modalUser;
  // Called after each message box is recorded, before it returns (e.g. to look
  // at the screen while the box is up).
  std::function<void(const MessageBoxRecord&)> onMessageBox;

  std::vector<MessageBoxRecord> messageBoxes;
  std::vector<RepaintRecord> repaints;
  struct BrowserRecord {
    HWND owner;
    std::string title;
    UINT flags;
    bool rootNull;
  };
  std::vector<BrowserRecord> browsers;
  // Chronological log of what the program did that a person or the disk could
  // see: "SetWindowText 1004 Step 2 of 6...", "DeleteFile C:\x", "MessageBox ...".
  std::vector<std::string> events;

  // Every window made since the reset, destroyed ones included (their record
  // stays, with `destroyed` set); nullptr for any other handle.
  Window* GetWindow(HWND window);
  HWND FindDialog(int templateId) const;  // the newest live dialog from that template
  HWND Control(HWND dialog, int id) const;
  std::string ControlText(HWND dialog, int id) const;
  // Simulated user actions on a dialog: the control's WM_COMMAND (BN_CLICKED),
  // sent to the dialog procedure; typing replaces an edit's text.
  // A click on a disabled dialog is lost, as Windows drops it.
  void Click(HWND dialog, int id);
  // A click the person makes while the program is busy: it arrives when the
  // program next looks at its messages (PeekMessageA).
  void QueueClick(HWND dialog, int id);
  int MessagePumps() const;
  void Type(HWND dialog, int id, const std::string& text);
  void SysCommand(HWND dialog, UINT command);

  // ---- Accounting, for checking that everything opened was closed.
  int OpenFindHandles() const;
  int OpenFileHandles() const;
  int OpenKeys() const;
  int OpenMutexHandles() const;
  // Processes, Toolhelp snapshots, Restart Manager sessions, loaded
  // libraries, session user names and environment blocks not freed.
  int OpenProcessHandles() const;
  int LiveWindows() const;
  int ComInitDepth() const;
  int LiveItemIdLists() const;
  long long CallCount() const;  // every simulated call so far
  // Called at the start of every simulated call with the name of the function
  // (or of the helper that serves a family of them, such as the A and W
  // spellings); it counts and changes nothing.
  std::function<void(const char* function)> onCall;

  // The whole state, readable: the file tree, the registry, windows, the log.
  std::string Dump() const;

  // Implementation, shared by the simulated API's source files.
  struct State;
  State& state() { return *state_; }
  const State& state() const { return *state_; }

 private:
  std::unique_ptr<State> state_;
};

// How the ANSI functions spell a name as the machine stores it (names the
// code page cannot spell are stored as UTF-8): Windows' best fit, else "?".
std::string AnsiSpelling(const std::string& stored);

// The machine the simulated API works on.
Machine& machine();
// Throws the machine away and makes a fresh one, a Windows XP machine: drive
// C: with C:\WINDOWS, C:\WINDOWS\system32, C:\Program Files and the desktop
// and Start Menu folders of "All Users" and "user1" under C:\Documents and
// Settings, the special folders naming them, OS version 5.1, user "user1",
// current directory "C:\" and an HKLM holding only the key
// SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall.
Machine& reset();

}  // namespace sim
