#include "script/MessageLoop.h"

#include <optional>
#include <utility>

namespace {

TMessageFilter Filter;

}

void SetMessageFilter(TMessageFilter filter)
{
    Filter = std::move(filter);
}

void DispatchAppMessage(MSG& message)
{
    if (Filter && Filter(message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

void ProcessPendingMessages()
{
    std::optional<WPARAM> quitCode;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quitCode = message.wParam;
        else
            DispatchAppMessage(message);
    }
    if (quitCode)
        ::PostQuitMessage(static_cast<int>(*quitCode));
}

int RunMessageLoop()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchAppMessage(message);
    return static_cast<int>(message.wParam);
}
