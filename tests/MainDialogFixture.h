// The main dialog opened modelessly on a fresh simulated machine, and the
// program's own texts that the tests look for.
#pragma once

#include <memory>
#include <string>

#include "SimFixture.h"
#include "app/RemoverApp.h"
#include "app/RemoverDlg.h"

namespace dialog_texts {

const char kFoundStatus[] = "Kelmora Installation found.";
const char kNotFoundStatus[] =
    "Unable to find your Kelmora folder.  Please browse to locate this folder, or click the "
    "\"Remove\" button to remove all other traces of the program (registry keys, etc).";
const char kNotFoundLocation[] = "KM Folder Not Found.";
const char kBrowsedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location before "
    "continuing, as its contents will be COMPLETELY ERASED.";
const char kTypedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location and that there "
    "are no other Non-Kelmora files in this location before continuing, as ALL its contents "
    "will be COMPLETELY ERASED.";
const char kQuestion[] =
    "The \"km2.jar\" file was not found in this location.  Are you sure that this is your "
    "Kelmora folder?";
const char kQuestionCaption[] = "Confirm Location.";
const char kProtected[] =
    "This folder cannot be removed, because Windows or other programs need it:\n\n";
const char kUnchecked[] =
    "This folder cannot be removed, because RemoveKM could not check that Windows or other "
    "programs do not need it:\n\n";
const char kWildcards[] =
    "This cannot be removed, because * and ? cannot be part of a folder's name:\n\n";

}  // namespace dialog_texts

class MainDialogTest : public SimTest {
 protected:
  // Opens the dialog on whatever the test has set up: start-up runs then.
  void OpenDialog() {
    dialog.reset(new CRemoverDlg);
    ASSERT_TRUE(dialog->Create(IDD_REMOVER_DIALOG));
    window = dialog->GetSafeHwnd();
  }
  void TearDown() override {
    CloseDialog();
    SimTest::TearDown();
  }
  // For tables: a fresh machine per case, the old dialog gone with the old one.
  void FreshMachine() {
    CloseDialog();
    sim::reset();
  }
  void CloseDialog() {
    dialog.reset();
    window = nullptr;
  }
  // The dialog as start-up leaves it with the product in its default folder.
  void OpenWithDefaultInstall() {
    sim::machine().AddFile("C:\\Program Files\\Kelmora\\km2.jar");
    OpenDialog();
  }

  std::string Text(int controlId) const { return sim::machine().ControlText(window, controlId); }

  // The location question, as owned by the main dialog.
  void ExpectQuestion(const sim::MessageBoxRecord& box) const {
    EXPECT_EQ(box.owner, window);
    EXPECT_EQ(box.text, dialog_texts::kQuestion);
    EXPECT_FALSE(box.captionNull);
    EXPECT_EQ(box.caption, dialog_texts::kQuestionCaption);
    EXPECT_EQ(box.type, (UINT)MB_YESNO);
  }
  // The refusal of a folder, under the application's name.
  void ExpectRefusal(const sim::MessageBoxRecord& box, const std::string& folder,
                     const char* why = dialog_texts::kProtected) const {
    EXPECT_EQ(box.owner, window);
    EXPECT_EQ(box.text, why + folder);
    EXPECT_EQ(box.caption, theApp.GetAppName());
    EXPECT_EQ(box.type, (UINT)(MB_OK | MB_ICONSTOP));
  }

  std::unique_ptr<CRemoverDlg> dialog;
  HWND window = nullptr;
};
