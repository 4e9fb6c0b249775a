#pragma once

#include <windows.h>

// The one way the program dispatches a window message: its main loop, and every script call
// that lets pending messages run, go through here.
void DispatchAppMessage(MSG& message);

// Dispatches every message waiting in this thread's queue, then returns. A quit request is not
// dispatched but posted again once the queue is empty, so that the main loop still ends on it.
void ProcessPendingMessages();

// Runs the main loop until a quit request and gives its exit code.
int RunMessageLoop();
