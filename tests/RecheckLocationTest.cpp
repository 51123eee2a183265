#include <string>

#include "MainDialogFixture.h"

namespace {

using namespace dialog_texts;

const char kDefaultFolder[] = "C:\\Program Files\\Kelmora";

enum class Box { None, Question, Refusal, Unchecked, Wildcards };

struct Case {
  const char* what;
  std::string typed;
  int answer;  // to the question, when asked
  Box box;
  bool goesOn;  // the removal may follow
  bool taken;
};

class RecheckLocationTest : public MainDialogTest {
 protected:
  void OpenWithChoices() {
    sim::machine().AddFile("D:\\Kelmora\\km2.jar");
    sim::machine().AddFolder("D:\\Other");
    sim::machine().AddFile(kPolishFolder + std::string("\\km2.jar"));
    OpenWithDefaultInstall();
  }
};

TEST_F(RecheckLocationTest, TypedFolderIsTestedAgainstTheFolderFound) {
  const Case cases[] = {
      {"unchanged", kDefaultFolder, IDNO, Box::None, true, false},
      {"only the case differs", "c:\\program files\\kelmora", IDNO, Box::None, true, true},
      {"other marked folder", "D:\\Kelmora", IDNO, Box::None, true, true},
      {"marked, named with letters the code page has not", kPolishFolder, IDNO, Box::None, true,
       true},
      {"refused, and named whole", "C:\\WINDOWS\\\u0141\u017A", IDYES, Box::Refusal, false, false},
      {"no marker, No", "D:\\Other", IDNO, Box::Question, false, false},
      {"no marker, Yes", "D:\\Other", IDYES, Box::Question, true, true},
      {"emptied, No", "", IDNO, Box::Question, false, false},
      {"emptied, Yes", "", IDYES, Box::Question, true, true},
      {"protected folder", "c:\\windows\\", IDYES, Box::Refusal, false, false},
      {"drive root", "D:", IDYES, Box::Refusal, false, false},
      {"short name of Program Files", "C:\\PROGRA~1", IDYES, Box::Refusal, false, false},
      {"inside the Windows folder", "C:\\WINDOWS\\Temp", IDYES, Box::Refusal, false, false},
      {"a pattern", "D:\\Kel*", IDYES, Box::Wildcards, false, false},
      {"system folders unknown", "D:\\Kelmora", IDYES, Box::Unchecked, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    OpenWithChoices();
    sim::Machine& m = sim::machine();
    m.Type(window, IDC_LOCATION, c.typed);
    m.QueueMessageBoxAnswer(c.answer);
    if (c.box == Box::Unchecked) m.Fail(sim::Op::SpecialFolder, "*", ERROR_ACCESS_DENIED);

    EXPECT_EQ(dialog->RecheckLocation(), c.goesOn);

    ASSERT_EQ(m.messageBoxes.size(), c.box == Box::None ? 0u : 1u);
    if (c.box == Box::Question) ExpectQuestion(m.messageBoxes[0]);
    if (c.box == Box::Refusal) ExpectRefusal(m.messageBoxes[0], c.typed);
    if (c.box == Box::Unchecked) ExpectRefusal(m.messageBoxes[0], c.typed, kUnchecked);
    if (c.box == Box::Wildcards) ExpectRefusal(m.messageBoxes[0], c.typed, kWildcards);
    EXPECT_EQ(Text(IDC_STATUS), c.taken ? kTypedStatus : kFoundStatus);
    EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), c.taken ? c.typed : kDefaultFolder);
    EXPECT_EQ(Text(IDC_LOCATION), c.typed);
    EXPECT_TRUE(m.Exists("D:\\Kelmora\\km2.jar"));
    EXPECT_TRUE(m.Exists("D:\\Other"));
  }
}

TEST_F(RecheckLocationTest, TrailingBackslashIsKeptAsTyped) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  m.Type(window, IDC_LOCATION, "D:\\Kelmora\\");

  // "D:\Kelmora\\km2.jar" resolves, as Windows resolves doubled separators.
  EXPECT_TRUE(dialog->RecheckLocation());

  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), "D:\\Kelmora\\");
  EXPECT_EQ(Text(IDC_STATUS), kTypedStatus);
}

// A folder typed over the notice is one the user named: it is tested and
// taken like any typed folder.
TEST_F(RecheckLocationTest, TypedFolderCountsWhenNoneWasFound) {
  const Case cases[] = {
      {"the notice", kNotFoundLocation, IDNO, Box::None, true, false},
      {"emptied", "", IDNO, Box::None, true, false},
      {"marked folder", "D:\\Kelmora", IDNO, Box::None, true, true},
      {"no marker, Yes", "D:\\Other", IDYES, Box::Question, true, true},
      {"no marker, No", "D:\\Other", IDNO, Box::Question, false, false},
      {"protected folder", "C:\\Documents and Settings\\user1\\My Documents", IDYES, Box::Refusal,
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("D:\\Kelmora\\km2.jar");
    m.AddFolder("D:\\Other");
    OpenDialog();
    m.Type(window, IDC_LOCATION, c.typed);
    m.QueueMessageBoxAnswer(c.answer);

    EXPECT_EQ(dialog->RecheckLocation(), c.goesOn);

    ASSERT_EQ(m.messageBoxes.size(), c.box == Box::None ? 0u : 1u);
    if (c.box == Box::Question) ExpectQuestion(m.messageBoxes[0]);
    if (c.box == Box::Refusal) ExpectRefusal(m.messageBoxes[0], c.typed);
    EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), c.taken ? c.typed : "");
    EXPECT_EQ(Text(IDC_STATUS), c.taken ? kTypedStatus : kNotFoundStatus);
  }
}

// The box keeps the relative text while the install folder is made full; the
// same text at the next Remove is the folder already taken.
TEST_F(RecheckLocationTest, RelativeFolderTakenOnceIsNotAskedAboutAgain) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
  m.Type(window, IDC_LOCATION, "Other");
  m.QueueMessageBoxAnswer(IDYES);
  ASSERT_TRUE(dialog->RecheckLocation());

  EXPECT_TRUE(dialog->RecheckLocation());

  EXPECT_EQ(m.messageBoxes.size(), 1u);
  EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), "D:\\Other");
  EXPECT_EQ(Text(IDC_LOCATION), "Other");
}

TEST_F(RecheckLocationTest, DeclinedFolderEndsRemoveWithTheDialogOpen) {
  OpenWithChoices();
  sim::Machine& m = sim::machine();
  dialog->m_failures.Add("from an earlier run");
  m.Type(window, IDC_LOCATION, "D:\\Other");
  m.QueueMessageBoxAnswer(IDNO);

  m.Click(window, IDOK);

  ASSERT_EQ(m.messageBoxes.size(), 1u);  // no start question after it
  ExpectQuestion(m.messageBoxes[0]);
  EXPECT_FALSE(m.GetWindow(window)->ended);
  EXPECT_EQ(dialog->m_failures.GetSize(), 1);
  EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), kDefaultFolder);
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Kelmora\\km2.jar"));
}

}  // namespace
