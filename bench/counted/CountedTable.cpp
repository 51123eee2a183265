// The counted benchmark: the calls RemoveKM's removal makes on the simulated
// machine, phase by phase, against the floor of the same work, at several
// installation sizes; and the dialog's start-up with the product found
// against a bare dialog that finds it. Heavy calls (a DLL loaded, a Restart
// Manager session, a process started) are counted apart. Not a test: it
// prints figures; it fails when a run did not do what it is measured for.
//
// Usage: counted-table [--functions] [FILES ...]   (default 1000 10000 50000)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "CountedRuns.h"

namespace {

bool g_functions = false;

// The tree a phase goes through; nullptr for the phases of fixed work.
const TreeSize* TreeOf(Phase phase, const Installation& installation) {
  if (phase == kSave) return &installation.students;
  if (phase == kCaches) return &installation.caches;
  if (phase == kInstallFolder) return &installation.install;
  return nullptr;
}

void PrintRatio(long long calls, long long floor) {
  if (floor > 0)
    std::printf(" %6.2fx", double(calls) / double(floor));
  else
    std::printf(" %7s", calls > 0 ? "(none)" : "-");
}

void PrintFunctions(const CallsByFunction& calls, const CallsByFunction& floor) {
  CallsByFunction all = calls;
  for (const auto& call : floor) all[call.first] += 0;
  for (const auto& call : all) {
    const auto inFloor = floor.find(call.first);
    std::printf("      %-34s %8lld %8lld%s\n", call.first.c_str(), call.second,
                inFloor == floor.end() ? 0LL : inFloor->second,
                KindOf(call.first) == kSystemCall ? "" : " (apart)");
  }
}

void PrintRow(const char* name, const CallsByFunction& calls, const CallsByFunction& floor,
              const TreeSize* tree) {
  const long long light = CallsOfKind(calls, kSystemCall);
  const long long floorLight = CallsOfKind(floor, kSystemCall);
  std::printf("  %-32s %8lld %5lld %7lld", name, light, CallsOfKind(calls, kHeavyCall),
              CallsOfKind(calls, kInProcessCall));
  if (tree)
    std::printf(" %8.2f %8.2f", double(light) / tree->files, double(light) / tree->folders);
  else
    std::printf(" %8s %8s", "-", "-");
  std::printf(" %8lld %5lld %7lld", floorLight, CallsOfKind(floor, kHeavyCall),
              CallsOfKind(floor, kInProcessCall));
  PrintRatio(light, floorLight);
  std::printf("\n");
  if (g_functions) PrintFunctions(calls, floor);
}

void Add(CallsByFunction& sum, const CallsByFunction& calls) {
  for (const auto& call : calls) sum[call.first] += call.second;
}

void PrintHeader(const char* title) {
  std::printf("%s\n  %-32s %8s %5s %7s %8s %8s %8s %5s %7s %7s\n", title, "phase", "calls", "heavy",
              "in-proc", "per file", "/folder", "floor", "heavy", "in-proc", "ratio");
}

void PrintSize(long files) {
  const CountedRun removal = CountRemoval(files);
  const CountedRun floor = CountFloorRemoval(files);
  const Installation& made = removal.installation;
  char title[160];
  std::snprintf(title, sizeof title,
                "Unattended removal, saving: %ld files in %ld folders (Students %ld in %ld, "
                "caches %ld in %ld)",
                made.install.files, made.install.folders, made.students.files,
                made.students.folders, made.caches.files, made.caches.folders);
  PrintHeader(title);
  CallsByFunction fixed, fixedFloor, total, totalFloor;
  for (int i = 0; i < kPhaseCount; ++i) {
    const Phase phase = Phase(i);
    const TreeSize* tree = TreeOf(phase, made);
    PrintRow(PhaseName(phase), removal.calls[phase], floor.calls[phase], tree);
    if (!tree) Add(fixed, removal.calls[phase]);
    if (!tree) Add(fixedFloor, floor.calls[phase]);
    Add(total, removal.calls[phase]);
    Add(totalFloor, floor.calls[phase]);
  }
  const bool functions = g_functions;
  g_functions = false;
  PrintRow("fixed (the phases of no tree)", fixed, fixedFloor, nullptr);
  PrintRow("whole run", total, totalFloor, &made.install);
  g_functions = functions;
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--functions") == 0)
      g_functions = true;
    else if (std::atol(argv[i]) >= 100)
      sizes.push_back(std::atol(argv[i]));
    else
      return std::fprintf(stderr, "usage: counted-table [--functions] [FILES ...]\n"), 2;
  }
  if (sizes.empty()) sizes = {1000, 10000, 50000};
  try {
    PrintHeader("Start-up with the product found, up to the main dialog shown");
    PrintRow("start-up", CountStartUp()[kStartUp], CountFloorStartUp()[kStartUp], nullptr);
    std::printf("\n");
    for (long files : sizes) PrintSize(files);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "counted-table: %s\n", failure.what());
    return 1;
  }
  return 0;
}
