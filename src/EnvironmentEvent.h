#pragma once

#include "UniqueKernelHandle.h"

#include <windows.h>

// Sets the event that the environment variable names, if it names one: how a measurement from
// outside the process sees that the process reached a point. Gives whether the variable named
// an event, whether or not it could be opened.
inline bool SetEventNamedIn(const char* variable) noexcept
{
    char name[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA(variable, name, sizeof name);
    if (length == 0 || length >= sizeof name)
        return false;
    const UniqueKernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, name));
    if (event)
        ::SetEvent(event.Get());
    return true;
}
