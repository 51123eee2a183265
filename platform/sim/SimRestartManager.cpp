// The Restart Manager and the sessions' signed-in users: which processes use
// a registered file, and shutting them down in this program's own session;
// who is at each session, and their token.
#include <algorithm>
#include <cstring>

#include "SimState.h"

using sim::FileNode;
using sim::Machine;

namespace {

const DWORD kInvalidHandle = ERROR_INVALID_HANDLE;

// What a call of a failing Restart Manager answers.
DWORD Broken(const Machine::State& s) {
  return s.restartManager == Machine::RestartManager::Failing ? ERROR_ACCESS_DENIED : 0;
}

bool Idle(const Machine::State& s) { return s.restartManager == Machine::RestartManager::Idle; }

// By the file, whatever name registered it or holds it (RmGetList names the
// users of the file).
bool Registered(const Machine::State& s, const sim::RestartSession& session, const FileNode* file) {
  const FileNode* other = file ? sim::SecondName(s, file) : nullptr;
  for (const FileNode* name : {file, other})
    if (name && std::find(session.files.begin(), session.files.end(), name) != session.files.end())
      return true;
  return false;
}

// Whether `process` uses what the session registered.
bool Affected(const Machine::State& s, const sim::RestartSession& session,
              const Machine::Process& process) {
  if (!process.running) return false;
  for (const auto& registered : session.processes)
    if (registered.first == process.id && registered.second == process.startTime) return true;
  if (Registered(s, session, sim::EntryAt(s, process.image))) return true;
  for (const std::string& held : process.holds)
    if (Registered(s, session, sim::EntryAt(s, held))) return true;
  return false;
}

RM_APP_TYPE TypeOf(const Machine::Process& process) {
  switch (process.kind) {
    case Machine::Process::Kind::Service:
      return RmService;
    case Machine::Process::Kind::Explorer:
      return RmExplorer;
    case Machine::Process::Kind::Critical:
      return RmCritical;
    case Machine::Process::Kind::Program:
      break;
  }
  return process.hasWindow ? RmMainWindow : RmUnknownApp;
}

RM_PROCESS_INFO Info(DWORD id, unsigned long long start, const std::string& image, DWORD session,
                     RM_APP_TYPE type) {
  RM_PROCESS_INFO info = {};
  info.Process.dwProcessId = id;
  info.Process.ProcessStartTime = {static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)};
  sim::FillWide(image.substr(image.rfind('\\') + 1), info.strAppName, CCH_RM_MAX_APP_NAME + 1);
  info.ApplicationType = type;
  info.TSSessionId = session;
  return info;
}

sim::RestartSession* SessionOf(Machine::State& s, DWORD handle) {
  auto found = s.restartSessions.find(handle);
  return found == s.restartSessions.end() ? nullptr : &found->second;
}

}  // namespace

namespace sim {

void Machine::SetRestartManager(RestartManager kind) { state_->restartManager = kind; }

}  // namespace sim

DWORD RmStartSession(DWORD* session, DWORD, WCHAR key[]) {
  auto& s = sim::Enter();
  *session = ++s.nextRestartSession;
  s.restartSessions[*session] = {};
  sim::FillWide("0123456789abcdef0123456789abcdef", key, CCH_RM_SESSION_KEY + 1);
  return 0;
}

DWORD RmRegisterResources(DWORD handle, UINT fileCount, LPCWSTR files[], UINT processCount,
                          RM_UNIQUE_PROCESS processes[], UINT, LPCWSTR[]) {
  auto& s = sim::Enter();
  sim::RestartSession* session = SessionOf(s, handle);
  if (!session) return kInvalidHandle;
  if (DWORD error = Broken(s)) return error;
  for (UINT i = 0; i < fileCount; ++i) {
    sim::WideArg path(files[i]);
    if (const FileNode* file = sim::EntryAt(s, static_cast<LPCSTR>(path)))
      session->files.push_back(file);
  }
  for (UINT i = 0; i < processCount; ++i) {
    const FILETIME& start = processes[i].ProcessStartTime;
    session->processes.push_back(
        {processes[i].dwProcessId,
         (static_cast<unsigned long long>(start.dwHighDateTime) << 32) | start.dwLowDateTime});
  }
  return 0;
}

DWORD RmGetList(DWORD handle, UINT* needed, UINT* count, RM_PROCESS_INFO processes[],
                LPDWORD rebootReasons) {
  auto& s = sim::Enter();
  sim::RestartSession* session = SessionOf(s, handle);
  if (!session) return kInvalidHandle;
  if (DWORD error = Broken(s)) return error;
  std::vector<RM_PROCESS_INFO> found;
  if (!Idle(s)) {
    if (Registered(s, *session, sim::EntryAt(s, s.modulePath)))
      found.push_back(
          Info(sim::kOwnProcessId, sim::kOwnStartTime, s.modulePath, s.ownSession, RmMainWindow));
    for (const Machine::Process& process : s.processes)
      if (Affected(s, *session, process))
        found.push_back(
            Info(process.id, process.startTime, process.image, process.session, TypeOf(process)));
  }
  *rebootReasons = 0;
  *needed = static_cast<UINT>(found.size());
  if (*count < found.size()) return ERROR_MORE_DATA;
  std::copy(found.begin(), found.end(), processes);
  *count = static_cast<UINT>(found.size());
  return 0;
}

DWORD RmShutdown(DWORD handle, ULONG flags, RM_WRITE_STATUS_CALLBACK) {
  auto& s = sim::Enter();
  sim::RestartSession* session = SessionOf(s, handle);
  if (!session) return kInvalidHandle;
  if (DWORD error = Broken(s)) return error;
  if (Idle(s) || s.restartManager == Machine::RestartManager::Powerless) return 0;
  bool left = false;
  const bool force = (flags & RmForceShutdown) != 0;
  for (Machine::Process& process : s.processes) {
    // Another user's session is out of its reach; a service is stopped.
    const bool service = process.kind == Machine::Process::Kind::Service;
    if (!Affected(s, *session, process) || (!service && process.session != s.ownSession)) continue;
    sim::Log("RmShutdown " + process.image);
    if (process.kind == Machine::Process::Kind::Critical)
      left = true;
    else if (force || service || process.closesOnRequest)
      sim::EndProcess(s, process, force ? "RmForceShutdown" : "RmShutdown");
    else
      left = true;
  }
  return left ? ERROR_FAIL_SHUTDOWN : 0;
}

DWORD RmEndSession(DWORD handle) {
  auto& s = sim::Enter();
  return s.restartSessions.erase(handle) ? 0 : kInvalidHandle;
}

BOOL WTSQuerySessionInformationW(HANDLE, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer,
                                 DWORD* bytes) {
  auto& s = sim::Enter();
  if (what == WTSConnectState) {
    const auto& away = s.disconnectedSessions;
    const DWORD state =
        std::find(away.begin(), away.end(), session) != away.end() ? WTSDisconnected : WTSActive;
    *buffer = new WCHAR[sizeof state / sizeof(WCHAR)];
    std::memcpy(*buffer, &state, sizeof state);
    *bytes = sizeof state;
    ++s.userNameBuffers;
    return TRUE;
  }
  if (what != WTSUserName) return sim::Refuse(ERROR_INVALID_PARAMETER);
  auto user = s.sessionUsers.find(session);
  const std::string name = user != s.sessionUsers.end() ? user->second
                           : session == s.ownSession    ? s.userName
                                                        : "";
  const size_t length = sim::Characters(name).size() + 1;
  *buffer = new WCHAR[length];
  sim::FillWide(name, *buffer, length);
  *bytes = static_cast<DWORD>(length * sizeof(WCHAR));
  ++s.userNameBuffers;
  return TRUE;
}

void WTSFreeMemory(LPVOID memory) {
  auto& s = sim::Enter();
  delete[] static_cast<WCHAR*>(memory);
  --s.userNameBuffers;
}

// Only SYSTEM holds the privilege it needs; a session nobody signed in to has
// no token.
BOOL WTSQueryUserToken(ULONG session, HANDLE* token) {
  auto& s = sim::Enter();
  if (!sim::SameName(s.userName, "SYSTEM")) return sim::Refuse(ERROR_PRIVILEGE_NOT_HELD);
  auto user = s.sessionUsers.find(session);
  if (user == s.sessionUsers.end() || user->second.empty()) return sim::Refuse(ERROR_NO_TOKEN);
  *token = sim::NewHandle(s);
  s.userTokens[*token] = session;
  return TRUE;
}
