// The small modeless window on screen while the removal runs: a step line and
// an item line, centred, no caption and no way to close it.
#pragma once

#include "platform/Afx.h"

class CProgressDlg : public CDialog {
 public:
  explicit CProgressDlg(CWnd* parent = NULL);
  ~CProgressDlg() override;

  // The step line's text at creation; no effect on an open window.
  void SetStepText(CString text);
  // Shows `text` on the item line and paints the whole window before returning.
  void ShowItemNow(const CString& text);
  // Handles the messages waiting, so that Windows never takes the program for
  // hung; the main dialog is disabled meanwhile, so no click reaches it.
  void KeepAnswering();

  CStatic m_item;
  CStatic m_step;
  CString m_stepText;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
