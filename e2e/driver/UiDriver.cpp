// The UI driver of the end-to-end tests. It starts the program and works its
// windows the way a person does, step by step from a scenario (the language is
// described in ScenarioParser.h). Every step waits at most the current timeout
// for what it expects and otherwise says what it expected and what was there.
// Buttons are pressed with PostMessage, never SendMessage: a click that opens
// a modal window would block a SendMessage until that window closed.
//
// Usage: uidriver --program EXE [--no-start] [--timeout SECONDS] [--time-factor N]
//                 [--snap-dir DIR] (SCENARIO-FILE | -c STEP [-c STEP ...])
// With --no-start the program runs only when a "run" step starts it. With
// --time-factor every wait is N times as long: for a machine that emulates
// the processor.
//
// Steps:
//   timeout SECONDS          later steps wait at most this long (default 10)
//   window CAPTION [ID ...]  wait for a visible top-level window with this caption
//                            whose controls exist (the named ones, else any); it
//                            becomes the current window
//   expect-text ID TEXT      control ID of the current window shows exactly TEXT,
//                            where %number% in TEXT stands for any whole number
//   expect-check ID STATE    check box ID has state STATE (0, 1 or 2)
//   expect-default ID        button ID is the current window's default button
//   expect-icon ID           static control ID of the current window shows an icon
//   type ID TEXT             replace the text of edit control ID
//   click ID                 press button ID of the current window
//   syscommand ID            choose command ID of the current window's system menu
//   messagebox CAPTION TEXT  wait for a message box with this caption and text; a
//                            TEXT ending in "*" matches any text that begins with
//                            the rest (a name with the time in it)
//   answer ID                press button ID of that message box; wait until it closes
//   browser FOLDER           select FOLDER in the folder browser and press OK
//   browser-cancel           press Cancel in the folder browser
//   hold-open PATH [shared | exclusive]
//                            open PATH without share-delete until the driver exits;
//                            shared: sharing everything, as a virus scanner does;
//                            exclusive: sharing nothing, so that nobody may read it
//   run ARGUMENTS CODE       start another run of the program with ARGUMENTS (a
//                            Windows command line), wait until it ends, expect
//                            exit code CODE
//   start ARGUMENTS          start the program with ARGUMENTS (a Windows command
//                            line) without waiting: later steps work this run
//   snap NAME                have the harness take screenshot NAME (needs --snap-dir)
//   expect-ended [CODE]      the program has exited (with exit code CODE)
// In any argument, %short:PATH% stands for the 8.3 short name of PATH.
// Exit status: 0 when every step passed, 1 when a step failed, 2 on bad usage.
#include <windows.h>
// after windows.h, which they need
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ProgramWindows.h"
#include "RemoteMemory.h"
#include "ScenarioParser.h"

namespace {

const DWORD kPollIntervalMs = 20;
// How long a screenshot waits for the program to finish painting.
const DWORD kSnapIdleWaitMs = 2000;

class UiDriver {
 public:
  UiDriver(const std::string& snap_dir, int timeout_seconds, int time_factor)
      : snap_dir_(snap_dir), time_factor_(time_factor) {
    SetTimeoutSeconds(timeout_seconds);
  }
  ~UiDriver();

  // Checks that every step is known and has the right number of arguments.
  static bool Check(const std::vector<ScenarioStep>& steps, std::string* error);
  bool StartProgram(const std::string& path, const std::string& arguments = "");
  // The program that "run" steps start, when none was started at first.
  void SetProgram(const std::string& path) { program_path_ = path; }
  // Runs the steps in order; stops at the first that fails.
  bool Run(const std::vector<ScenarioStep>& steps);

 private:
  using Args = std::vector<std::string>;
  struct Command {
    const char* name;
    size_t min_args;
    size_t max_args;
    bool (UiDriver::*run)(const Args& args);
  };
  static const Command kCommands[];

  static const Command* FindCommand(const ScenarioStep& step, std::string* error);
  bool RunStep(const ScenarioStep& step);

  bool SetTimeout(const Args& args);
  bool Window(const Args& args);
  bool ExpectText(const Args& args);
  bool ExpectCheck(const Args& args);
  bool ExpectDefault(const Args& args);
  bool ExpectIcon(const Args& args);
  bool Type(const Args& args);
  bool Click(const Args& args);
  bool SysCommand(const Args& args);
  bool ExpectMessageBox(const Args& args);
  bool Answer(const Args& args);
  bool Browser(const Args& args);
  bool BrowserCancel(const Args& args);
  bool HoldOpen(const Args& args);
  bool RunAgain(const Args& args);
  bool Start(const Args& args);
  bool Snap(const Args& args);
  bool ExpectEnded(const Args& args);

  // Polls `condition` until it holds or the timeout passes. Gives up early when
  // the program has ended, unless the condition does not depend on it.
  bool WaitUntil(const std::function<bool()>& condition, bool needs_program = true);
  bool ProgramHasEnded();
  // What the program shows now, or that it has ended: the end of every failure.
  std::string ProgramState();
  bool Fail(const std::string& what);

  bool ParseId(const std::string& word, int* id);
  // Waits until control `id` of the current window exists; `control` gets it.
  bool WaitForControl(int id, HWND* control);
  // Presses button `id` of `window` once both take input; `window_name` names
  // the window in failures.
  bool Press(HWND window, const std::string& window_name, int id);
  bool WaitUntilClosed(HWND window, const std::string& window_name);
  HWND FindFolderBrowser();
  // The name of the folder selected in the browser's tree.
  bool ReadSelectedFolder(HWND tree, std::string* name);
  std::string CurrentWindowName() const { return "window " + QuoteForScenario(window_caption_); }

  std::string snap_dir_;
  void SetTimeoutSeconds(int seconds) {
    timeout_ms_ = static_cast<DWORD>(seconds) * static_cast<DWORD>(time_factor_) * 1000;
  }
  int time_factor_;
  DWORD timeout_ms_;
  PROCESS_INFORMATION program_ = {};
  HWND window_ = NULL;
  std::string window_caption_;
  HWND message_box_ = NULL;
  std::string message_box_caption_;
  std::vector<HANDLE> held_files_;
  std::string failure_;
  std::string program_path_;
};

// Whether `text` is `expected`, each %number% there standing for digits and a
// "*" at its end for anything.
bool TextMatches(const std::string& text, const std::string& expected) {
  const std::string mark = "%number%";
  const size_t at = expected.find(mark);
  if (at == std::string::npos) {
    if (expected.empty() || expected.back() != '*') return text == expected;
    return text.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
  }
  if (text.compare(0, at, expected, 0, at) != 0) return false;
  size_t digits = at;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  return digits > at && TextMatches(text.substr(digits), expected.substr(at + mark.size()));
}

// Replaces each "%short:PATH%" in `word` by PATH's 8.3 name as this Windows
// gives it (Wine makes hash-like ones such as "PROG~FBU").
bool ExpandShortNames(std::string* word, std::string* error) {
  const std::string mark = "%short:";
  for (size_t at; (at = word->find(mark)) != std::string::npos;) {
    size_t end = word->find('%', at + mark.size());
    if (end == std::string::npos) {
      *error = "no % closes " + mark;
      return false;
    }
    std::string path = word->substr(at + mark.size(), end - at - mark.size());
    char name[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      *error = "no short name for " + path;
      return false;
    }
    word->replace(at, end + 1 - at, name);
  }
  return true;
}

const UiDriver::Command UiDriver::kCommands[] = {
    {"timeout", 1, 1, &UiDriver::SetTimeout},
    {"window", 1, 32, &UiDriver::Window},
    {"expect-text", 2, 2, &UiDriver::ExpectText},
    {"expect-check", 2, 2, &UiDriver::ExpectCheck},
    {"expect-default", 1, 1, &UiDriver::ExpectDefault},
    {"expect-icon", 1, 1, &UiDriver::ExpectIcon},
    {"type", 2, 2, &UiDriver::Type},
    {"click", 1, 1, &UiDriver::Click},
    {"syscommand", 1, 1, &UiDriver::SysCommand},
    {"messagebox", 2, 2, &UiDriver::ExpectMessageBox},
    {"answer", 1, 1, &UiDriver::Answer},
    {"browser", 1, 1, &UiDriver::Browser},
    {"browser-cancel", 0, 0, &UiDriver::BrowserCancel},
    {"hold-open", 1, 2, &UiDriver::HoldOpen},
    {"run", 2, 2, &UiDriver::RunAgain},
    {"start", 1, 1, &UiDriver::Start},
    {"snap", 1, 1, &UiDriver::Snap},
    {"expect-ended", 0, 1, &UiDriver::ExpectEnded},
};

UiDriver::~UiDriver() {
  for (HANDLE file : held_files_) CloseHandle(file);
  if (program_.hProcess) CloseHandle(program_.hProcess);
  if (program_.hThread) CloseHandle(program_.hThread);
}

bool UiDriver::StartProgram(const std::string& path, const std::string& arguments) {
  program_path_ = path;
  // Windows' interactive window station is visible from the start; Wine's
  // becomes so only once its desktop process has made the desktop, and a
  // program started before then finds nobody to show its dialog to. Asking
  // for the desktop window starts that process.
  GetDesktopWindow();
  const DWORD deadline = GetTickCount() + timeout_ms_;
  USEROBJECTFLAGS flags = {};
  while (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                    NULL) ||
         !(flags.dwFlags & WSF_VISIBLE)) {
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) {
      std::printf("uidriver: the window station is not visible\n");
      return false;
    }
    Sleep(50);
  }
  std::string command_line = "\"" + path + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(path.c_str(), &command_line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                      &program_)) {
    std::printf("uidriver: cannot start %s (error %lu)\n", path.c_str(), GetLastError());
    return false;
  }
  std::printf("uidriver: started %s, process %lu\n", path.c_str(), program_.dwProcessId);
  return true;
}

const UiDriver::Command* UiDriver::FindCommand(const ScenarioStep& step, std::string* error) {
  const std::string& name = step.words[0];
  size_t count = step.words.size() - 1;
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    if (count >= command.min_args && count <= command.max_args) return &command;
    *error = "line " + std::to_string(step.line) + ": wrong number of arguments for " + name;
    return NULL;
  }
  *error = "line " + std::to_string(step.line) + ": unknown step \"" + name + "\"";
  return NULL;
}

bool UiDriver::Check(const std::vector<ScenarioStep>& steps, std::string* error) {
  for (const ScenarioStep& step : steps) {
    if (!FindCommand(step, error)) return false;
  }
  return true;
}

bool UiDriver::Run(const std::vector<ScenarioStep>& steps) {
  for (const ScenarioStep& step : steps) {
    if (!RunStep(step)) return false;
  }
  std::printf("uidriver: all %u steps passed\n", static_cast<unsigned>(steps.size()));
  return true;
}

bool UiDriver::RunStep(const ScenarioStep& step) {
  std::string shown = step.words[0];
  for (size_t i = 1; i < step.words.size(); ++i) {
    const std::string& word = step.words[i];
    bool plain = !word.empty() && word.find_first_of(" \t\n\"\\") == std::string::npos;
    shown += " " + (plain ? word : QuoteForScenario(word));
  }
  std::printf("%4d: %s ... ", step.line, shown.c_str());
  std::fflush(stdout);

  std::string error;
  const Command* command = FindCommand(step, &error);
  Args args(step.words.begin() + 1, step.words.end());
  for (std::string& arg : args) {
    if (command && !ExpandShortNames(&arg, &error)) command = NULL;
  }
  DWORD started = GetTickCount();
  failure_.clear();
  bool passed = command ? (this->*command->run)(args) : Fail(error);
  DWORD elapsed = GetTickCount() - started;
  if (passed) {
    std::printf("ok (%lu ms)\n", elapsed);
  } else {
    std::printf("FAILED after %lu ms\n      %s\n", elapsed, failure_.c_str());
  }
  std::fflush(stdout);
  return passed;
}

bool UiDriver::WaitUntil(const std::function<bool()>& condition, bool needs_program) {
  DWORD started = GetTickCount();
  while (true) {
    if (condition()) return true;
    if (needs_program && ProgramHasEnded()) return false;
    if (GetTickCount() - started >= timeout_ms_) return false;
    Sleep(kPollIntervalMs);
  }
}

bool UiDriver::ProgramHasEnded() {
  return WaitForSingleObject(program_.hProcess, 0) == WAIT_OBJECT_0;
}

std::string UiDriver::ProgramState() {
  if (ProgramHasEnded()) {
    DWORD code = 0;
    GetExitCodeProcess(program_.hProcess, &code);
    return "the program has ended (exit code " + std::to_string(code) + ")";
  }
  return "the program shows:" + DescribeWindows(program_.dwProcessId);
}

bool UiDriver::Fail(const std::string& what) {
  failure_ = what;
  return false;
}

bool UiDriver::ParseId(const std::string& word, int* id) {
  char* end = NULL;
  long value = std::strtol(word.c_str(), &end, 0);
  if (word.empty() || *end != '\0') return Fail("\"" + word + "\" is not a number");
  *id = static_cast<int>(value);
  return true;
}

bool UiDriver::SetTimeout(const Args& args) {
  int seconds = 0;
  if (!ParseId(args[0], &seconds)) return false;
  if (seconds <= 0) return Fail("the timeout must be at least 1 second");
  SetTimeoutSeconds(seconds);
  return true;
}

bool UiDriver::Window(const Args& args) {
  const std::string& caption = args[0];
  std::vector<int> ids;
  for (size_t i = 1; i < args.size(); ++i) {
    int id = 0;
    if (!ParseId(args[i], &id)) return false;
    ids.push_back(id);
  }
  // The top-level window can be visible before its controls exist.
  auto has_controls = [&](HWND window) {
    if (ids.empty()) return GetWindow(window, GW_CHILD) != NULL;
    for (int id : ids) {
      if (!GetDlgItem(window, id)) return false;
    }
    return true;
  };
  HWND found = NULL;
  bool appeared = WaitUntil([&] {
    found = FindVisibleTopLevel(program_.dwProcessId, [&](HWND window) {
      std::string text;
      return ReadWindowText(window, &text) && text == caption && has_controls(window);
    });
    return found != NULL;
  });
  if (!appeared) {
    std::string controls;
    for (int id : ids) controls += " " + std::to_string(id);
    return Fail("no visible window " + QuoteForScenario(caption) + " with controls" +
                (controls.empty() ? "" : controls) + "; " + ProgramState());
  }
  window_ = found;
  window_caption_ = caption;
  return true;
}

bool UiDriver::WaitForControl(int id, HWND* control) {
  if (!window_) return Fail("no current window: a \"window\" step must come first");
  bool exists = WaitUntil([&] {
    *control = GetDlgItem(window_, id);
    return *control != NULL;
  });
  if (exists) return true;
  if (!IsWindow(window_)) return Fail(CurrentWindowName() + " has closed; " + ProgramState());
  return Fail(CurrentWindowName() + " has no control " + std::to_string(id) + "; " +
              ProgramState());
}

bool UiDriver::ExpectText(const Args& args) {
  int id = 0;
  HWND control = NULL;
  if (!ParseId(args[0], &id) || !WaitForControl(id, &control)) return false;
  std::string shown = "(no answer)";
  if (WaitUntil([&] { return ReadWindowText(control, &shown) && TextMatches(shown, args[1]); }))
    return true;
  return Fail("control " + args[0] + " of " + CurrentWindowName() + " shows\n      " +
              QuoteForScenario(shown) + "\n      expected\n      " + QuoteForScenario(args[1]));
}

bool UiDriver::ExpectCheck(const Args& args) {
  int id = 0;
  int expected = 0;
  HWND control = NULL;
  if (!ParseId(args[0], &id) || !ParseId(args[1], &expected) || !WaitForControl(id, &control)) {
    return false;
  }
  LRESULT state = -1;
  if (WaitUntil([&] { return AskWindow(control, BM_GETCHECK, 0, 0, &state) && state == expected; }))
    return true;
  return Fail("check box " + args[0] + " of " + CurrentWindowName() + " has state " +
              std::to_string(state) + ", expected " + args[1]);
}

bool UiDriver::ExpectDefault(const Args& args) {
  int id = 0;
  HWND control = NULL;
  if (!ParseId(args[0], &id) || !WaitForControl(id, &control)) return false;
  LRESULT default_id = 0;
  LONG style = 0;
  bool is_default = WaitUntil([&] {
    style = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return AskWindow(window_, DM_GETDEFID, 0, 0, &default_id) &&
           HIWORD(default_id) == DC_HASDEFID && LOWORD(default_id) == id &&
           style == BS_DEFPUSHBUTTON;
  });
  if (is_default) return true;
  std::string reported =
      HIWORD(default_id) == DC_HASDEFID ? std::to_string(LOWORD(default_id)) : std::string("none");
  return Fail(CurrentWindowName() + " reports default button " + reported + ", and button " +
              args[0] + " has button style " + std::to_string(style) + " (BS_DEFPUSHBUTTON is " +
              std::to_string(BS_DEFPUSHBUTTON) + ")");
}

bool UiDriver::ExpectIcon(const Args& args) {
  int id = 0;
  HWND control = NULL;
  if (!ParseId(args[0], &id) || !WaitForControl(id, &control)) return false;
  LRESULT icon = 0;
  if (WaitUntil([&] { return AskWindow(control, STM_GETICON, 0, 0, &icon) && icon; })) return true;
  return Fail("control " + args[0] + " of " + CurrentWindowName() + " shows no icon");
}

bool UiDriver::Type(const Args& args) {
  int id = 0;
  HWND control = NULL;
  if (!ParseId(args[0], &id) || !WaitForControl(id, &control)) return false;
  if (!IsWindowEnabled(control)) return Fail("control " + args[0] + " is disabled");
  LRESULT done = 0;
  std::string shown;
  if (!AskWindow(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[1].c_str()), &done) ||
      !ReadWindowText(control, &shown)) {
    return Fail("control " + args[0] + " does not answer; " + ProgramState());
  }
  if (shown != args[1]) return Fail("control " + args[0] + " took " + QuoteForScenario(shown));
  return true;
}

bool UiDriver::Press(HWND window, const std::string& window_name, int id) {
  HWND button = NULL;
  std::string reason;
  bool ready = WaitUntil([&] {
    button = GetDlgItem(window, id);
    if (!button) {
      reason = window_name + " has no button " + std::to_string(id);
    } else if (!IsWindowVisible(button) || !IsWindowEnabled(button)) {
      reason = "button " + std::to_string(id) + " of " + window_name + " is hidden or disabled";
    } else if (!IsWindowEnabled(window)) {
      reason = window_name + " does not take input (is a modal window open?)";
    } else {
      return true;
    }
    return false;
  });
  if (!ready) return Fail(reason + "; " + ProgramState());
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

bool UiDriver::Click(const Args& args) {
  int id = 0;
  if (!ParseId(args[0], &id)) return false;
  if (!window_) return Fail("no current window: a \"window\" step must come first");
  return Press(window_, CurrentWindowName(), id);
}

bool UiDriver::SysCommand(const Args& args) {
  int id = 0;
  if (!ParseId(args[0], &id)) return false;
  if (!window_ || !IsWindow(window_)) return Fail("no current window");
  PostMessageA(window_, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
  return true;
}

bool UiDriver::ExpectMessageBox(const Args& args) {
  const std::string& caption = args[0];
  HWND box = NULL;
  std::string text;
  bool shown = WaitUntil([&] {
    box = FindVisibleTopLevel(program_.dwProcessId, [&](HWND window) {
      std::string title;
      return IsMessageBox(window) && ReadWindowText(window, &title) && title == caption;
    });
    return box && ReadWindowText(GetDlgItem(box, 0xFFFF), &text) && TextMatches(text, args[1]);
  });
  if (shown) {
    message_box_ = box;
    message_box_caption_ = caption;
    return true;
  }
  if (!box) {
    return Fail("no message box " + QuoteForScenario(caption) + "; " + ProgramState());
  }
  return Fail("message box " + QuoteForScenario(caption) + " says\n      " +
              QuoteForScenario(text) + "\n      expected\n      " + QuoteForScenario(args[1]));
}

bool UiDriver::WaitUntilClosed(HWND window, const std::string& window_name) {
  if (WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, false)) return true;
  return Fail(window_name + " is still open; " + ProgramState());
}

bool UiDriver::Answer(const Args& args) {
  int id = 0;
  if (!ParseId(args[0], &id)) return false;
  if (!message_box_ || !IsWindow(message_box_)) {
    return Fail("no message box is open: a \"messagebox\" step must come first");
  }
  std::string name = "message box " + QuoteForScenario(message_box_caption_);
  if (!Press(message_box_, name, id) || !WaitUntilClosed(message_box_, name)) return false;
  message_box_ = NULL;
  return true;
}

HWND UiDriver::FindFolderBrowser() {
  return FindVisibleTopLevel(program_.dwProcessId, [](HWND window) {
    return WindowClass(window) == "#32770" &&
           FindWindowExA(window, NULL, "SysTreeView32", NULL) != NULL;
  });
}

bool UiDriver::ReadSelectedFolder(HWND tree, std::string* name) {
  LRESULT item = 0;
  if (!AskWindow(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item) || !item) return false;
  const size_t kTextOffset = sizeof(TVITEMA);
  char text[MAX_PATH] = "";
  RemoteMemory memory(program_.hProcess, kTextOffset + sizeof text);
  TVITEMA request = {};
  request.mask = TVIF_TEXT;
  request.hItem = reinterpret_cast<HTREEITEM>(item);
  request.pszText = static_cast<char*>(memory.address()) + kTextOffset;
  request.cchTextMax = sizeof text;
  LRESULT done = 0;
  if (!memory.Write(0, &request, sizeof request) ||
      !AskWindow(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.address()), &done) ||
      !done || !memory.Read(kTextOffset, text, sizeof text)) {
    return false;
  }
  text[sizeof text - 1] = '\0';
  *name = text;
  return true;
}

bool UiDriver::Browser(const Args& args) {
  const std::string& folder = args[0];
  HWND browser = NULL;
  if (!WaitUntil([&] { return (browser = FindFolderBrowser()) != NULL; })) {
    return Fail("no folder browser is open; " + ProgramState());
  }
  // Wine's browser for BIF_EDITBOX without the new dialog style has no edit
  // field, so the folder is selected in the tree the way the browser selects
  // one itself, with BFFM_SETSELECTION; the path must lie in the program's memory.
  RemoteMemory path(program_.hProcess, folder.size() + 1);
  LRESULT ignored = 0;
  if (!path.Write(0, folder.c_str(), folder.size() + 1) ||
      !AskWindow(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.address()),
                 &ignored)) {
    return Fail("cannot select " + folder + " in the folder browser; " + ProgramState());
  }
  // A folder that cannot be selected leaves the selection where it was, and OK
  // would then choose that; so the selection is checked first.
  size_t separator = folder.find_last_of('\\', folder.size() - 2);
  std::string expected = folder.substr(separator == std::string::npos ? 0 : separator + 1);
  if (!expected.empty() && expected.back() == '\\') expected.pop_back();
  std::string selected = "(nothing)";
  HWND tree = FindWindowExA(browser, NULL, "SysTreeView32", NULL);
  if (!WaitUntil([&] {
        return ReadSelectedFolder(tree, &selected) && selected.find(expected) != std::string::npos;
      })) {
    return Fail("the folder browser selected " + QuoteForScenario(selected) + " instead of " +
                QuoteForScenario(folder));
  }
  return Press(browser, "the folder browser", IDOK) &&
         WaitUntilClosed(browser, "the folder browser");
}

bool UiDriver::BrowserCancel(const Args&) {
  HWND browser = NULL;
  if (!WaitUntil([&] { return (browser = FindFolderBrowser()) != NULL; })) {
    return Fail("no folder browser is open; " + ProgramState());
  }
  return Press(browser, "the folder browser", IDCANCEL) &&
         WaitUntilClosed(browser, "the folder browser");
}

bool UiDriver::HoldOpen(const Args& args) {
  const std::string mode = args.size() > 1 ? args[1] : "";
  if (mode != "" && mode != "shared" && mode != "exclusive") {
    return Fail("hold-open takes only \"shared\" or \"exclusive\"");
  }
  // Without FILE_SHARE_DELETE nobody else can delete it while it is open;
  // with it, a delete only marks it until the driver exits. Backup semantics
  // let a folder be held the same way.
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (mode == "shared") share |= FILE_SHARE_DELETE;
  if (mode == "exclusive") share = 0;
  HANDLE file = CreateFileA(args[0].c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    return Fail("cannot open " + args[0] + " (error " + std::to_string(GetLastError()) + ")");
  }
  held_files_.push_back(file);
  return true;
}

bool UiDriver::RunAgain(const Args& args) {
  int expected = 0;
  if (!ParseId(args[1], &expected)) return false;
  std::string command_line = "\"" + program_path_ + "\" " + args[0];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION run = {};
  if (!CreateProcessA(program_path_.c_str(), &command_line[0], NULL, NULL, FALSE, 0, NULL, NULL,
                      &startup, &run)) {
    return Fail("cannot start " + program_path_ + " (error " + std::to_string(GetLastError()) +
                ")");
  }
  const bool ended = WaitForSingleObject(run.hProcess, timeout_ms_) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(run.hProcess, &code);
  if (!ended) TerminateProcess(run.hProcess, 1);
  CloseHandle(run.hProcess);
  CloseHandle(run.hThread);
  if (!ended) return Fail("the run with " + QuoteForScenario(args[0]) + " did not end in time");
  std::printf("(exit code %lu) ", code);
  if (static_cast<int>(code) != expected) {
    return Fail("the run with " + QuoteForScenario(args[0]) + " ended with exit code " +
                std::to_string(code) + ", expected " + args[1]);
  }
  return true;
}

bool UiDriver::Snap(const Args& args) {
  const std::string& name = args[0];
  if (snap_dir_.empty()) return Fail("no --snap-dir was given, so no harness takes screenshots");
  if (name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") !=
      std::string::npos) {
    return Fail("a screenshot name may hold only letters, digits, _ and -");
  }
  // A window that has just appeared may not be painted yet: wait until the
  // program is idle, but take the picture anyway if it stays busy.
  WaitForInputIdle(program_.hProcess, std::min(timeout_ms_, kSnapIdleWaitMs));
  // The harness watches for NAME.request and writes NAME.png when there is
  // none; the driver clears an old NAME.png first and removes its request
  // afterwards, so the harness deletes nothing.
  std::string request = snap_dir_ + "\\" + name + ".request";
  std::string picture = snap_dir_ + "\\" + name + ".png";
  DeleteFileA(picture.c_str());
  HANDLE file = CreateFileA(request.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    return Fail("cannot write " + request + " (error " + std::to_string(GetLastError()) + ")");
  }
  CloseHandle(file);
  bool taken = WaitUntil(
      [&] { return GetFileAttributesA(picture.c_str()) != INVALID_FILE_ATTRIBUTES; }, false);
  DeleteFileA(request.c_str());
  if (taken) return true;
  return Fail("the harness did not take screenshot " + picture);
}

bool UiDriver::Start(const Args& args) {
  if (program_.hProcess) return Fail("the program was started already");
  return StartProgram(program_path_, args[0]) || Fail("cannot start " + program_path_);
}

bool UiDriver::ExpectEnded(const Args& args) {
  int expected = 0;
  if (!args.empty() && !ParseId(args[0], &expected)) return false;
  if (WaitForSingleObject(program_.hProcess, timeout_ms_) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(program_.hProcess, &code);
    std::printf("(exit code %lu) ", code);
    if (args.empty() || static_cast<int>(code) == expected) return true;
    return Fail("the program ended with exit code " + std::to_string(code) + ", expected " +
                args[0]);
  }
  return Fail("the program is still running; " + ProgramState());
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[4096];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, count);
  std::fclose(file);
  return true;
}

int Usage(const char* problem) {
  std::fprintf(stderr,
               "uidriver: %s\nusage: uidriver --program EXE [--no-start] [--timeout SECONDS] "
               "[--time-factor N] [--snap-dir DIR] (SCENARIO-FILE | -c STEP [-c STEP ...])\n",
               problem);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string program;
  std::string snap_dir;
  std::string scenario_file;
  std::string scenario;
  bool start = true;
  int timeout_seconds = 10;
  int time_factor = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "--program" && has_value) {
      program = argv[++i];
    } else if (arg == "--no-start") {
      start = false;
    } else if (arg == "--snap-dir" && has_value) {
      snap_dir = argv[++i];
    } else if (arg == "--timeout" && has_value) {
      timeout_seconds = std::atoi(argv[++i]);
    } else if (arg == "--time-factor" && has_value) {
      time_factor = std::atoi(argv[++i]);
    } else if (arg == "-c" && has_value) {
      scenario += std::string(argv[++i]) + "\n";
    } else if (arg[0] != '-' && scenario_file.empty()) {
      scenario_file = arg;
    } else {
      return Usage(("unexpected argument " + arg).c_str());
    }
  }
  if (program.empty()) return Usage("--program is required");
  if (timeout_seconds <= 0) return Usage("the timeout must be at least 1 second");
  if (time_factor <= 0) return Usage("the time factor must be at least 1");
  if (scenario_file.empty() == scenario.empty()) {
    return Usage("give either a scenario file or -c steps");
  }
  if (!scenario_file.empty() && !ReadWholeFile(scenario_file, &scenario)) {
    return Usage(("cannot read " + scenario_file).c_str());
  }
  std::vector<ScenarioStep> steps;
  std::string error;
  if (!ParseScenario(scenario, &steps, &error) || !UiDriver::Check(steps, &error)) {
    return Usage(error.c_str());
  }

  SetAnswerTimeFactor(time_factor);
  UiDriver driver(snap_dir, timeout_seconds, time_factor);
  if (!start) {
    driver.SetProgram(program);
  } else if (!driver.StartProgram(program)) {
    return 1;
  }
  return driver.Run(steps) ? 0 : 1;
}
