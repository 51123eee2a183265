// The about box, opened from the main dialog's system menu.
#pragma once

#include "platform/Afx.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
