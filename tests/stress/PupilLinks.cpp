#include "PupilLinks.h"

#include "PathKey.h"
#include "Printable.h"
#include "platform/sim/SimMachine.h"

namespace stress {

const char kPupil[] = "pupil";

namespace {

const char kSentinels[] = "C:\\Sentinels";

// Replaces `folder` by a link to a new sentinel when the pupil may, else
// looks inside it.
void Visit(Dice& dice, const std::string& folder, std::vector<Sentinel>& sentinels) {
  sim::Machine& m = sim::machine();
  if (!m.IsFolder(folder) || (m.Attributes(folder) & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  const std::string parent = ParentPath(folder);
  const bool mayChange =
      m.MayChange(kPupil, folder) || (!parent.empty() && m.MayChange(kPupil, parent));
  if (mayChange && dice.Chance(0.7)) {
    Sentinel sentinel{JoinPath(kSentinels, std::to_string(sentinels.size())), {}};
    for (const auto& file : m.Tree(folder)) {
      sentinel.files[file.first] = "sentinel";
      m.AddFile(JoinPath(sentinel.folder, file.first), "sentinel");
    }
    m.AddFolder(sentinel.folder);
    m.PlantLink(kPupil, folder, sentinel.folder);
    sentinels.push_back(sentinel);
    return;
  }
  for (const std::string& name : m.List(folder)) Visit(dice, JoinPath(folder, name), sentinels);
}

}  // namespace

std::vector<Sentinel> PlantPupilLinks(Dice& dice, const std::vector<std::string>& tops) {
  std::vector<Sentinel> sentinels;
  for (const std::string& top : tops) Visit(dice, top, sentinels);
  return sentinels;
}

void CheckSentinels(const std::vector<Sentinel>& sentinels, std::vector<std::string>& violations) {
  const sim::Machine& m = sim::machine();
  for (const Sentinel& sentinel : sentinels)
    if (!m.IsFolder(sentinel.folder) || m.Tree(sentinel.folder) != sentinel.files)
      violations.push_back("a sentinel touched at the restart through a pupil's link: " +
                           Printable(sentinel.folder));
}

}  // namespace stress
