// Tweak definitions: colours, pictures and notes. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var themeFile = "https://learn.microsoft.com/en-us/windows/win32/controls/themesfileformat-overview";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    // Windows uses these colours with the classic and high-contrast themes; its standard theme draws its own.
    function color(id, value, dflt, title, description) {
        return {
            id: id, category: "personal", kind: "color", takesEffect: "signout", windows: win10,
            title: title, description: description + " Windows uses it with the classic and high-contrast themes.",
            source: themeFile,
            root: "HKCU", key: "Control Panel\\Colors", value: value, type: "sz", dflt: dflt
        };
    }
    defs.push(
        color("selection-color", "Hilight", "0 120 215", "Colour of selected items",
            "The background of selected text and items."),
        color("selected-text-color", "HilightText", "255 255 255", "Colour of selected text",
            "The text of selected items, on the colour of selected items."),
        color("desktop-color", "Background", "0 0 0", "Desktop background colour",
            "The colour shown behind the wallpaper, or instead of it when there is none."),
        color("window-color", "Window", "255 255 255", "Window background colour",
            "The background of text boxes, lists and documents."),
        color("window-text-color", "WindowText", "0 0 0", "Window text colour",
            "The text in text boxes, lists and documents."),
        color("tooltip-color", "InfoWindow", "255 255 225", "Tooltip background colour",
            "The background of the small tips that appear under the mouse pointer."),
        color("tooltip-text-color", "InfoText", "0 0 0", "Tooltip text colour",
            "The text of the small tips that appear under the mouse pointer."),
        color("disabled-text-color", "GrayText", "109 109 109", "Colour of unavailable items",
            "The text of menu items and buttons that cannot be used at the moment."),
        color("button-color", "ButtonFace", "240 240 240", "Button and dialog colour",
            "The face of buttons and the background of dialog boxes."),
        {
            id: "wallpaper", category: "personal", kind: "file", takesEffect: "signout", windows: win10,
            title: "Desktop wallpaper",
            description: "The picture on the desktop.",
            source: themeFile,
            root: "HKCU", key: desktop, value: "Wallpaper", type: "sz",
            typeDescr: "Pictures", typeExt: "*.bmp;*.jpg;*.jpeg;*.png",
            dflt: "C:\\Windows\\web\\wallpaper\\Windows\\img0.jpg"
        }, {
            id: "wallpaper-style", category: "personal", kind: "choice", takesEffect: "signout", windows: win10,
            title: "Fit of the wallpaper",
            description: "How a wallpaper picture of another shape than the screen is laid on the desktop. \"Centre\" centres the picture only while \"Tile the wallpaper\" is off; with it on, the picture is tiled.",
            source: themeFile,
            root: "HKCU", key: desktop, value: "WallpaperStyle", type: "sz", dflt: "10",
            choices: [
                { value: "10", label: "Fill" },
                { value: "6", label: "Fit" },
                { value: "2", label: "Stretch" },
                { value: "0", label: "Centre (or tile)" }
            ]
        }, {
            id: "tile-wallpaper", category: "personal", kind: "toggle", takesEffect: "signout", windows: win10,
            title: "Tile the wallpaper",
            description: "Repeats the wallpaper picture across the desktop. Acts only while the fit of the wallpaper is \"Centre\".",
            source: themeFile,
            root: "HKCU", key: desktop, value: "TileWallpaper", type: "sz", on: "1", off: "0", dflt: "0"
        },
        {
            id: "notes", category: "personal", kind: "list", takesEffect: "now", windows: win10,
            title: "Your notes",
            description: "A list of your own, kept by this program: what you changed, and why.",
            source: "https://learn.microsoft.com/en-us/windows/win32/sysinfo/predefined-keys",
            root: "HKCU", key: "SOFTWARE\\Lumivanta Manager\\Notes"
        }
    );
}(TweakDefinitions));
