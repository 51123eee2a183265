// The calls each phase of the unattended removal makes on the simulated
// machine, held: a change that adds calls (per file, per folder or once)
// fails here; bash bench/run.sh --counted shows what they come to at scale.
#include <gtest/gtest.h>

#include "bench/counted/CountedRuns.h"

namespace {

struct Held {
  Phase phase;
  long long small, large;  // system calls at kSmall and kLarge files
  long long heavy;
};

const long kSmall = 200, kLarge = 400;

// clang-format off
const Held kHeld[] = {
    {kStartUp,           23,   23, 0},
    {kFinding,           91,   91, 0},
    {kRunningPrograms,   14,   14, 0},
    {kSave,             283,  583, 0},
    {kCaches,           137,  137, 0},
    {kInstallFolder,   1270, 2302, 0},
    {kShortcuts,        328,  328, 0},
    {kRegistry,         102,  102, 0},
    {kLog,               49,   49, 0},
};
// clang-format on

TEST(CallCounts, EachPhaseOfTheRemovalMakesTheCallsHeld) {
  const CountedRun small = CountRemoval(kSmall), large = CountRemoval(kLarge);
  for (const Held& held : kHeld) {
    SCOPED_TRACE(PhaseName(held.phase));
    EXPECT_EQ(CallsOfKind(small.calls[held.phase], kSystemCall), held.small);
    EXPECT_EQ(CallsOfKind(large.calls[held.phase], kSystemCall), held.large);
    EXPECT_EQ(CallsOfKind(large.calls[held.phase], kHeavyCall), held.heavy);
  }
}

TEST(CallCounts, StartUpWithTheProductFoundMakesTheCallsHeld) {
  const PhaseCalls startUp = CountStartUp();
  EXPECT_EQ(CallsOfKind(startUp[kStartUp], kSystemCall), 111);
  EXPECT_EQ(CallsOfKind(startUp[kStartUp], kHeavyCall), 0);
}

}  // namespace
