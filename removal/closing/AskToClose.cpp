#include "removal/closing/AskToClose.h"

namespace {

struct CloseRequest {
  DWORD id;
  bool asked;
};

BOOL CALLBACK AskWindowToClose(HWND window, LPARAM param) {
  CloseRequest& request = *reinterpret_cast<CloseRequest*>(param);
  DWORD owner = 0;
  if (GetWindowThreadProcessId(window, &owner) && owner == request.id && IsWindowVisible(window) &&
      PostMessageA(window, WM_CLOSE, 0, 0))
    request.asked = true;
  return TRUE;
}

}  // namespace

bool AskToClose(DWORD processId) {
  CloseRequest request = {processId, false};
  EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
  return request.asked;
}
