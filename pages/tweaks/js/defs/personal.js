// Tweak definitions: colours, pictures and folders. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var colors = "Control Panel\\Colors";
    var shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    defs.push({
        id: "selection-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Colour of selected items",
        description: "The background of selected text and items in classic controls.",
        root: "HKCU", key: colors, value: "Hilight", type: "sz", dflt: "0 120 215"
    }, {
        id: "hot-tracking-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Colour of hot-tracked links",
        description: "The colour of a link or item under the mouse pointer.",
        root: "HKCU", key: colors, value: "HotTrackingColor", type: "sz", dflt: "0 102 204"
    }, {
        id: "desktop-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Desktop background colour",
        description: "The colour shown behind the wallpaper, or instead of it when there is none.",
        root: "HKCU", key: colors, value: "Background", type: "sz", dflt: "0 0 0"
    }, {
        id: "wallpaper", category: "personal", kind: "file", takesEffect: "signout",
        title: "Desktop wallpaper",
        description: "The picture on the desktop.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "Wallpaper", type: "sz",
        typeDescr: "Pictures", typeExt: "*.bmp;*.jpg;*.jpeg;*.png",
        dflt: "C:\\Windows\\web\\wallpaper\\Windows\\img0.jpg"
    }, {
        id: "downloads-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Downloads folder",
        description: "Where browsers and other programs save downloads. Files already there are not moved.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
        value: "{374DE290-123F-4565-9164-39C4925E467B}", type: "expand", dflt: "%USERPROFILE%\\Downloads"
    }, {
        id: "notes", category: "personal", kind: "list", takesEffect: "now",
        title: "Your notes",
        description: "A list of your own, kept by this program: what you changed, and why.",
        root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Notes"
    }, {
        id: "selected-text-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Colour of selected text",
        description: "The text of selected items, on the colour of selected items.",
        root: "HKCU", key: colors, value: "HilightText", type: "sz", dflt: "255 255 255"
    }, {
        id: "window-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Window background colour",
        description: "The background of text boxes, lists and documents in classic controls.",
        root: "HKCU", key: colors, value: "Window", type: "sz", dflt: "255 255 255"
    }, {
        id: "window-text-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Window text colour",
        description: "The text in text boxes, lists and documents in classic controls.",
        root: "HKCU", key: colors, value: "WindowText", type: "sz", dflt: "0 0 0"
    }, {
        id: "tooltip-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Tooltip background colour",
        description: "The background of the small tips that appear under the mouse pointer.",
        root: "HKCU", key: colors, value: "InfoWindow", type: "sz", dflt: "255 255 225"
    }, {
        id: "tooltip-text-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Tooltip text colour",
        description: "The text of the small tips that appear under the mouse pointer.",
        root: "HKCU", key: colors, value: "InfoText", type: "sz", dflt: "0 0 0"
    }, {
        id: "disabled-text-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Colour of unavailable items",
        description: "The text of menu items and buttons that cannot be used at the moment.",
        root: "HKCU", key: colors, value: "GrayText", type: "sz", dflt: "109 109 109"
    }, {
        id: "menu-highlight-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Colour of the chosen menu item",
        description: "The background of the menu item under the mouse pointer in flat menus.",
        root: "HKCU", key: colors, value: "MenuHilight", type: "sz", dflt: "0 120 215"
    }, {
        id: "button-color", category: "personal", kind: "color", takesEffect: "signout",
        title: "Button and dialog colour",
        description: "The face of buttons and the background of dialog boxes in classic controls.",
        root: "HKCU", key: colors, value: "ButtonFace", type: "sz", dflt: "240 240 240"
    }, {
        id: "wallpaper-style", category: "personal", kind: "choice", takesEffect: "signout",
        title: "Fit of the wallpaper",
        description: "How a wallpaper picture of another shape than the screen is laid on the desktop.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "WallpaperStyle", type: "sz", dflt: "10",
        choices: [
            { value: "10", label: "Fill" },
            { value: "6", label: "Fit" },
            { value: "2", label: "Stretch" },
            { value: "0", label: "Centre" },
            { value: "22", label: "Span" }
        ]
    }, {
        id: "documents-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Documents folder",
        description: "Where programs save documents unless told otherwise. Files already there are not moved.",
        root: "HKCU", key: shellFolders, value: "Personal", type: "expand", dflt: "%USERPROFILE%\\Documents"
    }, {
        id: "pictures-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Pictures folder",
        description: "Where the camera import, screenshots and picture programs save pictures. Files already there are not moved.",
        root: "HKCU", key: shellFolders, value: "My Pictures", type: "expand", dflt: "%USERPROFILE%\\Pictures"
    }, {
        id: "music-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Music folder",
        description: "Where music programs keep and look for music. Files already there are not moved.",
        root: "HKCU", key: shellFolders, value: "My Music", type: "expand", dflt: "%USERPROFILE%\\Music"
    }, {
        id: "videos-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Videos folder",
        description: "Where video programs keep and look for videos. Files already there are not moved.",
        root: "HKCU", key: shellFolders, value: "My Video", type: "expand", dflt: "%USERPROFILE%\\Videos"
    }, {
        id: "desktop-folder", category: "personal", kind: "folder", takesEffect: "signout",
        title: "Desktop folder",
        description: "The folder whose files and shortcuts the desktop shows. Files already there are not moved.",
        root: "HKCU", key: shellFolders, value: "Desktop", type: "expand", dflt: "%USERPROFILE%\\Desktop"
    });
}(TweakDefinitions));
