#pragma once

#include <windows.h>

#include <functional>

// The one way the program dispatches a window message: its main loop, and every script call
// that lets pending messages run, go through here. Messages are taken and dispatched as Unicode
// messages: taken as ANSI ones, a typed character that the system code page lacks would reach
// the list editor's and the pages' Unicode windows as "?".
void DispatchAppMessage(MSG& message);

// Sees each message before it is dispatched and answers true for one it has handled: the
// browser's in-place object takes its keys (Tab, the editing keys) this way. One filter at a
// time; an empty one removes it.
using TMessageFilter = std::function<bool(MSG&)>;
void SetMessageFilter(TMessageFilter filter);

// Dispatches every message waiting in this thread's queue, then returns. A quit request is not
// dispatched but posted again once the queue is empty, so that the main loop still ends on it.
void ProcessPendingMessages();

// Runs the main loop until a quit request and gives its exit code.
int RunMessageLoop();
