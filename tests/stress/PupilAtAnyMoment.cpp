#include "PupilAtAnyMoment.h"

#include "PathKey.h"
#include "Printable.h"
#include "PupilLinks.h"
#include "platform/sim/SimMachine.h"

namespace stress {
namespace {

const char kTeacher[] = "teacher";
const char kTeacherFolder[] = "C:\\Teacher";
const char kMarks[] = "C:\\Teacher\\marks.xls";
// A removal makes some hundreds of faultable calls: the moment falls anywhere
// in them, or, in a long one, after it.
const int kLatestMoment = 900;

// The folders of the product's that the pupil may change, no link among them.
void PupilFolders(const std::string& folder, std::vector<std::string>& found) {
  sim::Machine& m = sim::machine();
  if (!m.IsFolder(folder) || (m.Attributes(folder) & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  if (m.MayChange(kPupil, folder)) found.push_back(folder);
  for (const std::string& name : m.List(folder)) PupilFolders(JoinPath(folder, name), found);
}

}  // namespace

PupilAtAnyMoment::PupilAtAnyMoment(Dice& dice, const MachineFacts& facts)
    : dice_(dice), facts_(facts), moment_(dice.Between(1, kLatestMoment)) {
  sim::Machine& m = sim::machine();
  m.AddFile(kMarks, "the class's marks", FILE_ATTRIBUTE_READONLY);
  // What a link to it would have the removal take for the product's.
  m.AddFile(JoinPath(kTeacherFolder, "km2.jar"), "the teacher's own");
  m.AddFile(JoinPath(kTeacherFolder, "Students\\essay.txt"), "marked");
  m.SetOwner(kTeacherFolder, kTeacher);
}

void PupilAtAnyMoment::Attach() {
  sim::Machine& m = sim::machine();
  auto inner = m.faultHook;
  m.faultHook = [this, inner](sim::Op op, const std::string& target) -> DWORD {
    if (++calls_ == moment_) Act();
    return inner ? inner(op, target) : 0;
  };
}

void PupilAtAnyMoment::Act() {
  sim::Machine& m = sim::machine();
  std::vector<std::string> folders;
  if (!facts_.productFolder.empty()) PupilFolders(facts_.productFolder, folders);
  if (!facts_.pupilsLogFolder.empty()) PupilFolders(facts_.pupilsLogFolder, folders);
  if (!facts_.pupilsSaveFolder.empty()) PupilFolders(facts_.pupilsSaveFolder, folders);
  if (folders.empty()) {
    done_ = "found no folder of the product's to change";
    return;
  }
  const std::string folder = dice_.Pick(folders);
  std::string made;
  bool done = false;
  switch (dice_.Between(0, 3)) {
    case 0:
      made = JoinPath(folder, "Empty");
      if (!m.Exists(made)) m.AddFolder(made);
      done = m.MakeMountPoint(kPupil, made, kTeacherFolder);
      done_ = "mount point to " + std::string(kTeacherFolder) + " at ";
      break;
    case 1:
      made = folder;
      done = m.PlantLink(kPupil, folder, kTeacherFolder);
      if (done) {
        movedAway_.push_back(folder + " (moved)");
        touched_.push_back(PathKey(movedAway_.back()));
      }
      done_ = "swapped for a link to " + std::string(kTeacherFolder) + ": ";
      break;
    case 2:
      made = JoinPath(folder, "marks.xls");
      done = !m.Exists(made);
      if (done) m.AddHardLink(made, kMarks);
      done_ = "second name for " + std::string(kMarks) + " at ";
      break;
    default:
      made = JoinPath(folder, "km2.jar");
      done = !m.Exists(made);
      if (done) m.AddFile(made, "a pupil's");
      done_ = "km2.jar planted at ";
  }
  touched_.push_back(PathKey(made));
  done_ += made + (done ? "" : " (refused)");
}

std::string PupilAtAnyMoment::Describe() const {
  return "pupil at call " + std::to_string(moment_) + " of " + std::to_string(calls_) + ": " +
         Printable(done_) + "\n";
}

void PupilAtAnyMoment::Check(bool success, const std::string& removed,
                             std::vector<std::string>& violations) const {
  sim::Machine& m = sim::machine();
  if (!(m.Attributes(kMarks) & FILE_ATTRIBUTE_READONLY))
    violations.push_back("the teacher's read-only file lost that attribute");
  for (const char* folder : {kTeacherFolder, "C:\\Teacher\\Students"})
    if (!m.MayChange(kTeacher, folder))
      violations.push_back(std::string("the teacher may no longer change ") + folder);
  for (const std::string& moved : movedAway_)
    if (success && !removed.empty() && IsSameOrBelow(PathKey(moved), PathKey(removed)) &&
        m.Exists(moved))
      violations.push_back("\"Success!\" while what a pupil moved away stays: " + Printable(moved));
}

}  // namespace stress
