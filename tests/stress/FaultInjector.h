// Faults for the stress runs: platform calls that fail with the error codes
// Windows gives in real life, scattered at random or aimed at the product's
// pieces, chosen from the run's seed. Also ends a run that does not end.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "Dice.h"
#include "MachineGenerator.h"
#include "platform/sim/SimMachine.h"

namespace stress {

struct InjectedFault {
  sim::Op op;
  std::string target;  // as the call named it
  DWORD error;
  bool duringRemoval;  // after the start question was answered
};

// Thrown out of a platform call when a run has made more calls than any
// ending run needs.
struct CallLimitExceeded : std::runtime_error {
  CallLimitExceeded() : std::runtime_error("the call limit was reached") {}
};

class FaultInjector {
 public:
  FaultInjector(Dice& dice, const MachineFacts& facts);

  // Arms the machine's fault hook. `callLimit`: calls after which the run is
  // stopped with CallLimitExceeded.
  void Arm(long long callLimit);
  void MarkRemovalStarted() { removalStarted_ = true; }

  const std::vector<InjectedFault>& Injected() const { return injected_; }
  bool CallLimitReached() const { return limitReached_; }
  std::string Describe() const;

 private:
  struct Rule {
    sim::Op op;
    std::string target;  // a path or key; "*" for every call of the op
    bool subtree;        // the target and all below it
    DWORD error;
    double chance;
  };

  DWORD Decide(sim::Op op, const std::string& target);
  bool Matches(const Rule& rule, sim::Op op, const std::string& target) const;
  void AimAtProduct(Dice& dice, const MachineFacts& facts);

  std::vector<Rule> rules_;
  Dice calls_;
  long long callLimit_ = 0;
  bool removalStarted_ = false;
  bool limitReached_ = false;
  std::vector<InjectedFault> injected_;
};

}  // namespace stress
