// Looking at the windows of another process the way a person sees them: which
// top-level windows it shows, their captions, the texts and states of their
// controls. Reads go through SendMessageTimeout so that a busy program makes a
// read fail instead of hanging the driver.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The visible top-level windows of process `pid`, in Z order.
std::vector<HWND> VisibleTopLevelWindows(DWORD pid);

// The first visible top-level window of `pid` for which `accept` is true, or NULL.
HWND FindVisibleTopLevel(DWORD pid, const std::function<bool(HWND)>& accept);

// The window's text (caption or control text), read with WM_GETTEXT, in
// UTF-8 as the scenarios are written. False when the window does not answer
// in time.
bool ReadWindowText(HWND window, std::string* text);

// The window class name, e.g. "#32770" for dialogs and message boxes.
std::string WindowClass(HWND window);

// Sends `message` and waits at most a moment for the answer; false when the
// window does not answer.
bool AskWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* answer);

// AskWindow waits `factor` times as long: for a machine that emulates the processor.
void SetAnswerTimeFactor(int factor);

// A message box: a dialog with the text static 0xFFFF.
bool IsMessageBox(HWND window);

// One indented line per visible top-level window of `pid`, each starting with
// a line feed: class, caption and, for a message box, its text. For failure
// messages.
std::string DescribeWindows(DWORD pid);
