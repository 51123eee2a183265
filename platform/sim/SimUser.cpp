// user32's message boxes, system menus, and the icons and strings loaded
// from the program's resources.
#include "SimResources.h"
#include "SimState.h"

namespace {

const DWORD kInvalidMenuHandle = 1401;
const DWORD kResourceTypeNotFound = 1813;
const DWORD kResourceNameNotFound = 1814;
const uintptr_t kIconHandleBase = 0x00A00000;  // icons are shared: one handle per id

// The box's default button, which answers when no answer is queued.
int DefaultAnswer(UINT type) {
  switch (type & 0x0F) {
    case 2:
      return 3;  // MB_ABORTRETRYIGNORE: IDABORT
    case 3:
    case MB_YESNO:
      return IDYES;  // MB_YESNOCANCEL too
    case 5:
      return 4;  // MB_RETRYCANCEL: IDRETRY
    default:
      return IDOK;
  }
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto& s = sim::Enter();
  if (owner && !sim::LiveWindow(owner)) return 0;
  int answer = DefaultAnswer(type);
  if (!s.messageBoxAnswers.empty()) {
    answer = s.messageBoxAnswers.front();
    s.messageBoxAnswers.pop_front();
  }
  // Windows titles a box without a caption "Error".
  sim::MessageBoxRecord box{
      owner, text ? text : "", caption == nullptr, caption ? caption : "Error", type, answer};
  sim::Machine& m = sim::machine();
  m.messageBoxes.push_back(box);
  sim::Log("MessageBox " + box.caption + " | " + box.text);
  auto watcher = m.onMessageBox;  // the watcher may replace itself
  if (watcher) watcher(box);
  return answer;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  sim::Enter();
  if (sim::MissingWideCall("MessageBoxW")) return 0;
  const sim::WideArg storedText(text), storedCaption(caption);
  return MessageBoxA(owner, storedText, storedCaption, type);
}

void sim::Machine::QueueMessageBoxAnswer(int answer) {
  state_->messageBoxAnswers.push_back(answer);
}

HMENU GetSystemMenu(HWND handle, BOOL revert) {
  auto& s = sim::Enter();
  sim::Window* window = sim::LiveWindow(handle);
  if (!window) return nullptr;
  if (DWORD error = sim::Faulted(sim::Op::GetSystemMenu, std::to_string(window->templateId))) {
    sim::Refuse(error);
    return nullptr;
  }
  if (revert) {
    window->menuItems.clear();
    return nullptr;
  }
  for (const auto& menu : s.systemMenus)
    if (menu.second == handle) return menu.first;
  s.nextHandle += 4;
  HMENU menu = reinterpret_cast<HMENU>(s.nextHandle);
  s.systemMenus[menu] = handle;
  return menu;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  auto& s = sim::Enter();
  auto owner = s.systemMenus.find(menu);
  sim::Window* window = owner == s.systemMenus.end() ? nullptr : sim::LiveWindow(owner->second);
  if (!window) return sim::Refuse(kInvalidMenuHandle);
  std::string item = flags & MF_SEPARATOR ? "-" : std::to_string(id) + ":" + (text ? text : "");
  window->menuItems.push_back(item);
  sim::Log("AppendMenu " + sim::WindowName(*window) + " " + item);
  return TRUE;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
  sim::Enter();
  if (IS_INTRESOURCE(name) && sim::ProgramResources().icons.count(LOWORD(name)))
    return reinterpret_cast<HICON>(kIconHandleBase + LOWORD(name));
  sim::Refuse(kResourceTypeNotFound);
  return nullptr;
}

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
  sim::Enter();
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (DWORD error = sim::Faulted(sim::Op::LoadString, std::to_string(id)))
    return sim::Refuse(error);
  const auto& strings = sim::ProgramResources().strings;
  auto found = strings.find(static_cast<int>(id));
  if (found == strings.end()) return sim::Refuse(kResourceNameNotFound);
  return sim::CopyTruncated(found->second, buffer, size);
}
