#include <algorithm>
#include <string>
#include <vector>

#include "RemovalFixture.h"

namespace {

const char kStep1[] = "Step 1 of 6: Copying student data to desktop...";
const char kPath[] = "C:\\Program Files\\Kelmora\\km2.jar";

class ProgressDlgTest : public RemovalTest {};

TEST_F(ProgressDlgTest, OpensWithTheStoredStepAndAnEmptyItemLine) {
  CProgressDlg progress;
  progress.SetStepText(kStep1);
  EXPECT_EQ(sim::machine().LiveWindows(), 0);

  ASSERT_TRUE(progress.Create(IDD_PROGRESS, NULL));

  const HWND window = sim::machine().FindDialog(IDD_PROGRESS);
  ASSERT_EQ(window, progress.GetSafeHwnd());
  const sim::Window& shown = *sim::machine().GetWindow(window);
  EXPECT_TRUE(shown.visible);
  // No caption, no system menu: nothing to move or close it with.
  EXPECT_EQ(shown.style, 0x900000C0u);
  EXPECT_EQ(sim::machine().ControlText(window, IDC_STEP), kStep1);
  EXPECT_EQ(sim::machine().ControlText(window, IDC_ITEM), "");
  EXPECT_EQ(progress.m_step.GetSafeHwnd(), sim::machine().Control(window, IDC_STEP));
  EXPECT_EQ(progress.m_item.GetSafeHwnd(), sim::machine().Control(window, IDC_ITEM));
  // Painted at once: the removal that opens it dispatches no messages.
  const std::vector<std::string>& events = sim::machine().events;
  EXPECT_NE(std::find(events.begin(), events.end(), "UpdateWindow 129"), events.end());
}

TEST_F(ProgressDlgTest, StepTextAfterOpeningChangesNothingOnScreen) {
  CProgressDlg progress;
  progress.SetStepText(kStep1);
  ASSERT_TRUE(progress.Create(IDD_PROGRESS, NULL));
  const size_t events = sim::machine().events.size();

  progress.SetStepText("Step 9 of 6: sentinel");

  EXPECT_EQ(sim::machine().ControlText(progress.GetSafeHwnd(), IDC_STEP), kStep1);
  EXPECT_EQ(std::string(progress.m_stepText), "Step 9 of 6: sentinel");
  EXPECT_EQ(sim::machine().events.size(), events);
}

TEST_F(ProgressDlgTest, ItemShownNowIsPaintedBeforeTheCallReturns) {
  CProgressDlg progress;
  progress.SetStepText(kStep1);
  ASSERT_TRUE(progress.Create(IDD_PROGRESS, NULL));

  progress.ShowItemNow(kPath);

  ASSERT_EQ(sim::machine().repaints.size(), 1u);
  const sim::RepaintRecord& repaint = sim::machine().repaints[0];
  EXPECT_EQ(repaint.templateId, IDD_PROGRESS);
  EXPECT_EQ(repaint.flags, (UINT)(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW));
  EXPECT_EQ(repaint.texts, (std::vector<std::string>{kStep1, kPath}));
}

TEST_F(ProgressDlgTest, WithoutAWindowEveryOperationIsHarmless) {
  sim::machine().Fail(sim::Op::CreateDialog, std::to_string(IDD_PROGRESS), ERROR_NOT_ENOUGH_MEMORY);
  CProgressDlg progress;
  progress.SetStepText(kStep1);
  EXPECT_FALSE(progress.Create(IDD_PROGRESS, NULL));

  progress.ShowItemNow(kPath);
  progress.m_step.SetWindowTextA("Step 2 of 6: Deleting InstallShield folder...");
  progress.m_item.SetWindowTextA("");
  EXPECT_FALSE(progress.DestroyWindow());

  EXPECT_EQ(sim::machine().LiveWindows(), 0);
  EXPECT_TRUE(sim::machine().repaints.empty());
  EXPECT_TRUE(Events("SetWindowText").empty());
  EXPECT_TRUE(Events("Repaint").empty());
}

TEST_F(ProgressDlgTest, ClosingLeavesTheObjectWithoutAWindow) {
  CProgressDlg progress;
  ASSERT_TRUE(progress.Create(IDD_PROGRESS, NULL));

  EXPECT_TRUE(progress.DestroyWindow());
  progress.ShowItemNow(kPath);

  EXPECT_EQ(progress.GetSafeHwnd(), nullptr);
  EXPECT_EQ(sim::machine().FindDialog(IDD_PROGRESS), nullptr);
  EXPECT_TRUE(sim::machine().repaints.empty());
}

}  // namespace
