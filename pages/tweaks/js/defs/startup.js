// Tweak definitions: start-up, shut-down and system failure. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var control = "SYSTEM\\CurrentControlSet\\Control";
    var crash = control + "\\CrashControl";
    var spiPage = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-systemparametersinfow";
    var failurePage = "https://learn.microsoft.com/en-us/windows/client-management/system-failure-recovery-options";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    var machine = " A setting for the whole computer: changing it needs administrator rights.";
    function failureOption(id, value, title, description) {
        return {
            id: id, category: "startup", kind: "toggle", takesEffect: "restart", windows: win10,
            title: title, description: description + machine, source: failurePage,
            root: "HKLM", key: crash, value: value, type: "dword", on: 1, off: 0, dflt: 1
        };
    }
    defs.push({
        id: "run-entries", category: "startup", kind: "entries", takesEffect: "signout", windows: win10,
        title: "Programs started at logon",
        description: "The programs that Windows starts for you alone each time you sign in. Removing an entry does not uninstall the program.",
        source: "https://learn.microsoft.com/en-us/windows/win32/setupapi/run-and-runonce-registry-keys",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
    }, {
        id: "hung-app-timeout", category: "startup", kind: "range", takesEffect: "now", windows: win10,
        title: "Time before a program counts as not responding (ms)",
        description: "How long a program may go without handling its messages before Windows calls it not responding.",
        caution: "Windows also waits only this long at shut-down for a program that does not respond before it closes it by force; a program closed that way loses the work it had not saved.",
        spi: "HUNGAPPTIMEOUT", source: spiPage,
        root: "HKCU", key: desktop, value: "HungAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "5000"
    }, {
        id: "wait-to-kill", category: "startup", kind: "range", takesEffect: "now", windows: win10,
        title: "Time given to programs to close at shut-down (ms)",
        description: "How long Windows waits for a program that does not answer the request to close before it ends it, when you sign out or shut down.",
        caution: "A program ended this way loses the work it had not saved.",
        spi: "WAITTOKILLTIMEOUT", source: spiPage,
        root: "HKCU", key: desktop, value: "WaitToKillAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "20000"
    }, {
        id: "service-timeout", category: "startup", kind: "range", takesEffect: "restart", windows: win10,
        title: "Time given to services to stop at shut-down (ms)",
        description: "How long Windows waits for its services to stop when it restarts or shuts down before it goes on anyway. Not less than the Windows default of 5 seconds." +
            machine,
        caution: "A service still running when this time is up is ended, and can lose data it had not saved; a longer time makes every shut-down that waits for a service slower.",
        source: "https://learn.microsoft.com/en-us/windows/win32/services/service-control-handler-function",
        root: "HKLM", key: control, value: "WaitToKillServiceTimeout", type: "sz", min: 5000, max: 30000, dflt: "5000"
    },
    failureOption("auto-reboot", "AutoReboot", "Restart automatically after a system failure",
        "Restarts the computer after a stop error instead of leaving the error on the screen."),
    failureOption("crash-log", "LogEvent", "Write an event to the system log after a system failure",
        "Records each stop error in the system log of Event Viewer."),
    failureOption("crash-dump-overwrite", "Overwrite", "Overwrite an existing memory dump",
        "Writes a new kernel or complete memory dump over the previous one. Turned off, Windows keeps the old dump and writes no new one over it."),
    {
        id: "crash-dump", category: "startup", kind: "choice", takesEffect: "restart", windows: win10,
        title: "Memory dump after a system failure",
        description: "What Windows writes to disk when it stops with an error, for finding the cause." + machine,
        caution: "A complete memory dump is written only if the page file on the boot volume holds all the memory plus 257 MB; otherwise Windows writes no dump at all. A kernel dump also needs a large enough page file.",
        source: failurePage,
        root: "HKLM", key: crash, value: "CrashDumpEnabled", type: "dword", dflt: 7,
        choices: [
            { value: 0, label: "None" },
            { value: 3, label: "Small memory dump" },
            { value: 2, label: "Kernel memory dump" },
            { value: 1, label: "Complete memory dump" },
            { value: 7, label: "Automatic memory dump" }
        ]
    }, {
        id: "restart-shell", category: "startup", kind: "toggle", takesEffect: "signout", windows: win10,
        title: "Restart the taskbar and desktop after they fail",
        description: "Starts Explorer again by itself when it ends unexpectedly, so that the taskbar comes back. Turned off, you must sign out and in again." +
            machine,
        source: "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc939703(v=technet.10)",
        root: "HKLM", key: "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", value: "AutoRestartShell",
        type: "dword", on: 1, off: 0, dflt: 1
    });
}(TweakDefinitions));
