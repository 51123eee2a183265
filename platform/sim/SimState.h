// The inside of the simulated machine, shared by the files that implement the
// simulated API. Nothing outside platform/sim includes this header.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SimMachine.h"
#include "SimPath.h"

// What SHBrowseForFolderA hands out: the chosen folder's path.
struct _ITEMIDLIST {
  std::string path;
};

namespace sim {

// One entry of a DACL, as Windows stores it.
struct Ace {
  std::string account;  // a name of the machine's, "" for Administrators, or a SID ("S-1-3-0")
  DWORD mask;
  BYTE type;   // ACCESS_ALLOWED_ACE_TYPE or ACCESS_DENIED_ACE_TYPE
  BYTE flags;  // OBJECT_INHERIT_ACE, CONTAINER_INHERIT_ACE, INHERIT_ONLY_ACE, ...
};

// The owner and the DACL of a file, folder or key.
struct Security {
  std::string owner;  // an account other than Administrators; "" for them
  // Who made it: whom the CREATOR OWNER ACEs it inherited were made out to.
  std::string creator;
  std::vector<Ace> aces;
  bool protectedDacl = false;  // takes nothing from the folder (key) above
};

// What the generic rights stand for on a kind of object (GENERIC_MAPPING).
struct GenericRights {
  DWORD read, write, execute, all;
  DWORD Map(DWORD mask) const;
};
const GenericRights kFileRights = {0x120089, 0x120116, 0x1200A0, FILE_ALL_ACCESS};
const GenericRights kKeyRights = {0x20019, 0x20006, 0x20019, 0xF003F};

// A drive, folder, file or link. A link (a junction, or a symbolic link to a
// folder or a file) is an entry whose contents are those of its target when a
// path goes through it.
struct FileNode {
  std::string name;  // as stored (see Characters below), with its case
  DWORD attributes = 0;
  std::string content;
  std::string junctionTarget;  // full path; set only on links
  bool symbolic = false;       // a symbolic link rather than a junction
  DWORD reparseTag = 0;        // with FILE_ATTRIBUTE_REPARSE_POINT: what kind of reparse point
  std::string shortName;       // 8.3 name, given when first asked for; "" until then
  DWORD index = 0;             // file index, given when first asked for
  bool heldOpen = false;       // by another process, sharing nothing
  DWORD heldSharing = 0;       // by another process, sharing these (FILE_SHARE_*)
  long long letGoAfter = -1;   // that one lets go this many calls after the delete; < 0 never
  // Deleted while open: the name stays listed, and opens of it fail, until
  // the last handle closes.
  bool deletePending = false;
  bool runningImage = false;  // a running program's file: DeleteFile is denied
  Security security;
  std::string hardLink;    // a file's other name, a full path; "" for none
  bool laterName = false;  // made as that second name (CreateHardLinkW)
  std::map<std::string, std::unique_ptr<FileNode>, NameLess> children;

  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A link: a reparse point that names another entry. Others (deduplicated,
  // cloud, HSM, WOF-compressed) hold their own data.
  bool IsJunction() const {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag);
  }
};

// Where a path leads: the folder whose contents hold the last part (junctions
// on the way followed), and the entry itself when it exists (not followed).
struct FileLookup {
  FileNode* folder = nullptr;
  FileNode* node = nullptr;
  DWORD error = 0;  // ERROR_PATH_NOT_FOUND when a folder on the way is missing, else
                    // ERROR_FILE_NOT_FOUND when only the entry is
};

struct FoundEntry {
  std::string name;
  DWORD attributes;
  DWORD size;
  DWORD reparseTag;
};

struct FindHandle {
  std::string folder;  // full path of the folder listed
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

struct FileHandle {
  FileNode* node;  // nullptr once the file is gone
  DWORD access;
  DWORD share;
  DWORD volumeSerial;
  std::string finalPath;  // where it lies, no link on the way, in long names
  // Opened by the program's full path, or relative to a folder held: the
  // path as named, for faults; and the folder it lies in, for its delete.
  std::string path;
  FileNode* parent = nullptr;
  // Listed through the handle (NtQueryDirectoryFile): the entries when the
  // listing began, and how many have been handed out.
  bool listing = false;
  std::vector<FoundEntry> names;
  size_t listed = 0;
  size_t position = 0;    // ReadFile's
  bool asItself = false;  // opened with FILE_OPEN_REPARSE_POINT: no filter's processing
};

struct RegValue {
  std::string name;
  DWORD type;
  std::string data;
};

struct KeyNode {
  std::string name;
  KeyNode* parent = nullptr;
  bool denied = false;
  Security security;
  // A registry link (REG_OPTION_CREATE_LINK): the key its SymbolicLinkValue
  // names, "HKLM\\..."; opens without REG_OPTION_OPEN_LINK lead there.
  std::string linkTarget;
  std::map<std::string, std::unique_ptr<KeyNode>, NameLess> subKeys;
  std::map<std::string, RegValue, NameLess> values;
};

struct KeyHandle {
  KeyNode* key;  // nullptr once the key is deleted
  std::string path;
  REGSAM access;
};

// A handle stays with the process it opened, though its id goes to another.
struct ProcessHandle {
  DWORD id;
  DWORD access;
  unsigned long long startTime;
};

// A Toolhelp snapshot: the processes, or one process's program file.
struct Snapshot {
  std::vector<std::pair<DWORD, std::string>> entries;  // id, program file
  size_t next = 0;
};

// A Restart Manager session: what was registered with it.
struct RestartSession {
  std::vector<const FileNode*> files;
  std::vector<std::pair<DWORD, unsigned long long>> processes;  // id, start time
};

struct Fault {
  Op op;
  std::string target;
  DWORD error;
  int remaining;  // < 0: every call
};

struct Machine::State {
  long long calls = 0;
  DWORD lastError = 0;
  std::vector<Fault> faults;

  // Files. The root's children are the drives.
  FileNode root;
  std::string currentDirectory = "C:\\";
  FileNode* currentFolder = nullptr;  // what the process's current directory holds open
  std::vector<std::string> recycled;
  uintptr_t nextHandle = 0x1000;
  std::map<HANDLE, FindHandle> finds;
  std::map<HANDLE, FileHandle> files;
  // Holders that share (HoldOpenSharing) and let go once `calls` reaches the
  // first, counted from the delete.
  std::vector<std::pair<long long, FileNode*>> lettingGo;

  // Registry.
  KeyNode hklm;
  std::map<HKEY, KeyHandle> keys;

  // System.
  std::map<int, std::string> specialFolders;
  DWORD majorVersion = 5, minorVersion = 1;
  DWORD build = 0;  // 0: the version's first
  std::string userName = "user1";
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string commandLine = "\"C:\\Temp\\RemoveKM.exe\" ";
  std::string ansiCommandLine;               // GetCommandLineA's buffer
  std::basic_string<WCHAR> wideCommandLine;  // GetCommandLineW's buffer
  std::string computerName = "PC01";
  bool outputRedirected = false;
  bool linksAsWine8 = false;  // tags of 0, links followed when opened as themselves
  // Named mutexes by name (case matters, as in Windows), and the open handles.
  std::map<std::string, int> mutexOpenCount;
  std::map<HANDLE, std::string> mutexes;
  std::string modulePath = "C:\\Temp\\RemoveKM.exe";
  std::vector<Machine::Process> processes;
  std::map<HANDLE, ProcessHandle> processHandles;
  std::map<HANDLE, Snapshot> snapshots;
  unsigned long long nextStartTime = 0x01D0000000000000ULL;
  DWORD ownSession = 1;
  bool stationVisible = true;  // the window station's WSF_VISIBLE
  int openTokens = 0;
  std::map<DWORD, std::string> sessionUsers;
  std::vector<DWORD> disconnectedSessions;
  std::map<HANDLE, DWORD> userTokens;               // WTSQueryUserToken's, by session
  std::map<void*, std::wstring> environmentBlocks;  // CreateEnvironmentBlock's
  Machine::RestartManager restartManager = Machine::RestartManager::Working;
  std::map<DWORD, RestartSession> restartSessions;
  DWORD nextRestartSession = 0;
  int loadedLibraries = 0;
  int userNameBuffers = 0;
  DWORD tickCount = 0x01000000;  // GetTickCount, moved on by waits
  std::string wow64Directory;    // "" on 32-bit Windows
  std::string tempDirectory = "C:\\Documents and Settings\\user1\\Local Settings\\Temp\\";
  std::map<std::string, std::string, NameLess> environment;
  DWORD nextFileIndex = 0x100;
  // Drives set by the test: type and device, by upper-case "X:".
  std::map<std::string, std::pair<UINT, std::string>> drives;
  // WideArg objects alive: the call that runs came through a wide function.
  int wideArguments = 0;

  // Windows, menus, COM.
  std::map<HWND, std::unique_ptr<Window>> windows;
  std::map<HMENU, HWND> systemMenus;
  int topOrder = 0;
  std::deque<std::pair<HWND, int>> queuedClicks;  // dialog, control id
  int messagePumps = 0;                           // PeekMessageA calls
  std::deque<int> messageBoxAnswers;
  std::deque<std::string> browserAnswers;
  int comDepth = 0;
  std::map<const ITEMIDLIST*, std::unique_ptr<ITEMIDLIST>> itemIdLists;
};

// What GetStdHandle gives for a redirected standard output.
const HANDLE kStandardOutput = reinterpret_cast<HANDLE>(0x0B00);
const HANDLE kProcessToken = reinterpret_cast<HANDLE>(0x0B04);

// ---- Helpers of the simulated API (SimMachine.cpp).
// Counts one simulated call, named after the function that enters (the
// compiler's name of the caller), and gives the machine's state.
Machine::State& Enter(const char* function = __builtin_FUNCTION());
// The error of an armed fault or of the fault hook for this call, else 0.
DWORD Faulted(Op op, const std::string& target);
// Sets the last error and returns FALSE (0), for the calls that fail that way.
BOOL Refuse(DWORD error);
void Log(const std::string& event);
std::string Hex(DWORD value);
// GetCurrentDirectoryA's contract: the text and its length when it fits with
// its NUL, else nothing copied and the size needed.
DWORD CopyIfFits(const std::string& text, LPSTR buffer, DWORD size);
// GetWindowTextA's contract: as much as fits before the NUL; the length copied.
int CopyTruncated(const std::string& text, LPSTR buffer, int size);

// ---- Who may do what (SimAccess.cpp). `chain` is the security of an entry
// and of each folder (key) above it, nearest first.
// An account as Windows lays its SID out: a SID text as it reads, a name of
// the machine's as a local account's ("" is Administrators).
std::string SidBytes(const std::string& account);
// The SID at `offset` of `size` bytes as "S-1-5-..."; "" when it does not fit.
std::string SidText(const BYTE* bytes, size_t size, size_t offset);
// Administrators or SYSTEM.
bool Privileged(const std::string& account);
bool SameAccount(const std::string& a, const std::string& b);
// The entry's DACL as Windows writes it: its own ACEs, then what it inherits.
std::vector<Ace> Dacl(const std::vector<const Security*>& chain, bool container,
                      const GenericRights& generic);
// The rights the access check grants `account` by `dacl` and ownership.
DWORD Granted(const std::vector<Ace>& dacl, const std::string& owner, const std::string& account,
              const GenericRights& generic);
// Whether `account` has any of `changeRights` on the entry, owns it, may
// delete it from its folder, or may rewrite a DACL above that it inherits.
bool MayChangeAt(const std::vector<const Security*>& chain, bool container,
                 const std::string& account, DWORD changeRights, const GenericRights& generic);
// A self-relative descriptor: owner, and a DACL of SYSTEM and Administrators
// granted `everything`, then `dacl`.
std::string DescriptorBytes(const Security& security, const std::vector<Ace>& dacl,
                            DWORD everything);

// Sets what `what` names of the self-relative `security` on `node`, as
// SetFileSecurityW does (SimSecurity.cpp); `path` names it in the log.
BOOL SetDescriptor(FileNode* node, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR security,
                   const std::string& path);

// ---- The file tree (SimFileTree.cpp). A const state still hands out its
// nodes: the callers that only read take it as const.
FileLookup Look(const Machine::State& state, const WinPath& path);
// The folder whose contents a path through `node` sees: the node itself, or
// a junction's target; nullptr when that is not a folder.
FileNode* Contents(const Machine::State& state, FileNode* node);
// What a path through `node` reaches: the node itself, or a link's target
// (file or folder); nullptr when the target is missing.
FileNode* Followed(const Machine::State& state, FileNode* node);
// What the calls report of `node`: its attributes (FILE_ATTRIBUTE_NORMAL for
// none), and its reparse tag (0 for none, and for every link of Wine's).
DWORD ReportedAttributes(const FileNode& node);
DWORD ReportedTag(const Machine::State& state, const FileNode& node);
// The entry of `folder` named `name`, by its long or its 8.3 short name.
FileNode* Child(FileNode* folder, const std::string& name);
// `path` spelt with each entry's stored long name, or with its 8.3 short
// name: 0, or the error of a missing entry.
DWORD Respelt(const Machine::State& state, const WinPath& path, bool shortNames, std::string& text);
// `path` with each junction on the way replaced by its target: where the
// entry really lies. False when something on the way is missing.
bool RealPath(const Machine::State& state, const WinPath& path, WinPath& real);
// The file's other name, a hard link (CreateHardLinkW), or nullptr: the two
// are one file, with one content, attributes, security and sharing.
FileNode* SecondName(const Machine::State& state, const FileNode* node);
// Whether an open of `node` for `access`, sharing `share`, meets an open
// handle (this program's or another's) that it conflicts with.
bool SharingConflict(const Machine::State& state, const FileNode* node, DWORD access, DWORD share);
// Open elsewhere, or by this process without FILE_SHARE_DELETE.
bool IsLocked(const Machine::State& state, const FileNode* node);
// Open by this program or by another.
bool IsOpen(const Machine::State& state, const FileNode* node);
// Deletes `node` of `folder` as a delete through a handle that shares
// everything: refused while another open does not share deleting (or a
// folder is not empty); gone at once when nothing holds it open, else only
// marked. 0 or the error.
DWORD Unlink(Machine::State& state, FileNode* folder, FileNode* node);
// Marks `node` for deletion; a holder that lets go starts counting.
void MarkDeleted(Machine::State& state, FileNode* node);
// Takes out every marked entry that nothing holds open any more.
void ErasePending(Machine::State& state);
// The holders whose time has come let go (Enter calls it).
void LetGoDue(Machine::State& state);
// Takes `name` out of `folder`; open handles on what goes lose their file.
void EraseEntry(Machine::State& state, FileNode* folder, const std::string& name);
// Sets the attributes a program may set; a file's other name sees them too.
void SetAttributes(Machine::State& state, FileNode* node, DWORD attributes);
// The build of the simulated Windows, as GetVersionExA gives it (SimSystem.cpp).
DWORD Build(const Machine::State& state);
// A new handle value (for files, finds, keys, ...).
HANDLE NewHandle(Machine::State& state);
// The start of every path call of the ANSI API (SimFiles.cpp): the path
// resolved against the current directory, MAX_PATH applied (for a wide call
// with a "\\?\" path, 32,767 characters), then an armed fault checked before
// anything else happens. `error` is what the call must fail with, or 0.
struct PathCall {
  PathCall(Op op, LPCSTR text, DWORD emptyError = ERROR_PATH_NOT_FOUND,
           Wildcards wildcards = Wildcards::Refused);
  WinPath path;
  DWORD error;
};
// A path from the test API; throws std::invalid_argument when it cannot be one.
WinPath TestPath(const Machine::State& state, const std::string& path);

// The key at a test API path ("HKLM\\..."), or nullptr (SimRegistry.cpp).
KeyNode* FindKey(const Machine::State& state, const std::string& path);
// The account running the program may not open the key (DenyKey).
bool KeyRefused(const Machine::State& state, const KeyNode& key);

// ---- Programs (SimProcesses.cpp).
// Closes a process handle, a snapshot or a token; false when `handle` is none.
bool CloseProcessHandle(Machine::State& state, HANDLE handle);
const DWORD kOwnProcessId = 0x4D0;
const unsigned long long kOwnStartTime = 0x01C0000000000000ULL;
// The process, or nullptr.
Machine::Process* FindProcess(Machine::State& state, DWORD id);
// Ends a running process, `how` telling by what, and lets go of its files.
void EndProcess(Machine::State& state, Machine::Process& process, const char* how);
// The entry a test API path names, or nullptr.
FileNode* EntryAt(const Machine::State& state, const std::string& path);
// Where Windows keeps what it carries out when it next starts.
const char kSessionManagerKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";

// ---- Names (SimCodePage.cpp). A name is stored as the ANSI functions spell
// it, in code page 1252, except that a character the code page has not is kept
// as its UTF-8 sequence, so that a test writes "\u03A9mega" as UTF-8 text.
std::u32string Characters(const std::string& stored);
std::string Stored(const std::u32string& characters);
// A stored name as an ANSI function hands it out: Windows' best fit, else "?".
std::string Ansi(const std::string& stored, bool* usedDefault = nullptr);
// The character of a UTF-8 sequence at `text`, with its length; 0 when none.
size_t Utf8Sequence(const unsigned char* text, size_t left, char32_t& character);
void AppendUtf8(std::string& text, char32_t character);
// ERROR_CALL_NOT_IMPLEMENTED when the test made this Windows lack the wide
// call `name` (Op::WideCall); else 0.
DWORD MissingWideCall(const char* name);
// A wide argument in the stored form, for the ANSI call that does the work.
// While it lives, that call is a wide one (see PathCall).
class WideArg {
 public:
  explicit WideArg(LPCWSTR wide);
  ~WideArg();
  WideArg(const WideArg&) = delete;
  WideArg& operator=(const WideArg&) = delete;
  operator LPCSTR() const { return null_ ? nullptr : text_.c_str(); }

 private:
  bool null_;
  std::string text_;
};
// Copies a stored name into a wide buffer of `size` characters, cut to fit.
void FillWide(const std::string& stored, LPWSTR buffer, size_t size);
// GetFullPathNameW's contract for a stored text: its length when it fits with
// its NUL, else nothing copied and the size needed.
DWORD CopyWideIfFits(const std::string& stored, LPWSTR buffer, DWORD size);

// ---- Windows (SimDialogs.cpp).
// The window, or nullptr with ERROR_INVALID_WINDOW_HANDLE when it is not live.
Window* LiveWindow(HWND window);
bool IsDialog(const Window& window);
// How the event log names a window: "dialog102" or a control's id.
std::string WindowName(const Window& window);

}  // namespace sim
