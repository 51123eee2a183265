#include "UserPlayer.h"

#include <cstdlib>
#include <stdexcept>

#include "PathKey.h"
#include "ProductLayout.h"
#include "app/RemoverApp.h"
#include "app/RemoverDlg.h"

namespace stress {
namespace {

const char kStartQuestion[] =
    "Please be patient, as this process can sometimes take a few minutes...click OK to "
    "continue.";
const char kLocationCaption[] = "Confirm Location.";
const char kNotFoundLocation[] = "KM Folder Not Found.";
const char kUnusedAnswer[] = "stress test: an answer queued for a box that did not come";
const char kReportHeader[] =
    "Unable to remove the following components...please remove them manually:";
const char kSuccessText[] = "The Kelmora has been removed from your computer.";
const char kRestartText[] =
    "Kelmora has been removed.  Some of its files were in use; Windows will remove them when the "
    "computer restarts.  Please restart the computer.";
const char kRestartHeader[] = "Windows will remove these when the computer restarts:";
const char kCopyFailed[] = "Unable to copy your student data.";

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool IsReportEntry(const std::string& line) {
  for (const char* form :
       {"Folder: ", "File: ", "Registry Key: ", "Registry Value: ",
        "Registry backup could not be written: ", "Install folder was a link to "})
    if (StartsWith(line, form)) return true;
  return false;
}

// A switch's value, quoted so that the program reads it back unchanged.
std::string Quoted(std::string value) {
  if (!value.empty() && value.back() == '\\') value += '\\';
  return "\"" + value + "\"";
}

bool MarkerExists(const std::string& folder) {
  try {
    return sim::machine().Exists(JoinPath(folder, kMarkerName));
  } catch (const std::invalid_argument&) {
    return false;  // not a path at all
  }
}

CRemoverDlg* MainDialog() { return static_cast<CRemoverDlg*>(theApp.m_pMainWnd); }

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
  }
  return "?";
}

}  // namespace

std::vector<UserAction> PlanUser(Dice& dice, const MachineFacts& facts) {
  std::vector<UserAction> actions;
  auto answers = [&dice](UserAction::Kind kind, const std::string& path) {
    return UserAction{kind, path, dice.Chance(0.75) ? IDYES : IDNO,
                      dice.Chance(0.9) ? IDOK : IDCANCEL};
  };
  for (int before = dice.Between(0, 3); before > 0; --before) {
    const int kind = dice.Between(0, 99);
    if (kind < 35)
      actions.push_back(
          answers(UserAction::Browse, dice.Chance(0.2) ? "" : dice.Pick(facts.locationChoices)));
    else if (kind < 70)
      actions.push_back(answers(UserAction::Type, dice.Pick(facts.locationChoices)));
    else if (kind < 92)
      actions.push_back(answers(UserAction::ClickSaveBox, ""));
    else
      actions.push_back(answers(UserAction::About, ""));
  }
  if (dice.Chance(0.97)) actions.push_back(answers(UserAction::Remove, ""));
  if (dice.Chance(0.5)) actions.push_back(answers(UserAction::Remove, ""));
  return actions;
}

CommandLinePlan PlanCommandLine(Dice& dice, const MachineFacts& facts) {
  CommandLinePlan plan;
  if (dice.Chance(0.7)) return plan;
  // A log folder that does not exist, or one pupils may change: nothing is
  // written beside the product, nor where a pupil may steer it.
  const std::string log =
      " /log \"" +
      (facts.pupilsLogFolder.empty() ? std::string("C:\\no log folder") : facts.pupilsLogFolder) +
      "\\RemoveKM.log\"";
  if (dice.Chance(0.15)) {
    const std::vector<std::string> others = {"/check" + log, "/quiet" + log + " /bogus", "/nosave",
                                             "-q" + log + " /saveto",
                                             "/quiet" + log + " /nosave /saveto C:\\x"};
    plan.arguments = dice.Pick(others);
    plan.quiet =
        plan.arguments.find("/q") != std::string::npos || StartsWith(plan.arguments, "/check");
    return plan;
  }
  const std::vector<std::string> quiet = {"/quiet", "-Q", "/s", "/Silent", "/qn"};
  plan.arguments = dice.Pick(quiet) + log;
  plan.quiet = true;
  if (dice.Chance(0.25))
    plan.arguments += " /nosave";
  else if (dice.Chance(0.3) && !facts.pupilsSaveFolder.empty())
    plan.arguments += " /saveto " + Quoted(facts.pupilsSaveFolder);
  else if (dice.Chance(0.3) && facts.UserDesktop().named)
    plan.arguments += " /saveto " + Quoted(facts.UserDesktop().path);
  if (dice.Chance(0.4)) plan.arguments += " /folder " + Quoted(dice.Pick(facts.locationChoices));
  if (dice.Chance(0.2)) plan.arguments += " /allusers";
  return plan;
}

std::string Describe(const std::vector<UserAction>& actions) {
  std::string text = "user plan:\n";
  for (const UserAction& action : actions) {
    switch (action.kind) {
      case UserAction::Browse:
        text += "  Browse to \"" + Printable(action.path) + "\", answer " +
                AnswerName(action.firstAnswer) + "\n";
        break;
      case UserAction::Type:
        text += "  Type \"" + Printable(action.path) + "\"\n";
        break;
      case UserAction::ClickSaveBox:
        text += "  Click the save box\n";
        break;
      case UserAction::About:
        text += "  Open the about box\n";
        break;
      case UserAction::Remove:
        text += std::string("  Remove, answers ") + AnswerName(action.firstAnswer) +
                " (location), " + AnswerName(action.secondAnswer) + " (start)\n";
        break;
    }
  }
  return text;
}

void UserPlayer::Attach() {
  sim::Machine& m = sim::machine();
  m.modalUser = [this](HWND dialog) { Play(dialog); };
  m.onMessageBox = [this](const sim::MessageBoxRecord& box) { Watch(box); };
}

void UserPlayer::Play(HWND dialog) {
  sim::Machine& m = sim::machine();
  // Only the main dialog is played; the about box is closed at once.
  if (m.GetWindow(dialog)->templateId != IDD_REMOVER_DIALOG || mainDialog_) return;
  mainDialog_ = dialog;
  CRemoverDlg* main = MainDialog();
  record_.dialogShown = true;
  record_.osMajorSeen = main->m_osMajor;
  record_.userNameSeen = sim::StoredName(main->m_userName.Text());
  record_.foundAtStart = sim::StoredName(main->m_installPath.Text());
  for (const UserAction& action : actions_) {
    const sim::Window* window = m.GetWindow(dialog);
    if (window->ended || window->destroyed) break;
    current_ = &action;
    Perform(dialog, action);
    current_ = nullptr;
    UseUpAnswers();
  }
}

void UserPlayer::Perform(HWND dialog, const UserAction& action) {
  sim::Machine& m = sim::machine();
  CRemoverDlg* main = MainDialog();
  switch (action.kind) {
    case UserAction::Browse:
      m.QueueBrowserAnswer(action.path);
      QueueAnswer(action.firstAnswer);
      record_.played.push_back("Browse \"" + Printable(action.path) + "\"");
      m.Click(dialog, IDC_BROWSE);
      break;
    case UserAction::Type:
      record_.played.push_back("Type \"" + Printable(action.path) + "\"");
      m.Type(dialog, IDC_LOCATION, action.path);
      break;
    case UserAction::ClickSaveBox:
      record_.played.push_back("Click the save box");
      m.Click(dialog, IDC_SAVE_DATA);
      break;
    case UserAction::About:
      record_.played.push_back("About box");
      m.SysCommand(dialog, IDM_ABOUTBOX);
      break;
    case UserAction::Remove: {
      // The location question comes first when the box's text is not the
      // folder already known; else the start question is the first box.
      const std::string typed = m.ControlText(dialog, IDC_LOCATION);
      const std::string known = sim::StoredName(main->m_installPath.Text());
      const std::string typedBefore = sim::StoredName(main->m_typedLocation.Text());
      const bool unchanged = typed == known || (!typedBefore.empty() && typed == typedBefore) ||
                             (known.empty() && (typed == kNotFoundLocation || typed.empty()));
      const bool locationQuestion = !unchanged && !MarkerExists(typed);
      QueueAnswer(locationQuestion ? action.firstAnswer : action.secondAnswer);
      record_.played.push_back("Remove, location box \"" + Printable(typed) +
                               "\", install folder \"" + Printable(known) + "\"");
      m.Click(dialog, IDOK);
      break;
    }
  }
}

void UserPlayer::Watch(const sim::MessageBoxRecord& box) {
  if (box.text == kUnusedAnswer) return;
  if (answersUsed_ < answersQueued_) ++answersUsed_;
  record_.played.push_back(std::string("  box \"") + Printable(box.text.substr(0, 60)) +
                           "\" answered " + AnswerName(box.answer));
  if (!current_ || current_->kind != UserAction::Remove) return;
  if (box.caption == kLocationCaption && box.answer == IDYES) QueueAnswer(current_->secondAnswer);
  if (box.text == kStartQuestion && box.answer != IDCANCEL && !record_.removalStarted) {
    sim::Machine& m = sim::machine();
    record_.removalStarted = true;
    record_.installPath = sim::StoredName(MainDialog()->m_installPath.Text());
    const std::string longName = m.LongPath(record_.installPath);
    record_.installFolder = longName.empty() ? record_.installPath : longName;
    record_.saveTicked = m.GetWindow(m.Control(mainDialog_, IDC_SAVE_DATA))->check != 0;
    faults_.MarkRemovalStarted();
  }
}

void UserPlayer::ReadLog(const CommandLinePlan& plan, const std::string& utf8Log,
                         std::vector<sim::MessageBoxRecord>& boxes) {
  const std::string log = sim::StoredFromUtf8(utf8Log);
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    const std::string line = log.substr(start + 20, end - start - 20);  // after the date and time
    lines.push_back(line.substr(line.find(' ') + 1));                   // and the level
  }
  std::string installPath;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    record_.played.push_back("  log: " + Printable(line));
    if (StartsWith(line, "Windows ")) {
      record_.osMajorSeen = std::atoi(line.c_str() + 8);
      const size_t user = line.find(", user ");
      if (user != std::string::npos)
        record_.userNameSeen = line.substr(user + 7, line.size() - user - 8);
    } else if (StartsWith(line, "Install folder: ")) {
      installPath = line.substr(16, line.rfind(" (") - 16);
    } else if (line == kStartQuestion && i + 1 < lines.size() && lines[i + 1] == "Answered OK.") {
      record_.removalStarted = true;
      record_.installPath = installPath;
      record_.saveTicked = plan.arguments.find("/nosave") == std::string::npos;
    } else if (line == kSuccessText) {
      boxes.push_back({nullptr, line, false, "Success!", MB_OK, IDOK});
    } else if (StartsWith(line, kCopyFailed)) {
      boxes.push_back({nullptr, line, true, "", MB_OK, IDOK});
    } else if (line == kReportHeader || line == kRestartText) {
      std::string report = line + "\n\n";
      while (i + 1 < lines.size() && IsReportEntry(lines[i + 1])) report += lines[++i] + "\n";
      if (i + 1 < lines.size() && lines[i + 1] == kRestartHeader) {
        report += "\n" + lines[++i] + "\n";
        while (i + 1 < lines.size() && IsReportEntry(lines[i + 1])) report += lines[++i] + "\n";
      }
      boxes.push_back({nullptr, report, true, "", MB_OK, IDOK});
    } else if (StartsWith(line, "The registry entries removed were saved in ") && !boxes.empty()) {
      boxes.back().text += (boxes.back().text.back() == '\n' ? "\n" : "\n\n") + line;
    }
  }
}

void UserPlayer::QueueAnswer(int answer) {
  sim::machine().QueueMessageBoxAnswer(answer);
  ++answersQueued_;
}

void UserPlayer::UseUpAnswers() {
  while (answersUsed_ < answersQueued_) {
    ++answersUsed_;
    ::MessageBoxA(NULL, kUnusedAnswer, "stress test", MB_OK);
  }
}

}  // namespace stress
