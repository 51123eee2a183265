// Counts the simulated calls of one run by phase and by function. The
// program's phases are told by the lines of its log, whose own writes are a
// phase of their own; the floor names its phases itself.
#pragma once

#include <array>
#include <map>
#include <string>

enum Phase {
  kStartUp,
  kFinding,          // finding and judging the install folder
  kRunningPrograms,  // looking for Kelmora's running programs
  kSave,
  kCaches,         // step 2: the installer's caches
  kInstallFolder,  // step 3
  kShortcuts,      // steps 4 and 5
  kRegistry,       // step 6: the backup and the deletes
  kLog,
  kPhaseCount
};
const char* PhaseName(Phase phase);

typedef std::map<std::string, long long> CallsByFunction;
typedef std::array<CallsByFunction, kPhaseCount> PhaseCalls;

// The kinds of calls, counted apart. A system call enters the kernel on
// Windows (a round trip to the server under Wine): a file, registry,
// process or window call. A heavy one costs far more: a DLL loaded, a
// Restart Manager session, a process started. An in-process one reads or
// converts what the process has in its own memory (the last error, the
// code page, an export, the command line): no kernel transition at all.
enum CallKind { kSystemCall, kHeavyCall, kInProcessCall };
CallKind KindOf(const std::string& function);
long long CallsOfKind(const CallsByFunction& calls, CallKind kind);

class PhaseCounter {
 public:
  // Counts from now on every call made on the simulated machine; `log` is
  // the file whose lines mark the phases, "" for none.
  explicit PhaseCounter(const std::string& log = "");
  ~PhaseCounter();
  PhaseCounter(const PhaseCounter&) = delete;
  PhaseCounter& operator=(const PhaseCounter&) = delete;

  void Switch(Phase phase) {
    m_phase = phase;
    m_reached[phase] = true;
  }
  void Stop() { m_counting = false; }
  // Whether the run came to the phase, by its log or by Switch.
  bool Reached(Phase phase) const { return m_reached[phase]; }
  const PhaseCalls& Calls() const { return m_calls; }

 private:
  void Count(const char* function);
  void ReadNewLines();
  void MoveToLog(Phase from, const char* function);

  std::string m_log;
  size_t m_logRead = 0;
  bool m_logGrew = false;
  bool m_counting = true;
  Phase m_phase = kStartUp;
  std::array<bool, kPhaseCount> m_reached = {};
  Phase m_lastPhase = kStartUp, m_previousPhase = kStartUp;
  const char* m_last = nullptr;
  const char* m_previous = nullptr;
  PhaseCalls m_calls;
};
