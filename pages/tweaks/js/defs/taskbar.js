// Tweak definitions: taskbar and Start menu. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    defs.push({
        id: "small-buttons", category: "taskbar", kind: "toggle", takesEffect: "explorer",
        title: "Use small taskbar buttons",
        description: "Makes the taskbar thinner, leaving more room for windows.",
        root: "HKCU", key: advanced, value: "TaskbarSmallIcons", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "combine-buttons", category: "taskbar", kind: "choice", takesEffect: "explorer",
        title: "Combine taskbar buttons",
        description: "Whether the windows of one program share a single taskbar button.",
        root: "HKCU", key: advanced, value: "TaskbarGlomLevel", type: "dword", dflt: 0,
        choices: [
            { value: 0, label: "Always, hide labels" },
            { value: 1, label: "When the taskbar is full" },
            { value: 2, label: "Never" }
        ]
    }, {
        id: "task-view", category: "taskbar", kind: "toggle", takesEffect: "explorer",
        title: "Show the Task View button",
        description: "The button beside the search box that shows all open windows and desktops.",
        root: "HKCU", key: advanced, value: "ShowTaskViewButton", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "recent-items", category: "taskbar", kind: "toggle", takesEffect: "explorer",
        title: "Show recently opened items",
        description: "Lists recent documents in Start, in jump lists and in Quick access. Turn it off to keep them private.",
        root: "HKCU", key: advanced, value: "Start_TrackDocs", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "taskbar-animations", category: "taskbar", kind: "toggle", takesEffect: "explorer",
        title: "Animate the taskbar",
        description: "Lets taskbar buttons slide and fade when windows open and close.",
        root: "HKCU", key: advanced, value: "TaskbarAnimations", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "clock-seconds", category: "taskbar", kind: "toggle", takesEffect: "explorer",
        title: "Show seconds in the taskbar clock",
        description: "Adds seconds to the time in the notification area.",
        root: "HKCU", key: advanced, value: "ShowSecondsInSystemClock", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "preview-delay", category: "taskbar", kind: "range", takesEffect: "explorer",
        title: "Delay before window previews (ms)",
        description: "How long the mouse must rest on a taskbar button before the small window previews appear.",
        root: "HKCU", key: advanced, value: "ExtendedUIHoverTime", type: "dword", min: 0, max: 5000, dflt: 400
    });
}(TweakDefinitions));
