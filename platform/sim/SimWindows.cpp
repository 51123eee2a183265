// user32's window calls: texts, window slots, painting, raising, repaints and
// timers (a modal dialog's run delivers them).
#include <cstring>

#include "SimState.h"

using sim::Window;

namespace {

const DWORD kInvalidCursorHandle = 1402;
const int kIconSize = 32;

// SetWindowTextA's work, which the wide call does within its one call.
BOOL SetText(HWND handle, LPCSTR text) {
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  window->text = text ? text : "";
  sim::Log("SetWindowText " + sim::WindowName(*window) + " " + window->text);
  return TRUE;
}

}  // namespace

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  sim::Enter();
  return SetText(handle, text);
}

// A window made by an ANSI call keeps its text in the code page.
BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
  sim::Enter();
  if (sim::MissingWideCall("SetWindowTextW")) return FALSE;
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  const sim::WideArg stored(text);
  const std::string given = stored ? static_cast<LPCSTR>(stored) : "";
  return SetText(handle, (window->unicode ? given : sim::Ansi(given)).c_str());
}

int GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  sim::Enter();
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  Window* window = sim::LiveWindow(handle);
  if (!window) return 0;
  return sim::CopyTruncated(sim::Ansi(window->text), buffer, size);
}

int GetWindowTextW(HWND handle, LPWSTR buffer, int size) {
  sim::Enter();
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (sim::MissingWideCall("GetWindowTextW")) return 0;
  Window* window = sim::LiveWindow(handle);
  if (!window) return 0;
  sim::FillWide(window->text, buffer, size_t(size));
  int length = 0;
  while (buffer[length]) ++length;
  return length;
}

int GetWindowTextLengthA(HWND handle) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  return window ? static_cast<int>(sim::Ansi(window->text).size()) : 0;
}

int GetWindowTextLengthW(HWND handle) {
  sim::Enter();
  if (sim::MissingWideCall("GetWindowTextLengthW")) return 0;
  Window* window = sim::LiveWindow(handle);
  return window ? static_cast<int>(sim::Characters(window->text).size()) : 0;
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return 0;
  LONG_PTR previous = window->longs[index];
  window->longs[index] = value;
  return previous;
}

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return 0;
  auto slot = window->longs.find(index);
  return slot == window->longs.end() ? 0 : slot->second;
}

BOOL IsIconic(HWND handle) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  return window && window->iconic;
}

int GetSystemMetrics(int index) {
  sim::Enter();
  return index == SM_CXICON || index == SM_CYICON ? kIconSize : 0;
}

BOOL GetClientRect(HWND handle, LPRECT rect) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  *rect = window->client;
  return TRUE;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
  auto& s = sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return nullptr;
  std::memset(paint, 0, sizeof *paint);
  s.nextHandle += 4;
  paint->hdc = reinterpret_cast<HDC>(s.nextHandle);
  paint->rcPaint = window->client;
  sim::Log("BeginPaint " + sim::WindowName(*window));
  return paint->hdc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT*) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  sim::Log("EndPaint " + sim::WindowName(*window));
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  sim::Enter();
  if (!dc) return sim::Refuse(ERROR_INVALID_PARAMETER);
  if (!icon) return sim::Refuse(kInvalidCursorHandle);
  sim::Log("DrawIcon " + std::to_string(x) + " " + std::to_string(y));
  return TRUE;
}

BOOL BringWindowToTop(HWND handle) {
  auto& s = sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  window->topOrder = ++s.topOrder;
  sim::Log("BringWindowToTop " + sim::WindowName(*window));
  return TRUE;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  const BOOL wasDisabled = !window->enabled;
  window->enabled = enable != FALSE;
  sim::Log("EnableWindow " + sim::WindowName(*window) + (enable ? " 1" : " 0"));
  return wasDisabled;
}

// The queued clicks reach their dialogs here, one a call, as a person's
// clicks would through the message loop; the sim posts nothing else.
BOOL PeekMessageA(MSG*, HWND, UINT, UINT, UINT) {
  auto& s = sim::Enter();
  ++s.messagePumps;
  if (!s.queuedClicks.empty()) {
    const auto click = s.queuedClicks.front();
    s.queuedClicks.pop_front();
    sim::machine().Click(click.first, click.second);
  }
  return FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }
LRESULT DispatchMessageA(const MSG*) { return 0; }

// Records what a person would see once the repaint is done: the window's
// children with their texts.
BOOL UpdateWindow(HWND handle) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  sim::Log("UpdateWindow " + std::to_string(window->templateId));
  return TRUE;
}

BOOL RedrawWindow(HWND handle, const RECT*, HRGN, UINT flags) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window) return FALSE;
  sim::RepaintRecord repaint{window->templateId, flags, {}};
  for (HWND child : window->children)
    repaint.texts.push_back(sim::machine().GetWindow(child)->text);
  sim::machine().repaints.push_back(repaint);
  sim::Log("Repaint " + std::to_string(window->templateId));
  return TRUE;
}

UINT_PTR SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  if (!window || id == 0) return 0;
  window->timers[id] = elapse;
  return id;
}

BOOL KillTimer(HWND handle, UINT_PTR id) {
  sim::Enter();
  Window* window = sim::LiveWindow(handle);
  return window && window->timers.erase(id) ? TRUE : FALSE;
}
