#include "ProgramWindows.h"

#include "ScenarioParser.h"

namespace {

// How long one read may take before the program counts as busy.
UINT answer_timeout_ms = 1000;

struct TopLevelSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  TopLevelSearch* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD pid) {
  TopLevelSearch search{pid, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindVisibleTopLevel(DWORD pid, const std::function<bool(HWND)>& accept) {
  for (HWND window : VisibleTopLevelWindows(pid)) {
    if (accept(window)) return window;
  }
  return NULL;
}

void SetAnswerTimeFactor(int factor) { answer_timeout_ms = 1000 * static_cast<UINT>(factor); }

bool AskWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* answer) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, answer_timeout_ms,
                           &result)) {
    return false;
  }
  *answer = static_cast<LRESULT>(result);
  return true;
}

bool ReadWindowText(HWND window, std::string* text) {
  // Read wide, so that a name the code page cannot spell is compared whole.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, answer_timeout_ms,
                           &length)) {
    return false;
  }
  std::vector<wchar_t> wide(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()),
                           SMTO_ABORTIFHUNG, answer_timeout_ms, &copied)) {
    return false;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, NULL, 0, NULL, NULL);
  std::vector<char> utf8(size > 0 ? size : 1, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), size, NULL, NULL);
  text->assign(utf8.data());
  return true;
}

std::string WindowClass(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool IsMessageBox(HWND window) {
  return WindowClass(window) == "#32770" && GetDlgItem(window, 0xFFFF) != NULL;
}

std::string DescribeWindows(DWORD pid) {
  std::string description;
  for (HWND window : VisibleTopLevelWindows(pid)) {
    std::string caption = "(no answer)";
    ReadWindowText(window, &caption);
    description += "\n        " + WindowClass(window) + " " + QuoteForScenario(caption);
    std::string text;
    if (IsMessageBox(window) && ReadWindowText(GetDlgItem(window, 0xFFFF), &text)) {
      description += " text " + QuoteForScenario(text);
    }
  }
  return description.empty() ? "\n        (no window)" : description;
}
