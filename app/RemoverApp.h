// The application: runs the main dialog once and ends.
#pragma once

#include "platform/Afx.h"

class CRemoverApp : public CWinApp {
 public:
  CRemoverApp();
  BOOL InitInstance() override;
};

extern CRemoverApp theApp;
