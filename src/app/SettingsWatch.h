#pragma once

// Watching the kept settings while the tray copy runs. A thread of its own, with its own COM
// apartment, script engine and registry accessor, asks ProgramHost which keys to watch and
// whether the kept settings still hold: at its start, after a watched key changed, and when the
// window tells it of a resume or a changed system setting. Each event is one check; a burst of
// events within a moment is one. It waits on events alone, never polling, and hands a
// notification to the window with NotifyMessage, which then takes it with TakeNotification. The
// window's message loop never waits for a check. A script that cannot be loaded or fails is
// written to the exception log, and the watching then ends or goes on; the program runs on.

#include "UniqueKernelHandle.h"
#include "app/ProgramHost.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

inline constexpr UINT SettingsNotifyMessage = WM_APP + 2;

class TSettingsWatch {
public:
    TSettingsWatch(HWND window, std::vector<TScriptSource> sources);
    // Stops the thread and waits for it; a check under way ends first.
    ~TSettingsWatch();
    TSettingsWatch(const TSettingsWatch&) = delete;
    TSettingsWatch& operator=(const TSettingsWatch&) = delete;

    // After a resume from sleep (CheckAfterResume) or a WM_SETTINGCHANGE (CheckAfterSettingChange).
    void Recheck(const wchar_t* reason);
    // The last notification handed over and not yet taken; empty when none.
    std::wstring TakeNotification();

private:
    void Run() noexcept;
    void Watch(TProgramHost& host);
    void CheckAndTell(TProgramHost& host, const wchar_t* reason);
    // Waits until nothing more arrives on event for a moment, or stop is asked; false on stop.
    bool Settle(HANDLE event);

    HWND FWindow;
    std::vector<TScriptSource> FSources;
    UniqueKernelHandle FStop;
    UniqueKernelHandle FWake;
    std::mutex FLock;
    bool FResumed = false;
    bool FSettingChanged = false;
    std::wstring FNotification;
    std::thread FThread;
};
