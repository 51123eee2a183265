#include "PhaseCounter.h"

#include <cstring>

#include "platform/sim/SimMachine.h"

namespace {

const char* const kPhaseNames[kPhaseCount] = {
    "start-up",  "finding and judging the folder", "looking for running programs",
    "the save",  "step 2: installer caches",       "step 3: install folder",
    "shortcuts", "registry and its backup",        "the log",
};

// The log lines that begin each phase, in the order the run writes them.
const struct {
  const char* text;
  Phase phase;
} kMarkers[] = {
    {"Info Windows ", kFinding},     {"Please be patient", kRunningPrograms},
    {"Step 1 of 6", kSave},          {"Step 2 of 6", kCaches},
    {"Step 3 of 6", kInstallFolder}, {"Step 4 of 6", kShortcuts},
    {"Step 6 of 6", kRegistry},
};

const char* const kHeavy[] = {"LoadLibraryExW", "RmStartSession", "CreateProcessAsUserW"};
// By the simulated machine's names: FullPathText serves GetFullPathNameA/W.
const char* const kInProcess[] = {"GetLastError",
                                  "SetLastError",
                                  "MultiByteToWideChar",
                                  "WideCharToMultiByte",
                                  "GetModuleHandleA",
                                  "GetProcAddress",
                                  "GetCurrentProcessId",
                                  "GetCommandLineA",
                                  "GetCommandLineW",
                                  "GetStdHandle",
                                  "GetVersionExA",
                                  "FullPathText",
                                  "GetSystemDirectoryA",
                                  "GetWindowsDirectoryA",
                                  "GetTempPathA",
                                  "GetLocalTime",
                                  "LoadStringA",
                                  "GetSystemWow64DirectoryA",
                                  "ExpandEnvironmentStringsA"};

bool Among(const std::string& function, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (function == names[i]) return true;
  return false;
}

}  // namespace

const char* PhaseName(Phase phase) { return kPhaseNames[phase]; }

CallKind KindOf(const std::string& function) {
  if (Among(function, kHeavy, sizeof kHeavy / sizeof *kHeavy)) return kHeavyCall;
  if (Among(function, kInProcess, sizeof kInProcess / sizeof *kInProcess)) return kInProcessCall;
  return kSystemCall;
}

long long CallsOfKind(const CallsByFunction& calls, CallKind kind) {
  long long sum = 0;
  for (const auto& call : calls) sum += KindOf(call.first) == kind ? call.second : 0;
  return sum;
}

PhaseCounter::PhaseCounter(const std::string& log) : m_log(log) {
  m_reached[kStartUp] = true;
  sim::Machine& m = sim::machine();
  m.onCall = [this](const char* function) { Count(function); };
  // A line of the log is its time and one write, made as the call's fault is asked.
  m.faultHook = [this](sim::Op op, const std::string& target) {
    if (m_counting && op == sim::Op::WriteFile && !m_log.empty() && target == m_log) {
      MoveToLog(m_lastPhase, m_last);
      if (m_previous && std::strcmp(m_previous, "GetLocalTime") == 0)
        MoveToLog(m_previousPhase, m_previous);
      m_logGrew = true;
      m_reached[kLog] = true;
    }
    return DWORD(0);
  };
}

PhaseCounter::~PhaseCounter() {
  sim::machine().onCall = nullptr;
  sim::machine().faultHook = nullptr;
}

void PhaseCounter::Count(const char* function) {
  if (m_logGrew) ReadNewLines();
  if (!m_counting) return;
  m_previous = m_last;
  m_previousPhase = m_lastPhase;
  m_last = function;
  m_lastPhase = m_phase;
  ++m_calls[m_phase][function];
}

void PhaseCounter::MoveToLog(Phase from, const char* function) {
  --m_calls[from][function];
  if (m_calls[from][function] == 0) m_calls[from].erase(function);
  ++m_calls[kLog][function];
}

void PhaseCounter::ReadNewLines() {
  m_logGrew = false;
  const std::string text = sim::machine().ReadFile(m_log);
  for (size_t end; (end = text.find('\n', m_logRead)) != std::string::npos; m_logRead = end + 1) {
    const std::string line = text.substr(m_logRead, end - m_logRead);
    for (const auto& marker : kMarkers) {
      // Phases only go forward: a later line may quote an earlier marker.
      if (marker.phase <= m_phase || line.find(marker.text) == std::string::npos) continue;
      m_phase = marker.phase;
      m_reached[m_phase] = true;
    }
  }
}
