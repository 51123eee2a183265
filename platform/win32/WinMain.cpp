// The program's entry: the global application object was constructed before
// this runs. This program's InitInstance runs its dialogs modally and returns
// FALSE, so there is no message loop to start; ExitInstance gives the exit code.
#include "platform/AfxWinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (app == NULL) return 0;
  app->InitInstance();
  return app->ExitInstance();
}
