// Tweak definitions: desktop, menus and visual effects. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    defs.push({
        id: "menu-delay", category: "desktop", kind: "range",
        title: "Menu show delay (ms)",
        description: "How long the mouse must rest on a menu item before its submenu opens. Smaller feels snappier. Takes effect at the next sign-in.",
        root: "HKCU", key: desktop, value: "MenuShowDelay", type: "sz", min: 0, max: 4000, dflt: "400"
    }, {
        id: "drag-full-windows", category: "desktop", kind: "toggle",
        title: "Show window contents while dragging",
        description: "Moves the whole window with the mouse instead of an outline.",
        root: "HKCU", key: desktop, value: "DragFullWindows", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "font-smoothing", category: "desktop", kind: "toggle",
        title: "Smooth edges of screen fonts",
        description: "Softens the jagged edges of text on the screen.",
        root: "HKCU", key: desktop, value: "FontSmoothing", type: "sz", on: "2", off: "0", dflt: "2"
    }, {
        id: "animate-windows", category: "desktop", kind: "toggle",
        title: "Animate windows when minimising and maximising",
        description: "Lets windows glide to and from the taskbar.",
        root: "HKCU", key: desktop + "\\WindowMetrics", value: "MinAnimate", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "selection-rectangle", category: "desktop", kind: "toggle",
        title: "Show a translucent selection rectangle",
        description: "Draws the rectangle that you drag to select icons as a tinted area instead of a dotted outline.",
        root: "HKCU", key: advanced, value: "ListviewAlphaSelect", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "label-shadows", category: "desktop", kind: "toggle",
        title: "Use drop shadows for icon labels on the desktop",
        description: "Keeps the names of desktop icons readable on any wallpaper.",
        root: "HKCU", key: advanced, value: "ListviewShadow", type: "dword", on: 1, off: 0, dflt: 1
    }, {
        id: "desktop-version", category: "desktop", kind: "toggle",
        title: "Show the Windows version on the desktop",
        description: "Writes the Windows edition and build in the lower right corner of the desktop. Takes effect at the next sign-in.",
        root: "HKCU", key: desktop, value: "PaintDesktopVersion", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "cursor-blink", category: "desktop", kind: "range",
        title: "Text cursor blink rate (ms)",
        description: "The time between two blinks of the text cursor; larger blinks slower.",
        root: "HKCU", key: desktop, value: "CursorBlinkRate", type: "sz", min: 200, max: 1200, dflt: "530"
    });
}(TweakDefinitions));
