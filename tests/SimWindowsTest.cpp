// The simulated dialog manager: templates from the resource script, the
// modal run with the simulated user, message routing and message boxes.
#include <string>
#include <vector>

#include "SimFixture.h"
#include "resource.h"

namespace {

// What a dialog procedure was sent, in order, as "<message hex> <wParam>".
std::vector<std::string> received;
LPARAM initParam = 0;
HWND initFocus = nullptr;
BOOL handleCommands = TRUE;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(std::to_string(message) + " " + std::to_string(wParam));
  if (message == WM_INITDIALOG) {
    initParam = lParam;
    initFocus = reinterpret_cast<HWND>(wParam);
    return TRUE;
  }
  if (message == WM_COMMAND && handleCommands && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, 42);
    return TRUE;
  }
  return FALSE;
}

class SimWindowsTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    received.clear();
    handleCommands = TRUE;
  }
  static std::string Command(int id, int code) {
    return std::to_string(WM_COMMAND) + " " + std::to_string(id | (code << 16));
  }
};

TEST_F(SimWindowsTest, ModalDialogIsBuiltFromTheTemplateAndPlayedByTheUser) {
  std::vector<std::string> seen;
  machine().modalUser = [&](HWND dialog) {
    sim::Window* window = machine().GetWindow(dialog);
    seen.push_back(window->text);
    seen.push_back(window->visible ? "visible" : "hidden");
    seen.push_back(std::to_string(window->children.size()));
    seen.push_back(machine().ControlText(dialog, IDC_SAVE_DATA));
    machine().Click(dialog, IDC_SAVE_DATA);
    seen.push_back(
        std::to_string(SendMessageA(GetDlgItem(dialog, IDC_SAVE_DATA), BM_GETCHECK, 0, 0)));
  };
  INT_PTR result =
      DialogBoxParamA(NULL, MAKEINTRESOURCEA(IDD_REMOVER_DIALOG), NULL, RecordingProc, 1234);
  EXPECT_EQ(result, IDCANCEL);  // the user left it open: closed with Cancel
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Kelmora Manual Uninstaller", "visible", "7",
                                      "Save Student Data (will be copied to your desktop)", "1"}));
  EXPECT_EQ(initParam, 1234);
  EXPECT_EQ(received,
            (std::vector<std::string>{std::to_string(WM_INITDIALOG) + " " +
                                          std::to_string(reinterpret_cast<WPARAM>(initFocus)),
                                      Command(IDC_SAVE_DATA, BN_CLICKED)}));
  EXPECT_NE(initFocus, nullptr);
  EXPECT_EQ(machine().LiveWindows(), 0);
  EXPECT_FALSE(IsWindow(initFocus));
}

TEST_F(SimWindowsTest, CloseFallsBackToCancelAndMessagesReachTheProcedure) {
  HWND dialog = CreateDialogParamA(NULL, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, RecordingProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(machine().GetWindow(dialog)->visible);  // WS_VISIBLE in the template
  machine().SysCommand(dialog, SC_CLOSE);
  EXPECT_TRUE(machine().GetWindow(dialog)->ended);
  EXPECT_EQ(machine().GetWindow(dialog)->endResult, 42);
  EXPECT_EQ(received.back(), std::to_string(WM_COMMAND) + " " + std::to_string(IDCANCEL));

  EXPECT_TRUE(SetWindowTextA(GetDlgItem(dialog, IDC_STEP), "Step"));
  EXPECT_TRUE(RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
  ASSERT_EQ(machine().repaints.size(), 1u);
  EXPECT_EQ(machine().repaints[0].texts, (std::vector<std::string>{"Step", ""}));

  EXPECT_TRUE(DestroyWindow(dialog));
  EXPECT_FALSE(DestroyWindow(dialog));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE));
  EXPECT_EQ(machine().repaints.size(), 1u);
  EXPECT_EQ(machine().LiveWindows(), 0);
}

TEST_F(SimWindowsTest, ResourcesComeFromTheScript) {
  char text[64] = "sentinel";
  EXPECT_EQ(LoadStringA(NULL, IDS_ABOUTBOX, text, sizeof text), 18);
  EXPECT_STREQ(text, "&About RemoveKM...");
  EXPECT_EQ(LoadStringA(NULL, 9999, text, sizeof text), 0);
  EXPECT_NE(LoadIconA(NULL, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
  EXPECT_EQ(LoadIconA(NULL, MAKEINTRESOURCEA(129)), nullptr);
  EXPECT_EQ(DialogBoxParamA(NULL, MAKEINTRESOURCEA(999), NULL, RecordingProc, 0), -1);
  EXPECT_EQ(GetLastError(), 1813u);
  EXPECT_TRUE(received.empty());
}

TEST_F(SimWindowsTest, MessageBoxesAnswerFromTheQueueOrTheirDefault) {
  machine().QueueMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(NULL, "first", "Confirm", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(NULL, "second", NULL, MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(NULL, "third", "Error", MB_OK), IDOK);
  ASSERT_EQ(machine().messageBoxes.size(), 3u);
  EXPECT_TRUE(machine().messageBoxes[1].captionNull);
  EXPECT_EQ(machine().messageBoxes[1].caption, "Error");
  EXPECT_FALSE(machine().messageBoxes[2].captionNull);
}

}  // namespace
