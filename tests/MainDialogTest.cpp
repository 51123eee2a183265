#include <string>
#include <vector>

#include "MainDialogFixture.h"

namespace {

using namespace dialog_texts;

class MainDialogInitTest : public MainDialogTest {
 protected:
  sim::Window& Control(int id) {
    return *sim::machine().GetWindow(sim::machine().Control(window, id));
  }
};

TEST_F(MainDialogInitTest, ShowsWhatStartUpFound) {
  struct Case {
    const char* what;
    std::string registryValue;  // "" = no key
    std::string status, location, installPath;
  };
  const Case cases[] = {
      {"registry folder", "d:\\apps\\Kelmora", kFoundStatus, "d:\\apps\\Kelmora",
       "d:\\apps\\Kelmora"},
      {"nothing found", "", kNotFoundStatus, kNotFoundLocation, ""},
      {"named with letters the code page has not, shown whole", kPolishFolder, kFoundStatus,
       kPolishFolder, kPolishFolder},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFolder("D:\\Apps\\Kelmora");
    m.AddFolder(kPolishFolder);
    if (!c.registryValue.empty()) {
      m.AddKey("HKLM\\SOFTWARE\\Dravenhall\\Kelmora");
      m.SetValue("HKLM\\SOFTWARE\\Dravenhall\\Kelmora", "InstallPath", c.registryValue);
    }

    OpenDialog();

    EXPECT_EQ(Text(IDC_STATUS), c.status);
    EXPECT_EQ(Text(IDC_LOCATION), c.location);
    EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), c.installPath);
    EXPECT_TRUE(m.GetWindow(window)->visible);
    EXPECT_TRUE(m.Exists("D:\\Apps\\Kelmora"));
  }
}

TEST_F(MainDialogInitTest, UserNameOnlyFromVersionFive) {
  struct Case {
    DWORD major, minor;
    std::string userName;
    std::string account = "user1";
  };
  const Case cases[] = {{4, 0, ""},
                        {4, 10, ""},
                        {5, 0, "user1"},
                        {5, 1, "user1"},
                        {6, 1, "user1"},
                        // Whole, as the profile folders named after it are.
                        {6, 1, "\u0141ucja", "\u0141ucja"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor));
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.SetVersion(c.major, c.minor);
    m.SetUserName(c.account);
    int userNameCalls = 0;
    m.faultHook = [&userNameCalls](sim::Op op, const std::string&) -> DWORD {
      if (op == sim::Op::GetUserName) ++userNameCalls;
      return 0;
    };
    dialog.reset(new CRemoverDlg);
    dialog->m_userName = "stale";
    ASSERT_TRUE(dialog->Create(IDD_REMOVER_DIALOG));

    EXPECT_EQ(dialog->m_osMajor, (int)c.major);
    EXPECT_EQ(dialog->m_osMinor, (int)c.minor);
    EXPECT_EQ(sim::StoredName(dialog->m_userName.Text()), c.userName);
    EXPECT_EQ(userNameCalls, c.major >= 5 ? 1 : 0);
  }
}

TEST_F(MainDialogInitTest, FailedUserNameLeavesItEmpty) {
  sim::machine().Fail(sim::Op::GetUserName, "", ERROR_NOT_ENOUGH_MEMORY);

  OpenDialog();

  EXPECT_EQ(sim::StoredName(dialog->m_userName.Text()), "");
  EXPECT_EQ(dialog->m_osMajor, 5);
}

TEST_F(MainDialogInitTest, SaveDataTickedAndIconSet) {
  OpenDialog();

  EXPECT_EQ(Control(IDC_SAVE_DATA).check, BST_CHECKED);
  ASSERT_NE(dialog->m_hIcon, nullptr);
  EXPECT_EQ(sim::machine().GetWindow(window)->bigIcon, dialog->m_hIcon);
  EXPECT_EQ(sim::machine().GetWindow(window)->smallIcon, dialog->m_hIcon);
}

// The template has no system-menu style; whatever menu Windows gives is used.
TEST_F(MainDialogInitTest, AboutItemOnTheSystemMenuWhenThereIsOne) {
  struct Case {
    const char* what;
    sim::Op fault;
    const char* target;  // nullptr: nothing fails
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"menu and string", sim::Op::LoadString, nullptr, {"-", "16:&About RemoveKM..."}},
      {"string 101 missing", sim::Op::LoadString, "101", {}},
      {"no system menu", sim::Op::GetSystemMenu, "102", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    if (c.target) sim::machine().Fail(c.fault, c.target, ERROR_FILE_NOT_FOUND);

    OpenDialog();

    EXPECT_EQ(sim::machine().GetWindow(window)->menuItems, c.items);
    // The rest of the start-up is done all the same.
    EXPECT_EQ(Text(IDC_STATUS), kNotFoundStatus);
    EXPECT_EQ(Control(IDC_SAVE_DATA).check, BST_CHECKED);
  }
}

class MainDialogMessageTest : public MainDialogTest {
 protected:
  std::vector<std::string> Events(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : sim::machine().events) {
      if (event.compare(0, prefix.size(), prefix) == 0) found.push_back(event);
    }
    return found;
  }
};

TEST_F(MainDialogMessageTest, AboutBoxOnlyForCommands0x0010To0x001F) {
  OpenDialog();
  sim::Machine& m = sim::machine();
  std::vector<int> shown;
  m.modalUser = [&shown](HWND about) {
    shown.push_back(sim::machine().GetWindow(about)->templateId);
  };

  for (UINT command = 0x0000; command <= 0x0030; ++command) {
    shown.clear();
    m.SysCommand(window, command);
    bool about = command >= 0x0010 && command <= 0x001F;
    EXPECT_EQ(shown, about ? std::vector<int>{IDD_ABOUTBOX} : std::vector<int>()) << command;
  }
  shown.clear();
  m.SysCommand(window, SC_MOVE);
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(m.GetWindow(window)->ended);

  // Closing takes Windows' course: Cancel.
  m.SysCommand(window, SC_CLOSE);
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(m.GetWindow(window)->ended);
  EXPECT_EQ(m.GetWindow(window)->endResult, IDCANCEL);
  EXPECT_EQ(m.FindDialog(IDD_ABOUTBOX), nullptr);
}

// A dialog whose system command asks for Windows' processing or not, and
// before returning handles a message of its own in a nested loop that does
// the opposite.
class NestingDialog : public CDialog {
 public:
  explicit NestingDialog(bool outerDefault) : CDialog(IDD_PROGRESS), m_outerDefault(outerDefault) {}

 protected:
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message == WM_SYSCOMMAND) {
      if (m_outerDefault) Default();
      SendMessageA(WM_COMMAND, IDC_ITEM, 0);
      return TRUE;
    }
    if (message == WM_COMMAND && wParam == IDC_ITEM) {
      if (!m_outerDefault) Default();
      return TRUE;
    }
    return CDialog::OnMessage(message, wParam, lParam, result);
  }

 private:
  bool m_outerDefault;
};

TEST_F(MainDialogMessageTest, NestedMessageLeavesTheOuterRequestForDefaultAlone) {
  // Windows' processing of SC_CLOSE ends the dialog with IDCANCEL.
  for (bool outerDefault : {true, false}) {
    NestingDialog nesting(outerDefault);
    ASSERT_TRUE(nesting.Create(IDD_PROGRESS));
    HWND handle = nesting.GetSafeHwnd();
    sim::machine().SysCommand(handle, SC_CLOSE);
    EXPECT_EQ(sim::machine().GetWindow(handle)->ended, outerDefault) << outerDefault;
    nesting.DestroyWindow();
  }
}

TEST_F(MainDialogMessageTest, MinimisedDialogDrawsItsIconCentred) {
  struct Case {
    RECT client;
    std::string drawn;
  };
  const Case cases[] = {
      {{0, 0, 40, 40}, "DrawIcon 4 4"},
      {{0, 0, 41, 38}, "DrawIcon 5 3"},
      {{10, 20, 50, 52}, "DrawIcon 4 0"},
      {{0, 0, 20, 10}, "DrawIcon -5 -10"},
  };
  OpenDialog();
  sim::Machine& m = sim::machine();
  m.GetWindow(window)->iconic = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drawn);
    m.events.clear();
    m.GetWindow(window)->client = c.client;

    SendMessageA(window, WM_PAINT, 0, 0);

    EXPECT_EQ(Events("DrawIcon"), std::vector<std::string>{c.drawn});
    EXPECT_EQ(Events("EndPaint").size(), 1u);
  }
}

TEST_F(MainDialogMessageTest, OpenDialogIsLeftToWindowsToPaint) {
  OpenDialog();
  sim::machine().events.clear();

  SendMessageA(window, WM_PAINT, 0, 0);

  EXPECT_TRUE(Events("BeginPaint").empty());
  EXPECT_TRUE(Events("DrawIcon").empty());
}

TEST_F(MainDialogMessageTest, DragIconIsTheApplicationIcon) {
  OpenDialog();

  LRESULT icon = SendMessageA(window, WM_QUERYDRAGICON, 0, 0);

  ASSERT_NE(dialog->m_hIcon, nullptr);
  EXPECT_EQ(icon, (LRESULT)dialog->m_hIcon);
}

class AppStartTest : public SimTest {};

TEST_F(AppStartTest, RunsTheMainDialogOnceThenEnds) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Program Files\\Kelmora\\km2.jar");
  std::vector<std::string> seen;
  m.modalUser = [&seen](HWND dialog) {
    sim::Machine& m = sim::machine();
    seen.push_back(std::to_string(m.GetWindow(dialog)->templateId));
    seen.push_back(m.ControlText(dialog, IDC_LOCATION));
    seen.push_back(theApp.m_pMainWnd && theApp.m_pMainWnd->GetSafeHwnd() == dialog ? "main"
                                                                                   : "not main");
    m.Click(dialog, IDCANCEL);
  };

  EXPECT_FALSE(theApp.InitInstance());

  EXPECT_EQ(seen, (std::vector<std::string>{"102", "C:\\Program Files\\Kelmora", "main"}));
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_EQ(m.LiveWindows(), 0);
  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Kelmora\\km2.jar"));
}

}  // namespace
