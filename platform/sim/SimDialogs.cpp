// user32's dialogs: creation from the program's templates, the modal run with
// the simulated user, ending and destroying, and message delivery with the
// dialog manager's default processing.
#include <stdexcept>

#include "SimResources.h"
#include "SimState.h"

using sim::Window;

namespace {

const DWORD kVisible = 0x10000000;   // WS_VISIBLE
const DWORD kDisabled = 0x08000000;  // WS_DISABLED
const DWORD kTabStop = 0x00010000;   // WS_TABSTOP
const DWORD kResourceTypeNotFound = 1813;
const DWORD kControlIdNotFound = 1421;
const char kDialogClass[] = "#32770";

WPARAM CommandParam(int id, int code) { return static_cast<WPARAM>((id & 0xFFFF) | (code << 16)); }

bool IsButton(const Window& window) { return sim::SameName(window.className, "Button"); }

// Button types, the low four bits of a button's style.
enum ButtonType : DWORD {
  kCheckBox = 2,
  kAutoCheckBox = 3,
  kRadioButton = 4,
  k3State = 5,
  kAuto3State = 6,
  kAutoRadioButton = 9,
};

bool HoldsCheck(const Window& button) {
  switch (button.style & 0x0F) {
    case kCheckBox:
    case kAutoCheckBox:
    case kRadioButton:
    case k3State:
    case kAuto3State:
    case kAutoRadioButton:
      return true;
    default:
      return false;
  }
}

// The automatic kinds change their state themselves when clicked.
void ToggleOnClick(Window& button) {
  switch (button.style & 0x0F) {
    case kAutoCheckBox:
      button.check = button.check ? BST_UNCHECKED : BST_CHECKED;
      break;
    case kAuto3State:
      button.check = (button.check + 1) % 3;
      break;
    case kAutoRadioButton:
      button.check = BST_CHECKED;
      break;
  }
}

HWND NoWindow(DWORD error) {
  sim::Refuse(error);
  return nullptr;
}

// The template's place in dialog units, and the client area in pixels for
// MS Sans Serif 8 (base units 6 x 13: 1.5 and 1.625 pixels a unit), rounded.
void Place(Window& window, int x, int y, int cx, int cy) {
  window.x = x;
  window.y = y;
  window.cx = cx;
  window.cy = cy;
  window.client = RECT{0, 0, (cx * 6 + 2) / 4, (cy * 13 + 4) / 8};
}

HWND AddWindow(sim::Machine::State& s, Window window) {
  s.nextHandle += 4;
  window.handle = reinterpret_cast<HWND>(s.nextHandle);
  HWND handle = window.handle;
  s.windows[handle] = std::make_unique<Window>(std::move(window));
  return handle;
}

void Destroy(Window& window) {
  window.destroyed = true;
  window.visible = false;
  for (HWND child : window.children) Destroy(*sim::machine().GetWindow(child));
}

HWND ChildWithId(const Window& dialog, int id) {
  for (HWND child : dialog.children) {
    const Window* control = sim::machine().GetWindow(child);
    if (!control->destroyed && control->id == id) return child;
  }
  return nullptr;
}

LRESULT Dispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam);

// What DefDlgProc does with a message the dialog procedure left alone.
LRESULT DialogDefault(Window& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? dialog.bigIcon : dialog.smallIcon;
      HICON previous = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) Dispatch(dialog, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE:
      Dispatch(dialog, WM_COMMAND, CommandParam(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(ChildWithId(dialog, IDCANCEL)));
      return 0;
    default:
      return 0;
  }
}

// What a control's own window class does with a message.
LRESULT ControlMessage(Window& control, UINT message, WPARAM wParam, LPARAM) {
  if (!IsButton(control)) return 0;
  switch (message) {
    case BM_GETCHECK:
      return control.check;
    case BM_SETCHECK:
      if (HoldsCheck(control)) control.check = static_cast<int>(wParam);
      sim::Log("SetCheck " + std::to_string(control.id) + " " + std::to_string(wParam));
      return 0;
    case BM_CLICK: {
      if (control.style & kDisabled) return 0;
      ToggleOnClick(control);
      Window* dialog = sim::machine().GetWindow(control.parent);
      if (dialog && !dialog->destroyed)
        Dispatch(*dialog, WM_COMMAND, CommandParam(control.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control.handle));
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT Dispatch(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!sim::IsDialog(window)) return ControlMessage(window, message, wParam, lParam);
  INT_PTR handled = window.proc ? window.proc(window.handle, message, wParam, lParam) : 0;
  // These answer through the procedure's result; the rest through DWLP_MSGRESULT.
  if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON) return handled;
  if (handled) {
    auto result = window.longs.find(DWLP_MSGRESULT);
    return result == window.longs.end() ? 0 : result->second;
  }
  return window.destroyed ? 0 : DialogDefault(window, message, wParam, lParam);
}

// Makes the dialog and its controls from the template and initialises it.
// nullptr, with the last error set, when there is no such template.
HWND CreateFromTemplate(sim::Machine::State& s, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param,
                        bool modal, bool unicode) {
  const int id = IS_INTRESOURCE(name) ? LOWORD(name) : -1;
  if (DWORD error = sim::Faulted(sim::Op::CreateDialog, std::to_string(id))) return NoWindow(error);
  if (owner && !sim::LiveWindow(owner)) return nullptr;
  const auto& dialogs = sim::ProgramResources().dialogs;
  auto found = dialogs.find(id);
  if (found == dialogs.end()) return NoWindow(kResourceTypeNotFound);
  const sim::DialogTemplate& layout = found->second;

  Window dialog;
  dialog.templateId = id;
  dialog.className = kDialogClass;
  dialog.text = layout.caption;
  dialog.style = layout.style;
  dialog.exStyle = layout.exStyle;
  Place(dialog, layout.x, layout.y, layout.cx, layout.cy);
  dialog.modal = modal;
  dialog.unicode = unicode;
  dialog.parent = owner;
  dialog.proc = proc;
  HWND handle = AddWindow(s, dialog);

  HWND firstTabStop = nullptr;
  for (const sim::ControlTemplate& item : layout.controls) {
    Window control;
    control.id = item.id;
    control.className = item.className;
    control.text = item.text;
    control.style = item.style;
    Place(control, item.x, item.y, item.cx, item.cy);
    control.visible = (item.style & kVisible) != 0;
    control.unicode = unicode;
    control.parent = handle;
    HWND child = AddWindow(s, control);
    sim::machine().GetWindow(handle)->children.push_back(child);
    if (!firstTabStop && (item.style & kTabStop)) firstTabStop = child;
  }
  sim::Log((modal ? "DialogBox " : "CreateDialog ") + std::to_string(id));

  Window& made = *sim::machine().GetWindow(handle);
  Dispatch(made, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param);
  if (made.destroyed) return nullptr;
  // A modal dialog is shown by its message loop; a modeless one by its style.
  if ((modal && !made.ended) || (made.style & kVisible)) made.visible = true;
  return handle;
}

}  // namespace

namespace {

INT_PTR RunModal(LPCSTR name, HWND owner, DLGPROC proc, LPARAM param, bool unicode) {
  auto& s = sim::Enter();
  HWND handle = CreateFromTemplate(s, name, owner, proc, param, true, unicode);
  if (!handle) return -1;
  Window& dialog = *sim::machine().GetWindow(handle);
  auto user = sim::machine().modalUser;  // the user may replace itself
  if (user && !dialog.ended && !dialog.destroyed) user(handle);
  // Its message loop goes on while a timer runs: time passes to each tick.
  for (int ticks = 0;
       ticks < 100000 && !dialog.ended && !dialog.destroyed && !dialog.timers.empty(); ++ticks) {
    const auto timer = *dialog.timers.begin();
    s.tickCount += timer.second;
    Dispatch(dialog, WM_TIMER, timer.first, 0);
  }
  if (!dialog.ended && !dialog.destroyed) {
    sim::Log("EndDialog " + sim::WindowName(dialog) + " 2 (the user closed it)");
    dialog.ended = true;
    dialog.endResult = IDCANCEL;
  }
  if (!dialog.destroyed) Destroy(dialog);
  return dialog.endResult;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  return RunModal(name, owner, proc, param, false);
}

INT_PTR DialogBoxParamW(HINSTANCE, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  if (sim::MissingWideCall("DialogBoxParamW")) return -1;
  return RunModal(reinterpret_cast<LPCSTR>(name), owner, proc, param, true);
}

HWND CreateDialogParamA(HINSTANCE, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  auto& s = sim::Enter();
  return CreateFromTemplate(s, name, owner, proc, param, false, false);
}

HWND CreateDialogParamW(HINSTANCE, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  auto& s = sim::Enter();
  if (sim::MissingWideCall("CreateDialogParamW")) return nullptr;
  return CreateFromTemplate(s, reinterpret_cast<LPCSTR>(name), owner, proc, param, false, true);
}

BOOL EndDialog(HWND handle, INT_PTR result) {
  sim::Enter();
  Window* dialog = sim::LiveWindow(handle);
  if (!dialog) return FALSE;
  dialog->ended = true;
  dialog->endResult = result;
  dialog->visible = false;
  sim::Log("EndDialog " + sim::WindowName(*dialog) + " " + std::to_string(result));
  return TRUE;
}

BOOL DestroyWindow(HWND handle) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  Destroy(*window);
  sim::Log("DestroyWindow " + sim::WindowName(*window));
  return TRUE;
}

BOOL IsWindow(HWND handle) {
  sim::Enter();
  const Window* window = sim::machine().GetWindow(handle);
  return window && !window->destroyed;
}

HWND GetDlgItem(HWND handle, int id) {
  sim::Enter();
  Window* dialog = sim::LiveWindow(handle);
  if (!dialog) return nullptr;
  HWND control = ChildWithId(*dialog, id);
  if (!control) sim::Refuse(kControlIdNotFound);
  return control;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  return window ? Dispatch(*window, message, wParam, lParam) : 0;
}

namespace sim {

Window* LiveWindow(HWND handle) {
  Window* window = machine().GetWindow(handle);
  if (window && !window->destroyed) return window;
  Refuse(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

bool IsDialog(const Window& window) { return window.className == kDialogClass; }

std::string WindowName(const Window& window) {
  return IsDialog(window) ? "dialog" + std::to_string(window.templateId)
                          : std::to_string(window.id);
}

Window* Machine::GetWindow(HWND handle) {
  auto found = state_->windows.find(handle);
  return found == state_->windows.end() ? nullptr : found->second.get();
}

HWND Machine::FindDialog(int templateId) const {
  HWND newest = nullptr;
  for (const auto& entry : state_->windows) {
    const Window& window = *entry.second;
    if (IsDialog(window) && !window.destroyed && window.templateId == templateId)
      newest = entry.first;
  }
  return newest;
}

HWND Machine::Control(HWND dialog, int id) const {
  auto found = state_->windows.find(dialog);
  return found == state_->windows.end() ? nullptr : ChildWithId(*found->second, id);
}

std::string Machine::ControlText(HWND dialog, int id) const {
  HWND control = Control(dialog, id);
  if (!control) throw std::invalid_argument("sim: no control " + std::to_string(id));
  return state_->windows.at(control)->text;
}

void Machine::Click(HWND dialog, int id) {
  HWND control = Control(dialog, id);
  if (!control) throw std::invalid_argument("sim: no control to click: " + std::to_string(id));
  if (!GetWindow(dialog)->enabled) return Log("Click " + std::to_string(id) + " lost: disabled");
  Log("Click " + std::to_string(id));
  Dispatch(*GetWindow(control), BM_CLICK, 0, 0);
}

void Machine::QueueClick(HWND dialog, int id) { state_->queuedClicks.push_back({dialog, id}); }
int Machine::MessagePumps() const { return state_->messagePumps; }

void Machine::Type(HWND dialog, int id, const std::string& text) {
  HWND control = Control(dialog, id);
  if (!control) throw std::invalid_argument("sim: no control to type in: " + std::to_string(id));
  Log("Type " + std::to_string(id) + " " + text);
  GetWindow(control)->text = text;
}

void Machine::SysCommand(HWND dialog, UINT command) {
  Window* window = LiveWindow(dialog);
  if (!window) throw std::invalid_argument("sim: no dialog for the system command");
  Log("SysCommand " + Hex(command));
  Dispatch(*window, WM_SYSCOMMAND, command, 0);
}

}  // namespace sim
