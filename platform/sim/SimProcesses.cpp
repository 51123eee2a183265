// Programs running beside this one: Toolhelp's lists, opening, waiting for and
// ending a process, their top-level windows, and the test API that starts
// them. Time passes only in waits that run out (GetTickCount).
#include <algorithm>
#include <cstring>
#include <cwchar>
#include <stdexcept>

#include "SimState.h"

using sim::FileNode;
using sim::Machine;

namespace {

const DWORD kSystemProcessId = 4;
const uintptr_t kWindowBase = 0x7F000000;  // process windows' handles, above the dialogs'
const DWORD kBadLength = 24;               // ERROR_BAD_LENGTH
const DWORD kWaitFailed = 0xFFFFFFFF;

FileNode* Entry(const Machine::State& s, const std::string& path) { return sim::EntryAt(s, path); }

// The running one of that id; an ended one only when none runs.
Machine::Process* Find(Machine::State& s, DWORD id) { return sim::FindProcess(s, id); }

// What a running program keeps from being deleted.
void Hold(Machine::State& s, const Machine::Process& process, bool held) {
  if (FileNode* image = Entry(s, process.image)) image->heldOpen = image->runningImage = held;
  for (const std::string& path : process.holds)
    if (FileNode* file = Entry(s, path)) file->heldOpen = held;
}

void End(Machine::State& s, Machine::Process& process, const char* how) {
  sim::EndProcess(s, process, how);
}

std::string FileName(const std::string& path) {
  const size_t separator = path.rfind('\\');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

HANDLE NoHandle(DWORD error, HANDLE none) {
  sim::Refuse(error);
  return none;
}

HWND WindowOf(const Machine::Process& process) {
  return reinterpret_cast<HWND>(kWindowBase + process.id);
}

Machine::Process* ProcessOfWindow(Machine::State& s, HWND window) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(window);
  if (value <= kWindowBase) return nullptr;
  Machine::Process* process = Find(s, static_cast<DWORD>(value - kWindowBase));
  return process && process->running && process->hasWindow ? process : nullptr;
}

sim::ProcessHandle* OpenedProcess(Machine::State& s, HANDLE handle) {
  auto found = s.processHandles.find(handle);
  return found == s.processHandles.end() ? nullptr : &found->second;
}

// A handle opened to query its process; nullptr, with the error set, when it
// is no such handle or lacks the right.
sim::ProcessHandle* QueriedProcess(Machine::State& s, HANDLE handle) {
  sim::ProcessHandle* opened = OpenedProcess(s, handle);
  if (!opened) return sim::Refuse(ERROR_INVALID_HANDLE), nullptr;
  if (!(opened->access & (PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_QUERY_INFORMATION)))
    return sim::Refuse(ERROR_ACCESS_DENIED), nullptr;
  return opened;
}

// The process a handle opened; nullptr for this program itself.
Machine::Process* ProcessOf(Machine::State& s, const sim::ProcessHandle& opened) {
  for (Machine::Process& process : s.processes)
    if (process.id == opened.id && process.startTime == opened.startTime) return &process;
  return nullptr;
}

// The program file of `id` as seen from this process, or the error.
DWORD ImageOf(Machine::State& s, DWORD id, std::string& image) {
  if (id == sim::kOwnProcessId) {
    image = s.modulePath;
    return 0;
  }
  const Machine::Process* process = Find(s, id);
  if (!process) return ERROR_INVALID_PARAMETER;
  image = process->image;
  return 0;
}

sim::Snapshot* SnapshotOf(Machine::State& s, HANDLE handle) {
  auto found = s.snapshots.find(handle);
  if (found != s.snapshots.end()) return &found->second;
  sim::Refuse(ERROR_INVALID_HANDLE);
  return nullptr;
}

BOOL NextProcess(HANDLE handle, LPPROCESSENTRY32W entry, bool first) {
  auto& s = sim::Enter();
  sim::Snapshot* snapshot = SnapshotOf(s, handle);
  if (!snapshot) return FALSE;
  if (entry->dwSize < sizeof *entry) return sim::Refuse(kBadLength);
  if (first) snapshot->next = 0;
  if (snapshot->next >= snapshot->entries.size()) return sim::Refuse(ERROR_NO_MORE_FILES);
  const auto& found = snapshot->entries[snapshot->next++];
  std::memset(reinterpret_cast<char*>(entry) + sizeof entry->dwSize, 0,
              sizeof *entry - sizeof entry->dwSize);
  entry->th32ProcessID = found.first;
  sim::FillWide(FileName(found.second), entry->szExeFile, MAX_PATH);
  return TRUE;
}

// Runs a process the program started, as its session's user, and rewinds
// the clock: its time passes in the waits for it.
void Play(Machine::State& s, Machine::Process& process) {
  if (!sim::machine().runStarted) throw std::logic_error("sim: no runStarted to play a process");
  const DWORD start = s.tickCount, ownSession = s.ownSession;
  const std::string user = s.userName;
  s.ownSession = process.session;
  s.userName = s.sessionUsers[process.session];
  process.played = true;
  const Machine::Process copy = process;
  const DWORD code = sim::machine().runStarted(copy);
  // The vector may have grown meanwhile.
  Machine::Process& played = *ProcessOf(s, {copy.id, 0, copy.startTime});
  played.exitCode = code;
  played.endsAt = s.tickCount;
  s.tickCount = start;
  s.ownSession = ownSession;
  s.userName = user;
}

}  // namespace

namespace sim {

FileNode* EntryAt(const Machine::State& s, const std::string& path) {
  WinPath parsed;
  if (ParsePath(path, "C:\\", parsed) != 0) return nullptr;
  return Look(s, parsed).node;
}

Machine::Process* FindProcess(Machine::State& s, DWORD id) {
  Machine::Process* ended = nullptr;
  for (Machine::Process& process : s.processes) {
    if (process.id != id) continue;
    if (process.running) return &process;
    ended = &process;
  }
  return ended;
}

void EndProcess(Machine::State& s, Machine::Process& process, const char* how) {
  process.running = false;
  process.endedBy = how;
  Hold(s, process, false);
  // A file that another running program holds stays held.
  for (const Machine::Process& other : s.processes)
    if (other.running) Hold(s, other, true);
  Log(std::string(how) + " ended " + process.image);
}

bool CloseProcessHandle(Machine::State& s, HANDLE handle) {
  if (handle == kProcessToken && s.openTokens > 0) return --s.openTokens, true;
  return s.processHandles.erase(handle) || s.snapshots.erase(handle) || s.userTokens.erase(handle);
}

DWORD Machine::StartProcess(const Process& started) {
  State& s = *state_;
  if (!Entry(s, started.image) && !SameName(started.image, s.modulePath))
    throw std::invalid_argument("sim: no program " + started.image);
  for (const std::string& path : started.holds)
    if (!Entry(s, path)) throw std::invalid_argument("sim: no file to hold: " + path);
  const Process* same = started.id ? Find(s, started.id) : nullptr;
  if (same && same->running) throw std::invalid_argument("sim: the id is in use");
  Process process = started;
  if (!process.id) process.id = 0x600 + 4 * static_cast<DWORD>(s.processes.size());
  process.startTime = s.nextStartTime += 10000000;  // a second later
  process.running = true;
  process.endedBy = "";
  Hold(s, process, true);
  s.processes.push_back(process);
  return process.id;
}

std::vector<Machine::Process> Machine::Processes() const { return state_->processes; }

void Machine::SetModulePath(const std::string& path) {
  state_->modulePath = path;
  if (FileNode* image = Entry(*state_, path)) image->heldOpen = image->runningImage = true;
}

int Machine::OpenProcessHandles() const {
  const State& s = *state_;
  return static_cast<int>(s.processHandles.size() + s.snapshots.size() + s.restartSessions.size() +
                          s.userTokens.size() + s.environmentBlocks.size()) +
         s.loadedLibraries + s.userNameBuffers + s.openTokens;
}

void Machine::ExitProcess(DWORD id) {
  Process* process = Find(*state_, id);
  if (!process || !process->running) throw std::invalid_argument("sim: no such process running");
  EndProcess(*state_, *process, "exited");
}

void Machine::SetOwnSession(DWORD session) { state_->ownSession = session; }
void Machine::HideWindowStation() { state_->stationVisible = false; }

void Machine::SetSessionUser(DWORD session, const std::string& name) {
  state_->sessionUsers[session] = name;
}

void Machine::DisconnectSession(DWORD session) { state_->disconnectedSessions.push_back(session); }

}  // namespace sim

DWORD GetCurrentProcessId() {
  sim::Enter();
  return sim::kOwnProcessId;
}

HWINSTA GetProcessWindowStation() {
  sim::Enter();
  return reinterpret_cast<HWINSTA>(0x7060);
}

BOOL GetUserObjectInformationW(HANDLE object, int index, LPVOID info, DWORD size, LPDWORD needed) {
  auto& s = sim::Enter();
  if (object != reinterpret_cast<HANDLE>(0x7060) || index != UOI_FLAGS)
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  if (needed) *needed = sizeof(USEROBJECTFLAGS);
  if (size < sizeof(USEROBJECTFLAGS)) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  USEROBJECTFLAGS flags = {FALSE, FALSE, s.stationVisible ? (DWORD)WSF_VISIBLE : 0};
  *static_cast<USEROBJECTFLAGS*>(info) = flags;
  return TRUE;
}

DWORD GetTickCount() { return sim::Enter().tickCount; }

// The time passes at once; what other programs do meanwhile comes with the
// calls (HoldOpenSharing).
void Sleep(DWORD milliseconds) { sim::Enter().tickCount += milliseconds; }

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD id) {
  auto& s = sim::Enter();
  sim::Snapshot snapshot;
  if (flags == TH32CS_SNAPPROCESS) {
    snapshot.entries = {
        {0, "[System Process]"}, {kSystemProcessId, "System"}, {sim::kOwnProcessId, s.modulePath}};
    for (const Machine::Process& process : s.processes)
      if (process.running) snapshot.entries.push_back({process.id, process.image});
  } else if (flags == TH32CS_SNAPMODULE) {
    // Listing modules reads the process's memory.
    if (id == 0) id = sim::kOwnProcessId;
    const Machine::Process* process = Find(s, id);
    if (id == kSystemProcessId || (process && process->denied))
      return NoHandle(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    if (id != sim::kOwnProcessId && (!process || !process->running))
      return NoHandle(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    std::string image;
    ImageOf(s, id, image);
    snapshot.entries = {{id, image}};
  } else {
    return NoHandle(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  HANDLE handle = sim::NewHandle(s);
  s.snapshots[handle] = snapshot;
  return handle;
}

BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
  return NextProcess(snapshot, entry, true);
}

BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
  return NextProcess(snapshot, entry, false);
}

BOOL Module32FirstW(HANDLE handle, LPMODULEENTRY32W entry) {
  auto& s = sim::Enter();
  sim::Snapshot* snapshot = SnapshotOf(s, handle);
  if (!snapshot) return FALSE;
  if (entry->dwSize < sizeof *entry) return sim::Refuse(kBadLength);
  const auto& module = snapshot->entries[0];
  entry->th32ProcessID = module.first;
  sim::FillWide(FileName(module.second), entry->szModule, MAX_MODULE_NAME32 + 1);
  sim::FillWide(module.second, entry->szExePath, MAX_PATH);
  return TRUE;
}

HANDLE OpenProcess(DWORD access, BOOL, DWORD id) {
  auto& s = sim::Enter();
  if (id == 0) return NoHandle(ERROR_INVALID_PARAMETER, nullptr);
  if (id == kSystemProcessId) return NoHandle(ERROR_ACCESS_DENIED, nullptr);
  const Machine::Process* process = Find(s, id);
  if (id != sim::kOwnProcessId && (!process || !process->running))
    return NoHandle(ERROR_INVALID_PARAMETER, nullptr);
  // Windows before Vista knows no limited query right.
  if ((access & PROCESS_QUERY_LIMITED_INFORMATION) && s.majorVersion < 6)
    return NoHandle(ERROR_ACCESS_DENIED, nullptr);
  if (process && process->denied &&
      (access & ~(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION)) != 0)
    return NoHandle(ERROR_ACCESS_DENIED, nullptr);
  HANDLE handle = sim::NewHandle(s);
  s.processHandles[handle] = {id, access, process ? process->startTime : sim::kOwnStartTime};
  return handle;
}

BOOL QueryFullProcessImageNameW(HANDLE handle, DWORD, LPWSTR name, PDWORD size) {
  auto& s = sim::Enter();
  sim::ProcessHandle* opened = QueriedProcess(s, handle);
  if (!opened) return FALSE;
  const Machine::Process* process = ProcessOf(s, *opened);
  const std::string image = process ? process->image : s.modulePath;
  const DWORD length = static_cast<DWORD>(sim::Characters(image).size());
  if (!name || !size || *size <= length) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  sim::FillWide(image, name, *size);
  *size = length;
  return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT code) {
  auto& s = sim::Enter();
  sim::ProcessHandle* opened = OpenedProcess(s, handle);
  if (!opened) return sim::Refuse(ERROR_INVALID_HANDLE);
  Machine::Process* process = ProcessOf(s, *opened);
  if (!(opened->access & PROCESS_TERMINATE) || !process || !process->running)
    return sim::Refuse(ERROR_ACCESS_DENIED);
  End(s, *process, "TerminateProcess");
  process->exitCode = code;
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD code) {
  auto& s = sim::Enter();
  sim::ProcessHandle* opened = QueriedProcess(s, handle);
  if (!opened) return FALSE;
  const Machine::Process* process = ProcessOf(s, *opened);
  *code = !process ? STILL_ACTIVE : process->running ? STILL_ACTIVE : process->exitCode;
  return TRUE;
}

BOOL ProcessIdToSessionId(DWORD id, DWORD* session) {
  auto& s = sim::Enter();
  const Machine::Process* process = Find(s, id);
  if (id != sim::kOwnProcessId && (!process || !process->running))
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  *session = process ? process->session : s.ownSession;
  return TRUE;
}

// The user's own variables (here her name alone), as Windows makes them from
// her profile: strings, each after the last, ended by an empty one
// (Microsoft's documentation of CreateEnvironmentBlock).
BOOL CreateEnvironmentBlock(LPVOID* environment, HANDLE token, BOOL) {
  auto& s = sim::Enter();
  auto user = s.userTokens.find(token);
  if (!environment || user == s.userTokens.end()) return sim::Refuse(ERROR_INVALID_HANDLE);
  const std::string& name = s.sessionUsers[user->second];
  if (DWORD error = sim::Faulted(sim::Op::CreateEnvironmentBlock, name)) return sim::Refuse(error);
  const std::u32string variable = sim::Characters("USERNAME=" + name);
  std::wstring block(variable.begin(), variable.end());
  block += std::wstring(2, L'\0');
  *environment = &block[0];
  s.environmentBlocks[*environment] = std::move(block);
  return TRUE;
}

BOOL DestroyEnvironmentBlock(LPVOID environment) {
  return sim::Enter().environmentBlocks.erase(environment) ? TRUE
                                                           : sim::Refuse(ERROR_INVALID_PARAMETER);
}

BOOL CreateProcessAsUserW(HANDLE token, LPCWSTR application, LPWSTR commandLine, LPVOID, LPVOID,
                          BOOL, DWORD flags, LPVOID environment, LPCWSTR, LPSTARTUPINFOW startup,
                          LPPROCESS_INFORMATION started) {
  auto& s = sim::Enter();
  auto user = s.userTokens.find(token);
  if (user == s.userTokens.end()) return sim::Refuse(ERROR_INVALID_HANDLE);
  // A block of UTF-16 strings needs CREATE_UNICODE_ENVIRONMENT (Microsoft's
  // documentation); without it the block would be read as ANSI, which the
  // model refuses (the harsher choice).
  auto block = s.environmentBlocks.find(environment);
  if (environment && (block == s.environmentBlocks.end() || !(flags & CREATE_UNICODE_ENVIRONMENT)))
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  const sim::WideArg image(application), line(commandLine), desktop(startup->lpDesktop);
  // This program's own file is there, whether or not a test made it.
  if (!sim::SameName(std::string(image), s.modulePath) && !Entry(s, std::string(image)))
    return sim::Refuse(ERROR_FILE_NOT_FOUND);
  Machine::Process process;
  process.image = std::string(image);
  process.hasWindow = false;
  process.session = user->second;
  process.commandLine = std::string(line);
  for (const WCHAR* variable = environment ? block->second.c_str() : L""; *variable;
       variable += std::wcslen(variable) + 1)
    process.environment.push_back(std::string(sim::WideArg(variable)));
  sim::Log("CreateProcessAsUser session " + std::to_string(process.session) + " " +
           (desktop ? std::string(desktop) : "(no desktop)") + " " + process.commandLine);
  started->dwProcessId = sim::machine().StartProcess(process);
  started->dwThreadId = started->dwProcessId + 4;
  const Machine::Process& made = *Find(s, started->dwProcessId);
  started->hProcess = sim::NewHandle(s);
  s.processHandles[started->hProcess] = {made.id, 0x1FFFFF, made.startTime};
  started->hThread = sim::NewHandle(s);
  s.processHandles[started->hThread] = {made.id, 0, made.startTime};
  return TRUE;
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
  auto& s = sim::Enter();
  sim::FillWide(s.modulePath, buffer, size);
  return static_cast<DWORD>(sim::Characters(s.modulePath).size());
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto& s = sim::Enter();
  sim::ProcessHandle* opened = OpenedProcess(s, handle);
  if (!opened) return sim::Refuse(ERROR_INVALID_HANDLE), kWaitFailed;
  if (!(opened->access & SYNCHRONIZE)) return sim::Refuse(ERROR_ACCESS_DENIED), kWaitFailed;
  Machine::Process* process = ProcessOf(s, *opened);
  if (process && !process->running) return WAIT_OBJECT_0;
  if (process && !process->commandLine.empty()) {
    if (!process->played) Play(s, *process);
    process = ProcessOf(s, *opened);
    if (s.tickCount + milliseconds >= process->endsAt) {
      s.tickCount = std::max(s.tickCount, process->endsAt);
      End(s, *process, "exited");
      return WAIT_OBJECT_0;
    }
  }
  s.tickCount += milliseconds;
  return WAIT_TIMEOUT;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param) {
  auto& s = sim::Enter();
  std::vector<HWND> topLevel;
  for (const auto& window : s.windows)
    if (!window.second->parent && !window.second->destroyed) topLevel.push_back(window.first);
  for (const Machine::Process& process : s.processes)
    if (process.running && process.hasWindow && process.session == s.ownSession)
      topLevel.push_back(WindowOf(process));
  for (HWND window : topLevel)
    if (!callback(window, param)) break;
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD id) {
  auto& s = sim::Enter();
  DWORD owner = 0;
  if (const Machine::Process* process = ProcessOfWindow(s, window)) {
    owner = process->id;
  } else if (sim::LiveWindow(window)) {
    owner = sim::kOwnProcessId;
  } else {
    return 0;
  }
  if (id) *id = owner;
  return owner + 4;  // its thread
}

BOOL IsWindowVisible(HWND window) {
  auto& s = sim::Enter();
  if (ProcessOfWindow(s, window)) return TRUE;
  const sim::Window* own = sim::LiveWindow(window);
  return own && own->visible;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM, LPARAM) {
  auto& s = sim::Enter();
  Machine::Process* process = ProcessOfWindow(s, window);
  if (!process) return sim::LiveWindow(window) ? TRUE : FALSE;
  sim::Log("PostMessage " + sim::Hex(message) + " " + process->image);
  if (message == WM_CLOSE && process->closesOnRequest) End(s, *process, "WM_CLOSE");
  return TRUE;
}

BOOL GetProcessTimes(HANDLE handle, FILETIME* creation, FILETIME* exit, FILETIME* kernel,
                     FILETIME* user) {
  auto& s = sim::Enter();
  sim::ProcessHandle* opened = QueriedProcess(s, handle);
  if (!opened) return FALSE;
  const Machine::Process* process = ProcessOf(s, *opened);
  const unsigned long long start = process ? process->startTime : sim::kOwnStartTime;
  *creation = {static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)};
  *exit = *kernel = *user = {0, 0};
  return TRUE;
}
