// Tweak definitions: desktop, menus and visual effects. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    var personalize = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    defs.push({
        id: "menu-delay", category: "desktop", kind: "range", takesEffect: "signout",
        title: "Menu show delay (ms)",
        description: "How long the mouse must rest on a menu item before its submenu opens. Smaller feels snappier.",
        root: "HKCU", key: desktop, value: "MenuShowDelay", type: "sz", min: 0, max: 4000, dflt: "400"
    }, {
        id: "drag-full-windows", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Show window contents while dragging",
        description: "Moves the whole window with the mouse instead of an outline.",
        root: "HKCU", key: desktop, value: "DragFullWindows", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "font-smoothing", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Smooth edges of screen fonts",
        description: "Softens the jagged edges of text on the screen.",
        root: "HKCU", key: desktop, value: "FontSmoothing", type: "sz", on: "2", off: "0", dflt: "2"
    }, {
        id: "animate-windows", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Animate windows when minimising and maximising",
        description: "Lets windows glide to and from the taskbar.",
        root: "HKCU", key: desktop + "\\WindowMetrics", value: "MinAnimate", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "selection-rectangle", category: "desktop", kind: "toggle", takesEffect: "explorer",
        title: "Show a translucent selection rectangle",
        description: "Draws the rectangle that you drag to select icons as a tinted area instead of a dotted outline.",
        root: "HKCU", key: advanced, value: "ListviewAlphaSelect", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "label-shadows", category: "desktop", kind: "toggle", takesEffect: "explorer",
        title: "Use drop shadows for icon labels on the desktop",
        description: "Keeps the names of desktop icons readable on any wallpaper.",
        root: "HKCU", key: advanced, value: "ListviewShadow", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "desktop-version", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Show the Windows version on the desktop",
        description: "Writes the Windows edition and build in the lower right corner of the desktop.",
        root: "HKCU", key: desktop, value: "PaintDesktopVersion", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "cursor-blink", category: "desktop", kind: "range", takesEffect: "signout",
        title: "Text cursor blink rate (ms)",
        description: "The time between two blinks of the text cursor; larger blinks slower.",
        root: "HKCU", key: desktop, value: "CursorBlinkRate", type: "sz", min: 200, max: 1200, dflt: "530"
    }, {
        id: "desktop-icons", category: "desktop", kind: "toggle", takesEffect: "explorer",
        title: "Show desktop icons",
        description: "Shows the files, folders and shortcuts that lie on the desktop. Turned off, the desktop shows only the wallpaper.",
        root: "HKCU", key: advanced, value: "HideIcons", type: "dword", on: 0, off: 1, dflt: 0
    }, {
        id: "cleartype", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Use ClearType for screen fonts",
        description: "Smooths text with the coloured sub-pixels of a flat screen, which makes it sharper there. Turned off, fonts are smoothed in grey.",
        root: "HKCU", key: desktop, value: "FontSmoothingType", type: "dword", on: 2, off: 1, dflt: 2
    }, {
        id: "snap-windows", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Snap windows",
        description: "Arranges a window to fill half or all of the screen when you drag it to an edge or a corner.",
        root: "HKCU", key: desktop, value: "WindowArrangementActive", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "snap-sizing", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Stretch windows to the full height",
        description: "Makes a window as tall as the screen when you drag its top or bottom edge to the edge of the screen.",
        root: "HKCU", key: desktop, value: "SnapSizing", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "dock-moving", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Restore a snapped window by dragging it",
        description: "Gives a window snapped to an edge back its former size when you drag it away.",
        root: "HKCU", key: desktop, value: "DockMoving", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "icon-title-wrap", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Wrap long icon names",
        description: "Shows a long name under a desktop icon on several lines instead of cutting it short.",
        root: "HKCU", key: desktop + "\\WindowMetrics", value: "IconTitleWrap", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "flash-count", category: "desktop", kind: "range", takesEffect: "signout",
        title: "Flashes of a taskbar button that wants attention",
        description: "How often the taskbar button of a program in the background flashes when the program needs you; 0 keeps it lit without flashing.",
        root: "HKCU", key: desktop, value: "ForegroundFlashCount", type: "dword", min: 0, max: 20, dflt: 7
    }, {
        id: "dark-apps", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Dark mode for apps",
        description: "Draws Settings, File Explorer and the apps that follow Windows in dark colours.",
        root: "HKCU", key: personalize, value: "AppsUseLightTheme", type: "dword", on: 0, off: 1, dflt: 1
    }, {
        id: "transparency", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Transparency effects",
        description: "Lets the wallpaper shine through Start, the taskbar and the notification centre.",
        root: "HKCU", key: personalize, value: "EnableTransparency", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "accent-taskbar", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Show the accent colour on Start and the taskbar",
        description: "Paints Start, the taskbar and the notification centre in your accent colour instead of grey.",
        root: "HKCU", key: personalize, value: "ColorPrevalence", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "accent-title-bars", category: "desktop", kind: "toggle", takesEffect: "signout",
        title: "Show the accent colour on title bars",
        description: "Paints the title bar of the active window in your accent colour instead of white.",
        root: "HKCU", key: "Software\\Microsoft\\Windows\\DWM", value: "ColorPrevalence", type: "dword",
        on: 1, off: 0, dflt: 0
    });
}(TweakDefinitions));
