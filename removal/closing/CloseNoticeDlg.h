// What a pupil sees before Kelmora is closed in their session: a small notice
// on top of every window, counting down, with a button that closes Kelmora at
// once. It cannot be refused (the school's staff decided); the time is the
// pupil's to save their work. It ends when the time is up, or as soon as the
// programs have all ended.
#pragma once

#include "platform/Afx.h"

class CCloseNoticeDlg : public CDialog {
 public:
  CCloseNoticeDlg(DWORD seconds, const HANDLE* programs, int count);

 protected:
  BOOL OnInitDialog() override;
  // Escape does not refuse it.
  void OnCancel() override {}
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ShowTimeLeft();

  DWORD m_deadline;
  const HANDLE* m_programs;
  int m_count;
};
