// Tweak definitions: colours, pictures and folders. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var colors = "Control Panel\\Colors";
    defs.push({
        id: "selection-color", category: "personal", kind: "color",
        title: "Colour of selected items",
        description: "The background of selected text and items in classic controls. Takes effect at the next sign-in.",
        root: "HKCU", key: colors, value: "Hilight", type: "sz", dflt: "0 120 215"
    }, {
        id: "hot-tracking-color", category: "personal", kind: "color",
        title: "Colour of hot-tracked links",
        description: "The colour of a link or item under the mouse pointer. Takes effect at the next sign-in.",
        root: "HKCU", key: colors, value: "HotTrackingColor", type: "sz", dflt: "0 102 204"
    }, {
        id: "desktop-color", category: "personal", kind: "color",
        title: "Desktop background colour",
        description: "The colour shown behind the wallpaper, or instead of it when there is none. Takes effect at the next sign-in.",
        root: "HKCU", key: colors, value: "Background", type: "sz", dflt: "0 0 0"
    }, {
        id: "wallpaper", category: "personal", kind: "file",
        title: "Desktop wallpaper",
        description: "The picture on the desktop. Takes effect at the next sign-in.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "Wallpaper", type: "sz",
        typeDescr: "Pictures", typeExt: "*.bmp;*.jpg;*.jpeg;*.png",
        dflt: "C:\\Windows\\web\\wallpaper\\Windows\\img0.jpg"
    }, {
        id: "downloads-folder", category: "personal", kind: "folder",
        title: "Downloads folder",
        description: "Where browsers and other programs save downloads. Files already there are not moved. Takes effect at the next sign-in.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
        value: "{374DE290-123F-4565-9164-39C4925E467B}", type: "expand", dflt: "%USERPROFILE%\\Downloads"
    }, {
        id: "notes", category: "personal", kind: "list",
        title: "Your notes",
        description: "A list of your own, kept by this program: what you changed, and why.",
        root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Notes"
    });
}(TweakDefinitions));
