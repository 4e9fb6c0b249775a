// Tweak definitions: start-up and shut-down. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var control = "SYSTEM\\CurrentControlSet\\Control";
    var crash = control + "\\CrashControl";
    defs.push({
        id: "run-entries", category: "startup", kind: "entries", takesEffect: "signout",
        title: "Programs started at logon",
        description: "The programs that Windows starts for you alone each time you sign in. Removing an entry does not uninstall the program.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
    }, {
        id: "auto-end-tasks", category: "startup", kind: "toggle", takesEffect: "signout",
        title: "End programs that do not respond at shut-down",
        description: "Closes hanging programs by itself instead of waiting for you when you sign out or shut down. Unsaved work in them is lost.",
        root: "HKCU", key: desktop, value: "AutoEndTasks", type: "sz", on: "1", off: "0", dflt: "0"
    }, {
        id: "hung-app-timeout", category: "startup", kind: "range", takesEffect: "signout",
        title: "Time before a program counts as not responding (ms)",
        description: "How long Windows waits for a program to answer before it calls it not responding.",
        root: "HKCU", key: desktop, value: "HungAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "5000"
    }, {
        id: "wait-to-kill", category: "startup", kind: "range", takesEffect: "signout",
        title: "Time given to programs to close at shut-down (ms)",
        description: "How long Windows waits for open programs to save and close when you sign out or shut down.",
        root: "HKCU", key: desktop, value: "WaitToKillAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "20000"
    }, {
        id: "auto-reboot", category: "startup", kind: "toggle", takesEffect: "restart",
        title: "Restart automatically after a system failure",
        description: "Restarts the computer after a stop error instead of leaving the error on the screen. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: crash, value: "AutoReboot", type: "dword",
        on: 1, off: 0, dflt: 1
    }, {
        id: "service-timeout", category: "startup", kind: "range", takesEffect: "restart",
        title: "Time given to services to stop at shut-down (ms)",
        description: "How long Windows waits for its services to stop before it shuts down anyway. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: control, value: "WaitToKillServiceTimeout", type: "sz", min: 1000, max: 30000, dflt: "5000"
    }, {
        id: "crash-dump", category: "startup", kind: "choice", takesEffect: "restart",
        title: "Memory dump after a system failure",
        description: "What Windows writes to disk when it stops with an error, for finding the cause. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: crash, value: "CrashDumpEnabled", type: "dword", dflt: 7,
        choices: [
            { value: 0, label: "None" },
            { value: 3, label: "Small memory dump" },
            { value: 2, label: "Kernel memory dump" },
            { value: 1, label: "Complete memory dump" },
            { value: 7, label: "Automatic memory dump" }
        ]
    }, {
        id: "crash-log", category: "startup", kind: "toggle", takesEffect: "restart",
        title: "Write an event to the system log after a system failure",
        description: "Records each stop error in the system log of Event Viewer. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: crash, value: "LogEvent", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "restart-shell", category: "startup", kind: "toggle", takesEffect: "signout",
        title: "Restart the taskbar and desktop after they fail",
        description: "Starts Explorer again by itself when it ends unexpectedly, so that the taskbar comes back. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", value: "AutoRestartShell",
        type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "fast-startup", category: "startup", kind: "toggle", takesEffect: "now",
        title: "Fast start-up",
        description: "Keeps part of Windows on disk at shut-down, so that the computer starts faster. Turn it off when a shut-down must end everything, for example before changing hardware. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Power", value: "HiberbootEnabled",
        type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "clear-pagefile", category: "startup", kind: "toggle", takesEffect: "restart",
        title: "Clear the page file at shut-down",
        description: "Overwrites the page file, where Windows keeps memory contents on disk, each time the computer shuts down. Safer, but shutting down takes longer. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management",
        value: "ClearPageFileAtShutdown", type: "dword", on: 1, off: 0, dflt: 0
    });
}(TweakDefinitions));
