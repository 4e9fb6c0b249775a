// Tweak definitions: File Explorer. Plain data read by the engine (engine.js) and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    defs.push({
        id: "file-extensions", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show file name extensions",
        description: "Shows the end of every file name, such as .txt or .exe, so that a program dressed up as a document gives itself away.",
        root: "HKCU", key: advanced, value: "HideFileExt", type: "dword", on: 0, off: 1, dflt: 1
    }, {
        id: "hidden-files", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show hidden files and folders",
        description: "Lists files and folders marked hidden, such as AppData in your profile.",
        root: "HKCU", key: advanced, value: "Hidden", type: "dword", on: 1, off: 2, dflt: 2
    }, {
        id: "system-files", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show protected operating system files",
        description: "Lists files that are both hidden and marked as system files, such as desktop.ini. Deleting them can harm Windows.",
        root: "HKCU", key: advanced, value: "ShowSuperHidden", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "full-path", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Display the full path in the title bar",
        description: "Shows C:\\Users\\You\\Documents instead of just Documents at the top of folder windows.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState",
        value: "FullPath", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "separate-process", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Launch folder windows in a separate process",
        description: "Runs each folder window apart from the taskbar and desktop, so that a crashing window leaves them alone. Uses a little more memory.",
        root: "HKCU", key: advanced, value: "SeparateProcess", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "info-tips", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show pop-up descriptions",
        description: "Shows a tip with size, type and date when the mouse rests on a file or folder.",
        root: "HKCU", key: advanced, value: "ShowInfoTip", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "check-boxes", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Select items with check boxes",
        description: "Puts a check box on each item, handy for picking several files with a touch screen or without holding Ctrl.",
        root: "HKCU", key: advanced, value: "AutoCheckSelect", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "icons-only", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Always show icons, never thumbnails",
        description: "Shows a file type icon instead of a small preview of pictures and videos, which makes large folders open faster.",
        root: "HKCU", key: advanced, value: "IconsOnly", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "empty-drives", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Hide empty drives",
        description: "Leaves card readers and other drives without a medium out of This PC.",
        root: "HKCU", key: advanced, value: "HideDrivesWithNoMedia", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "open-to", category: "explorer", kind: "choice", takesEffect: "explorer",
        title: "Open File Explorer to",
        description: "The place that a new File Explorer window shows first.",
        root: "HKCU", key: advanced, value: "LaunchTo", type: "dword", dflt: 2,
        choices: [
            { value: 1, label: "This PC" },
            { value: 2, label: "Quick access" },
            { value: 3, label: "Downloads" }
        ]
    }, {
        id: "status-bar", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show the status bar",
        description: "The line at the bottom of folder windows that counts the items and the selected ones.",
        root: "HKCU", key: advanced, value: "ShowStatusBar", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "compressed-color", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show encrypted or compressed files in colour",
        description: "Writes the names of compressed files in blue and of encrypted ones in green.",
        root: "HKCU", key: advanced, value: "ShowCompColor", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "type-overlay", category: "explorer", kind: "toggle", takesEffect: "explorer",
        title: "Show the file type icon on thumbnails",
        description: "Puts the small icon of the program that opens a file in the corner of its preview.",
        root: "HKCU", key: advanced, value: "ShowTypeOverlay", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "autoplay", category: "explorer", kind: "toggle", takesEffect: "now",
        title: "Use AutoPlay for all media and devices",
        description: "Asks what to do, or does it, when you plug in a USB stick, a phone or a memory card. Turn it off so that nothing starts by itself.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers",
        value: "DisableAutoplay", type: "dword", on: 0, off: 1, dflt: 0
    }, {
        id: "long-paths", category: "explorer", kind: "toggle", takesEffect: "restart",
        title: "Allow paths longer than 260 characters",
        description: "Lets programs that declare themselves ready use file paths of up to about 32,000 characters. A setting for the whole computer: changing it needs administrator rights.",
        root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\FileSystem", value: "LongPathsEnabled", type: "dword",
        on: 1, off: 0, dflt: 0
    });
}(TweakDefinitions));
