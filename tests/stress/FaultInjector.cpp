#include "FaultInjector.h"

#include <cstdio>
#include <map>

#include "PathKey.h"
#include "ProductLayout.h"

namespace stress {
namespace {

using sim::Op;

// The errors each operation gives in real life.
const std::map<Op, std::vector<DWORD>> kRealErrors = {
    {Op::SetCurrentDirectory, {5, 3}},
    {Op::GetCurrentDirectory, {5}},
    {Op::FindFirstFile, {5, 3}},
    {Op::FindNextFile, {5, 32}},
    {Op::CreateDirectory, {5, 3, 112}},
    {Op::ReadFile, {5, 32, 23}},
    {Op::DeleteFile, {5, 32, 3}},
    {Op::RemoveDirectory, {5, 32, 3}},
    {Op::CreateFile, {5, 32, 3}},
    {Op::GetFileAttributes, {5, 3}},
    {Op::SetFileAttributes, {5, 32}},
    {Op::ShellDelete, {5, 32, 3}},
    {Op::SpecialFolder, {5}},
    {Op::RegOpenKey, {5}},
    {Op::RegQueryValue, {5}},
    {Op::RegEnumKey, {5}},
    {Op::RegDeleteKey, {5}},
    {Op::RegDeleteValue, {5}},
    {Op::RegCloseKey, {6}},
    {Op::GetUserName, {5}},
    {Op::GetVersion, {5}},
    {Op::CreateDialog, {8}},
    {Op::GetSystemMenu, {5}},
    {Op::LoadString, {5}},
    {Op::CoInitialize, {5}},
    {Op::SHGetPathFromIDList, {5}},
};

bool IsRegistryOp(Op op) {
  return op == Op::RegOpenKey || op == Op::RegQueryValue || op == Op::RegEnumKey ||
         op == Op::RegDeleteKey || op == Op::RegDeleteValue || op == Op::RegCloseKey;
}

std::string TargetKey(Op op, const std::string& target) {
  if (IsRegistryOp(op)) return RegistryKey(target);
  if (op == Op::SpecialFolder || target.empty()) return target;
  return PathKey(target);
}

}  // namespace

FaultInjector::FaultInjector(Dice& dice, const MachineFacts& facts) : calls_(dice.Fork()) {
  const int mode = dice.Between(0, 99);
  if (mode < 30) return;  // a machine that works
  if (mode < 75) AimAtProduct(dice, facts);
  if (mode >= 60) {
    // Scattered: every call of a few operations may fail.
    const double chance = dice.Pick(std::vector<double>{0.005, 0.02, 0.05, 0.15});
    for (int ops = dice.Between(1, 5); ops > 0; --ops) {
      auto entry = kRealErrors.begin();
      std::advance(entry, dice.Between(0, static_cast<int>(kRealErrors.size()) - 1));
      // Dialogs that cannot be made end a run before it starts: rarely.
      double opChance = entry->first == Op::CreateDialog || entry->first == Op::RegCloseKey
                            ? chance / 10
                            : chance;
      rules_.push_back({entry->first, "*", false, dice.Pick(entry->second), opChance});
    }
  }
}

void FaultInjector::AimAtProduct(Dice& dice, const MachineFacts& facts) {
  const std::string install =
      facts.productFolder.empty() ? kDefaultInstallFolder : facts.productFolder;
  const std::string students = JoinPath(install, kStudentsName);
  const ShellFolder& desktop = dice.Pick(facts.shellFolders);
  const std::string shortcut = JoinPath(UserNameLocation(desktop.path, facts.userName, "\\Desktop"),
                                        dice.Pick(kDesktopShortcuts));
  const std::string startMenu = facts.shellFolders[dice.Between(2, 3)].path;
  const std::vector<Rule> aims = {
      {Op::ShellDelete, install, false, 0, 1},
      {Op::ShellDelete, dice.Pick(kCacheFolders), false, 0, 1},
      {Op::ShellDelete, JoinPath(startMenu, kProgramsKelmora), false, 0, 1},
      {Op::FindFirstFile, install, false, 0, 1},
      {Op::FindFirstFile, dice.Pick(kCacheFolders), false, 0, 1},
      {Op::FindFirstFile, JoinPath(desktop.path, dice.Pick(kDesktopShortcuts)), false, 0, 1},
      {Op::FindFirstFile, JoinPath(startMenu, dice.Pick(kStartMenuShortcuts)), false, 0, 1},
      {Op::FindFirstFile, students, true, 0, 0.3},
      {Op::FindNextFile, students, true, 0, 0.3},
      {Op::CreateFile, students, true, 0, 0.5},
      {Op::ReadFile, students, true, 0, 0.1},
      {Op::CreateDirectory, facts.UserDesktop().path, true, 0, 0.3},
      {Op::DeleteFile, JoinPath(desktop.path, dice.Pick(kDesktopShortcuts)), false, 0, 1},
      {Op::DeleteFile, shortcut, false, 0, 0.5},
      {Op::DeleteFile, JoinPath(startMenu, dice.Pick(kStartMenuShortcuts)), false, 0, 1},
      {Op::DeleteFile, facts.UserDesktop().path, true, 0, 0.3},
      {Op::RemoveDirectory, facts.UserDesktop().path, true, 0, 0.5},
      {Op::SpecialFolder, std::to_string(dice.Pick(facts.shellFolders).csidl), false, 0, 1},
      {Op::RegOpenKey, kProductKey, false, 0, 1},
      {Op::RegOpenKey, dice.Pick(kUninstallEntries), true, 0, 0.5},
      {Op::RegOpenKey, kUninstallKey, false, 0, 1},
      {Op::RegEnumKey, kProductKey, false, 0, 0.5},
      {Op::RegEnumKey, dice.Pick(kUninstallEntries), true, 0, 0.5},
      {Op::RegDeleteKey, kProductKey, true, 0, 0.5},
      {Op::RegDeleteKey, dice.Pick(kUninstallEntries), true, 0, 0.5},
      {Op::RegDeleteValue, kProductKey, false, 0, 1},
      {Op::RegQueryValue, kProductKey, false, 0, 1},
      {Op::GetUserName, "*", false, 0, 1},
      {Op::GetVersion, "*", false, 0, 1},
  };
  for (int count = dice.Between(1, 4); count > 0; --count) {
    Rule rule = dice.Pick(aims);
    rule.error = dice.Pick(kRealErrors.at(rule.op));
    rules_.push_back(rule);
  }
}

void FaultInjector::Arm(long long callLimit) {
  callLimit_ = callLimit;
  sim::machine().faultHook = [this](Op op, const std::string& target) {
    return Decide(op, target);
  };
}

bool FaultInjector::Matches(const Rule& rule, Op op, const std::string& target) const {
  if (rule.op != op) return false;
  if (rule.target == "*") return true;
  const std::string wanted = TargetKey(op, rule.target);
  const std::string actual = TargetKey(op, target);
  return actual == wanted || (rule.subtree && IsBelow(actual, wanted));
}

DWORD FaultInjector::Decide(Op op, const std::string& target) {
  if (limitReached_) return 0;  // let the unwinding run
  if (sim::machine().CallCount() > callLimit_) {
    limitReached_ = true;
    throw CallLimitExceeded();
  }
  for (const Rule& rule : rules_) {
    if (!Matches(rule, op, target) || !calls_.Chance(rule.chance)) continue;
    injected_.push_back({op, target, rule.error, removalStarted_});
    return rule.error;
  }
  return 0;
}

std::string FaultInjector::Describe() const {
  if (rules_.empty()) return "faults: none\n";
  std::string text = "faults:\n";
  for (const Rule& rule : rules_) {
    char chance[32];
    std::snprintf(chance, sizeof chance, "%g", rule.chance);
    text += std::string("  ") + sim::OpName(rule.op) + " on " + Printable(rule.target) +
            (rule.subtree ? " and below" : "") + " fails with " + std::to_string(rule.error) +
            ", chance " + chance + "\n";
  }
  return text;
}

}  // namespace stress
