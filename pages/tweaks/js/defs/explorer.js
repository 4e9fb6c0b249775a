// Tweak definitions: File Explorer. Plain data read by the engine (engine.js) and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    // The registry values behind the Folder Options dialog, as Group Policy preferences write them.
    var folderOptions = "https://learn.microsoft.com/en-us/openspecs/windows_protocols/ms-gppref/a6ca3a17-1971-4b22-bf3b-e1a5d5c50fca";
    var folderOptionsXp = "https://msdn.microsoft.com/en-us/library/cc422937.aspx";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    function option(id, value, on, off, dflt, source, title, description) {
        return {
            id: id, category: "explorer", kind: "toggle", takesEffect: "explorer", windows: win10,
            title: title, description: description, source: source,
            root: "HKCU", key: advanced, value: value, type: "dword", on: on, off: off, dflt: dflt
        };
    }
    defs.push(
        option("file-extensions", "HideFileExt", 0, 1, 1, folderOptions, "Show file name extensions",
            "Shows the end of every file name, such as .txt or .exe, so that a program dressed up as a document gives itself away."),
        option("hidden-files", "Hidden", 1, 2, 2, folderOptions, "Show hidden files and folders",
            "Lists files and folders marked hidden, such as AppData in your profile."),
        option("system-files", "ShowSuperHidden", 1, 0, 0, folderOptions, "Show protected operating system files",
            "Lists files that are both hidden and marked as system files, such as desktop.ini. Deleting or moving them can harm Windows."),
        {
            id: "full-path", category: "explorer", kind: "toggle", takesEffect: "explorer", windows: win10,
            title: "Display the full path in the title bar",
            description: "Shows C:\\Users\\You\\Documents instead of just Documents at the top of folder windows.",
            source: folderOptionsXp,
            root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState",
            value: "FullPath", type: "dword", on: 1, off: 0, dflt: 0
        },
        option("separate-process", "SeparateProcess", 1, 0, 0, folderOptions, "Launch folder windows in a separate process",
            "Runs folder windows apart from the taskbar and desktop, so that a crashing window leaves them alone. Uses a little more memory."),
        option("info-tips", "ShowInfoTip", 1, 0, 1, folderOptionsXp, "Show pop-up descriptions",
            "Shows a tip with details when the mouse rests on a file or folder."),
        option("file-size-tips", "FolderContentsInfoTip", 1, 0, 1, folderOptions, "Show file size in folder tips",
            "Adds the size of a folder's contents to the tip shown when the mouse rests on a folder."),
        option("icons-only", "IconsOnly", 1, 0, 0, folderOptions, "Always show icons, never thumbnails",
            "Shows a file type icon instead of a small preview of pictures and videos, which makes large folders open faster."),
        option("type-overlay", "ShowTypeOverlay", 1, 0, 1, folderOptions, "Show the file type icon on thumbnails",
            "Puts the small icon of the program that opens a file in the corner of its preview."),
        option("preview-handlers", "ShowPreviewHandlers", 1, 0, 1, folderOptions, "Show preview handlers in the preview pane",
            "Lets the preview pane show the contents of documents through the previewers that programs install. Turned off, it shows no contents."),
        option("compressed-color", "ShowCompColor", 1, 0, 1, folderOptionsXp, "Show encrypted or compressed files in colour",
            "Writes the names of compressed files in blue and of encrypted ones in green."),
        option("sharing-wizard", "SharingWizardOn", 1, 0, 1, folderOptions, "Use the Sharing Wizard",
            "Offers the simple sharing dialog when you share a folder. Turned off, the full permissions dialog opens instead."),
        {
            id: "long-paths", category: "explorer", kind: "toggle", takesEffect: "restart",
            windows: { from: 14393, why: "Needs Windows 10 version 1607 or later." },
            title: "Allow paths longer than 260 characters",
            description: "Lets programs that declare themselves ready use file paths of up to about 32,000 characters; other programs keep the old limit. A setting for the whole computer: changing it needs administrator rights.",
            source: "https://learn.microsoft.com/en-us/windows/win32/fileio/maximum-file-path-limitation",
            root: "HKLM", key: "SYSTEM\\CurrentControlSet\\Control\\FileSystem", value: "LongPathsEnabled", type: "dword",
            on: 1, off: 0, dflt: 0
        }
    );
}(TweakDefinitions));
