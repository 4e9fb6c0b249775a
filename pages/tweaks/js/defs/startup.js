// Tweak definitions: start-up and shut-down. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    defs.push({
        id: "run-entries", category: "startup", kind: "entries",
        title: "Programs started at logon",
        description: "The programs that Windows starts for you alone each time you sign in. Removing an entry does not uninstall the program.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
    }, {
        id: "auto-end-tasks", category: "startup", kind: "toggle",
        title: "End programs that do not respond at shut-down",
        description: "Closes hanging programs by itself instead of waiting for you when you sign out or shut down. Unsaved work in them is lost.",
        root: "HKCU", key: desktop, value: "AutoEndTasks", type: "sz", on: "1", off: "0", dflt: "0"
    }, {
        id: "hung-app-timeout", category: "startup", kind: "range",
        title: "Time before a program counts as not responding (ms)",
        description: "How long Windows waits for a program to answer before it calls it not responding.",
        root: "HKCU", key: desktop, value: "HungAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "5000"
    }, {
        id: "wait-to-kill", category: "startup", kind: "range",
        title: "Time given to programs to close at shut-down (ms)",
        description: "How long Windows waits for open programs to save and close when you sign out or shut down.",
        root: "HKCU", key: desktop, value: "WaitToKillAppTimeout", type: "sz", min: 1000, max: 30000, dflt: "20000"
    }, {
        id: "auto-reboot", category: "startup", kind: "toggle",
        title: "Restart automatically after a system failure",
        description: "Restarts the computer after a stop error instead of leaving the error on the screen. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\CrashControl", value: "AutoReboot", type: "dword",
        on: 1, off: 0, dflt: 1
    });
}(TweakDefinitions));
