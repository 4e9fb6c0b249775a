#pragma once

#include "UniqueHandle.h"

#include <windows.h>

// A kernel object's handle (a file, mapping, process, thread or token), closed with CloseHandle.
inline void CloseKernelHandle(HANDLE handle)
{
    ::CloseHandle(handle);
}
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
