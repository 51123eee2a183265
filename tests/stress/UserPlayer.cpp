#include "UserPlayer.h"

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
  record_.userNameSeen = static_cast<LPCSTR>(main->m_userName);
  record_.foundAtStart = static_cast<LPCSTR>(main->m_installPath);
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
      const std::string known = static_cast<LPCSTR>(main->m_installPath);
      const std::string typedBefore = static_cast<LPCSTR>(main->m_typedLocation);
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
    record_.installPath = static_cast<LPCSTR>(MainDialog()->m_installPath);
    const std::string longName = m.LongPath(record_.installPath);
    record_.installFolder = longName.empty() ? record_.installPath : longName;
    record_.saveTicked = m.GetWindow(m.Control(mainDialog_, IDC_SAVE_DATA))->check != 0;
    faults_.MarkRemovalStarted();
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
