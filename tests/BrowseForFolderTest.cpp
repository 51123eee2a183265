#include <string>
#include <vector>

#include "MainDialogFixture.h"

namespace {

using namespace dialog_texts;

const char kDefaultFolder[] = "C:\\Program Files\\Kelmora";
const char kBrowserTitle[] = "Please select the folder in which the Kelmora is installed.";

enum class Box { None, Question, Refusal };

struct Case {
  const char* what;
  std::string chosen;  // "" = the user cancels the browser
  int answer;          // to the question, when asked
  Box box;
  bool taken;
};

class BrowseForFolderTest : public MainDialogTest {
 protected:
  // The product in its default folder, found at start; a marked and an
  // unmarked folder elsewhere.
  void OpenWithChoices() {
    sim::machine().AddFile("D:\\Kelmora\\km2.jar");
    sim::machine().AddFolder("D:\\Other");
    sim::machine().AddFile(kPolishFolder + std::string("\\km2.jar"));
    OpenWithDefaultInstall();
  }
  void ExpectUntouched() {
    EXPECT_EQ(Text(IDC_STATUS), kFoundStatus);
    EXPECT_EQ(Text(IDC_LOCATION), kDefaultFolder);
    EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), kDefaultFolder);
  }
  void ExpectTaken(const std::string& folder) {
    EXPECT_EQ(Text(IDC_STATUS), kBrowsedStatus);
    EXPECT_EQ(Text(IDC_LOCATION), folder);
    EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), folder);
  }
  // COM and the browser's item list are given back whichever way it went.
  void ExpectCleanedUp() {
    EXPECT_EQ(sim::machine().ComInitDepth(), 0);
    EXPECT_EQ(sim::machine().LiveItemIdLists(), 0);
    EXPECT_EQ(sim::machine().OpenFindHandles(), 0);
  }
};

TEST_F(BrowseForFolderTest, ChosenFolderIsTakenOnlyWhenMarkedOrConfirmed) {
  const Case cases[] = {
      {"cancelled", "", IDYES, Box::None, false},
      {"marker present", "D:\\Kelmora", IDNO, Box::None, true},
      {"named with letters the code page has not", kPolishFolder, IDNO, Box::None, true},
      {"no marker, No", "D:\\Other", IDNO, Box::Question, false},
      {"no marker, Yes", "D:\\Other", IDYES, Box::Question, true},
      {"drive root", "D:\\", IDYES, Box::Refusal, false},
      {"Windows folder", "C:\\WINDOWS", IDYES, Box::Refusal, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    OpenWithChoices();
    sim::Machine& m = sim::machine();
    m.QueueBrowserAnswer(c.chosen);
    m.QueueMessageBoxAnswer(c.answer);

    m.Click(window, IDC_BROWSE);

    ASSERT_EQ(m.browsers.size(), 1u);
    EXPECT_EQ(m.browsers[0].owner, nullptr);
    EXPECT_TRUE(m.browsers[0].rootNull);
    EXPECT_EQ(m.browsers[0].title, kBrowserTitle);
    EXPECT_EQ(m.browsers[0].flags, (UINT)BIF_EDITBOX);
    ASSERT_EQ(m.messageBoxes.size(), c.box == Box::None ? 0u : 1u);
    if (c.box == Box::Question) ExpectQuestion(m.messageBoxes[0]);
    if (c.box == Box::Refusal) ExpectRefusal(m.messageBoxes[0], c.chosen);
    if (c.taken) {
      ExpectTaken(c.chosen);
    } else {
      ExpectUntouched();
    }
    ExpectCleanedUp();
    EXPECT_TRUE(m.Exists("D:\\Kelmora\\km2.jar"));
    EXPECT_TRUE(m.Exists("C:\\Program Files\\Kelmora\\km2.jar"));
  }
}

TEST_F(BrowseForFolderTest, ItemWithoutFileSystemPathChangesNothing) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  m.Fail(sim::Op::SHGetPathFromIDList, "D:\\Kelmora", ERROR_FILE_NOT_FOUND);
  m.QueueBrowserAnswer("D:\\Kelmora");

  m.Click(window, IDC_BROWSE);

  EXPECT_TRUE(m.messageBoxes.empty());
  ExpectUntouched();
  ExpectCleanedUp();
}

TEST_F(BrowseForFolderTest, FailedComStartIsNotUndone) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  m.Fail(sim::Op::CoInitialize, "", ERROR_NOT_ENOUGH_MEMORY);
  m.QueueBrowserAnswer("D:\\Kelmora");

  m.Click(window, IDC_BROWSE);

  ExpectTaken("D:\\Kelmora");
  ExpectCleanedUp();
}

TEST_F(BrowseForFolderTest, BrowsingAfterTypingReplacesBoth) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  m.Type(window, IDC_LOCATION, "D:\\Other");
  m.QueueBrowserAnswer("D:\\Kelmora");

  m.Click(window, IDC_BROWSE);
  ExpectTaken("D:\\Kelmora");

  // Remove then finds the box and the install folder alike and asks nothing.
  EXPECT_TRUE(dialog->RecheckLocation());
  EXPECT_TRUE(m.messageBoxes.empty());
  ExpectTaken("D:\\Kelmora");
}

}  // namespace
