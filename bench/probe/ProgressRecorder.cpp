// Times RemoveKM's removal from outside: watches its progress window, prints
// when its lines change, and answers the message boxes that the removal
// shows, until the main dialog has closed.
//
// The UI driver cannot time a long removal without disturbing it: while it
// waits for the final message it lists every window of the desktop fifty
// times a second, and each listing is a burst of requests to the one Wine
// server that the removal's own file operations also wait for. The recorder
// reads window texts the way the system keeps them, without sending the busy
// program messages, and while the progress window is open each look costs
// four requests: the two lines, whether the window is still there and
// which window is in front.
//
// Output, one event a line, times in milliseconds since the recorder started:
//   <ms> window                  the progress window has appeared
//   <ms> step <text>             the step line changed
//   <ms> item-first <text>       the item line shows a text for the first time
//                                since the last step change
//   <ms> item-last <count>       the last item-line change seen, and how many
//                                changes were seen in all
//   <ms> gone                    the progress window has closed
//   <ms> box <text>              a message box has appeared (its owner, the
//                                main dialog, was disabled); OK is pressed
//   <ms> end                     the main dialog has closed
//
// Usage: progress-recorder [--timeout SECONDS] [--poll MS]
// It looks every MS milliseconds (5 unless told).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../floor/Stopwatch.h"
#include "resource.h"

namespace {

const DWORD kDefaultPollMs = 5;
const int kMessageTextId = 0xFFFF;

// Another process's window text, as the system keeps it.
std::string TextOf(HWND window) {
  char text[1024] = "";
  if (window) GetWindowTextA(window, text, sizeof text);
  return text;
}

struct Search {
  int childId;
  int absentId;
  HWND found;
};

BOOL CALLBACK FindDialogWithChild(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (strcmp(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (!GetDlgItem(window, search->childId) || GetDlgItem(window, search->absentId)) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible dialog that has control `childId` and no control `absentId`.
HWND FindDialog(int childId, int absentId) {
  Search search = {childId, absentId, NULL};
  EnumWindows(FindDialogWithChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsMessageBox(HWND window) {
  Search search = {kMessageTextId, IDC_LOCATION, NULL};
  return window && !FindDialogWithChild(window, reinterpret_cast<LPARAM>(&search));
}

class Recorder {
 public:
  Recorder(double timeoutMs, DWORD pollMs) : m_timeoutMs(timeoutMs), m_pollMs(pollMs) {}
  // Follows one removal; false when it timed out.
  bool Run();

 private:
  bool TimeLeft() const { return ElapsedMs() < m_timeoutMs; }
  void Event(const char* name, const std::string& text = "");
  void ReadLines();
  void ProgressClosed();
  // Prints the message box `box` (NULL: the one about to open), presses its
  // OK and waits until it closes.
  bool AnswerBox(HWND box);

  double m_timeoutMs;
  DWORD m_pollMs;
  HWND m_progress = NULL;
  HWND m_stepLine = NULL;
  HWND m_itemLine = NULL;
  HWND m_main = NULL;
  std::string m_step;
  std::string m_item;
  bool m_itemShown = false;
  long m_itemChanges = 0;
  double m_lastItemMs = 0;
};

void Recorder::Event(const char* name, const std::string& text) {
  std::printf("%.1f %s%s%s\n", ElapsedMs(), name, text.empty() ? "" : " ", text.c_str());
  std::fflush(stdout);
}

void Recorder::ReadLines() {
  const std::string step = TextOf(m_stepLine);
  if (step != m_step) {
    m_step = step;
    m_itemShown = false;
    Event("step", step);
  }
  const std::string item = TextOf(m_itemLine);
  if (item != m_item) {
    m_item = item;
    ++m_itemChanges;
    m_lastItemMs = ElapsedMs();
    if (!m_itemShown && !item.empty()) {
      m_itemShown = true;
      Event("item-first", item);
    }
  }
}

void Recorder::ProgressClosed() {
  if (!m_progress) return;
  std::printf("%.1f item-last %ld\n", m_lastItemMs, m_itemChanges);
  m_progress = NULL;
}

bool Recorder::AnswerBox(HWND box) {
  // The main dialog may close between the look that found it disabled and
  // this one: there is then no box to wait for.
  while (!box && TimeLeft() && IsWindow(m_main)) {
    box = FindDialog(kMessageTextId, IDC_LOCATION);
    if (!box) Sleep(1);
  }
  if (!box) return !IsWindow(m_main);
  Event("box", TextOf(GetDlgItem(box, kMessageTextId)));
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  while (IsWindow(box) && TimeLeft()) Sleep(m_pollMs);
  return !IsWindow(box);
}

bool Recorder::Run() {
  // The progress window has no control 1000; the main dialog's location box
  // has, and so has no message box.
  while (!m_progress) {
    if (!TimeLeft()) return false;
    Sleep(m_pollMs);
    m_progress = FindDialog(IDC_ITEM, IDC_LOCATION);
  }
  Event("window");
  m_stepLine = GetDlgItem(m_progress, IDC_STEP);
  m_itemLine = GetDlgItem(m_progress, IDC_ITEM);
  m_main = FindDialog(IDC_LOCATION, IDC_ITEM);
  if (!m_main) {
    std::fprintf(stderr, "progress-recorder: no main dialog beside the progress window\n");
    return false;
  }
  while (TimeLeft()) {
    if (m_progress && !IsWindow(m_progress)) {
      ProgressClosed();
      Event("gone");
    }
    if (m_progress) ReadLines();
    if (!IsWindow(m_main)) {
      ProgressClosed();
      Event("end");
      return true;
    }
    // The removal keeps the main dialog disabled while the progress window
    // is open; a message box shown then takes the foreground. Once the
    // progress window has gone, a disabled main dialog means a box (or a
    // window that has just closed, which reads as disabled too).
    const HWND front = GetForegroundWindow();
    const bool boxInFront = front != m_progress && front != m_main && IsMessageBox(front);
    if (boxInFront || (!m_progress && !IsWindowEnabled(m_main))) {
      if (!AnswerBox(boxInFront ? front : NULL)) return false;
      continue;
    }
    Sleep(m_pollMs);
  }
  return false;
}

int Usage() {
  std::fprintf(stderr, "usage: progress-recorder [--timeout SECONDS] [--poll MS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double timeoutSeconds = 1200.0;
  int pollMs = kDefaultPollMs;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 == argc) return Usage();
    if (strcmp(argv[i], "--timeout") == 0) {
      timeoutSeconds = std::atof(argv[i + 1]);
    } else if (strcmp(argv[i], "--poll") == 0) {
      pollMs = std::atoi(argv[i + 1]);
    } else {
      return Usage();
    }
  }
  if (timeoutSeconds <= 0 || pollMs <= 0) return Usage();
  ElapsedMs();
  Recorder recorder(timeoutSeconds * 1000.0, static_cast<DWORD>(pollMs));
  if (recorder.Run()) return 0;
  std::printf("%.1f timeout\n", ElapsedMs());
  return 1;
}
