// Tweak definitions: taskbar and Start menu. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    defs.push({
        id: "app-launch-tracking", category: "taskbar", kind: "toggle", takesEffect: "signout",
        windows: { from: 10240, why: "Needs Windows 10 or later." },
        title: "Let Windows track app launches",
        description: "Lets Windows count which apps you start, to improve Start and search results with the ones you use most.",
        source: "https://learn.microsoft.com/en-us/windows/privacy/manage-connections-from-windows-operating-system-components-to-microsoft-services",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", value: "Start_TrackProgs",
        type: "dword", on: 1, off: 0, dflt: 1, dfltAbsent: true
    });
}(TweakDefinitions));
