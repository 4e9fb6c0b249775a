// Tweak definitions: desktop, windows, menus and visual effects. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var desktop = "Control Panel\\Desktop";
    var spiPage = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-systemparametersinfow";
    var maskPage = "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc957204(v=technet.10)";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    // An effect kept in one bit of UserPreferencesMask and set through its SystemParametersInfo action.
    // "byte" is quoted: ES3 reserves the word.
    function effect(id, spi, index, mask, title, description) {
        return {
            id: id, category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
            title: title, description: description, spi: spi, source: maskPage,
            root: "HKCU", key: desktop, value: "UserPreferencesMask", type: "binary",
            bit: { "byte": index, mask: mask }, dflt: true
        };
    }
    // A yes/no kept as "1"/"0" text and set through its SystemParametersInfo action.
    function switchText(id, spi, key, value, title, description) {
        return {
            id: id, category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
            title: title, description: description, spi: spi, source: spiPage,
            root: "HKCU", key: key, value: value, type: "sz", on: "1", off: "0", dflt: "1"
        };
    }
    defs.push({
        id: "menu-delay", category: "desktop", kind: "range", takesEffect: "now", windows: win10,
        title: "Menu show delay (ms)",
        description: "How long the mouse must rest on a menu item before its submenu opens. Smaller feels snappier.",
        spi: "MENUSHOWDELAY", source: spiPage,
        root: "HKCU", key: desktop, value: "MenuShowDelay", type: "sz", min: 0, max: 4000, dflt: "400"
    },
    switchText("drag-full-windows", "DRAGFULLWINDOWS", desktop, "DragFullWindows", "Show window contents while dragging",
        "Moves and sizes the whole window with the mouse instead of an outline."),
    {
        id: "font-smoothing", category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
        title: "Smooth edges of screen fonts",
        description: "Softens the jagged edges of text on the screen by drawing their pixels in shades of grey.",
        spi: "FONTSMOOTHING", source: spiPage,
        root: "HKCU", key: desktop, value: "FontSmoothing", type: "sz", on: "2", off: "0", dflt: "2"
    }, {
        id: "cleartype", category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
        title: "Use ClearType for screen fonts",
        description: "Smooths text with the coloured sub-pixels of a flat screen, which makes it sharper there. Turned off, fonts are smoothed in grey. Acts only while font smoothing is on.",
        spi: "FONTSMOOTHINGTYPE", source: spiPage,
        root: "HKCU", key: desktop, value: "FontSmoothingType", type: "dword", on: 2, off: 1, dflt: 2
    }, {
        id: "cleartype-contrast", category: "desktop", kind: "range", takesEffect: "now", windows: win10,
        title: "ClearType contrast",
        description: "How dark ClearType draws text, from 1000 to 2200; 1400 is the default. Acts only while ClearType is on.",
        spi: "FONTSMOOTHINGCONTRAST", source: spiPage,
        root: "HKCU", key: desktop, value: "FontSmoothingGamma", type: "dword", min: 1000, max: 2200, dflt: 1400
    }, {
        id: "animate-windows", category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
        title: "Animate windows when minimising and maximising",
        description: "Lets windows glide to and from the taskbar.",
        spi: "ANIMATION.iMinAnimate", source: "https://learn.microsoft.com/en-us/windows/win32/api/winuser/ns-winuser-animationinfo",
        root: "HKCU", key: desktop + "\\WindowMetrics", value: "MinAnimate", type: "sz", on: "1", off: "0", dflt: "1"
    },
    switchText("snap-windows", "WINARRANGING", desktop, "WindowArrangementActive", "Arrange windows by dragging them",
        "Lets Windows size a window for you when you drag it to an edge or a corner of the screen or size it to the top or bottom. Turned off, the three settings below do nothing."),
    switchText("dock-moving", "DOCKMOVING", desktop, "DockMoving", "Snap a window dragged to an edge",
        "Docks a window when you drag it to the top, left or right edge of the screen: it fills that half or all of the screen. Needs \"Arrange windows by dragging them\"."),
    switchText("drag-from-maximize", "DRAGFROMMAXIMIZE", desktop, "DragFromMaximize",
        "Restore a maximised window by dragging its title bar",
        "Gives a maximised window back its former size when you drag it away by its title bar. Needs \"Arrange windows by dragging them\"."),
    switchText("snap-sizing", "SNAPSIZING", desktop, "SnapSizing", "Stretch windows to the full height",
        "Makes a window as tall as the screen when you drag its top or bottom edge to the edge of the screen. Needs \"Arrange windows by dragging them\"."),
    switchText("icon-title-wrap", "ICONTITLEWRAP", desktop + "\\WindowMetrics", "IconTitleWrap", "Wrap long icon names",
        "Shows a long name under an icon on several lines instead of cutting it short."),
    {
        id: "flash-count", category: "desktop", kind: "range", takesEffect: "now", windows: win10,
        title: "Flashes of a taskbar button when a program may not come to the front",
        description: "When a program in the background asks to be brought to the front and Windows refuses, its taskbar button flashes this many times instead. Other flashing, which programs ask for themselves, is not affected.",
        spi: "FOREGROUNDFLASHCOUNT", source: spiPage,
        root: "HKCU", key: desktop, value: "ForegroundFlashCount", type: "dword", min: 0, max: 20, dflt: 7
    },
    effect("menu-animation", "MENUANIMATION", 0, 2, "Animate menus",
        "Lets menus fade or slide into view."),
    effect("combo-box-animation", "COMBOBOXANIMATION", 0, 4, "Slide open drop-down lists",
        "Lets the list of a drop-down box slide open instead of appearing at once."),
    effect("listbox-smooth-scrolling", "LISTBOXSMOOTHSCROLLING", 0, 8, "Smooth-scroll list boxes",
        "Scrolls lists gradually instead of in jumps."),
    effect("menu-fade", "MENUFADE", 1, 2, "Fade menus instead of sliding them",
        "Lets menus fade into view; turned off, they slide. Acts only while menus are animated."),
    effect("selection-fade", "SELECTIONFADE", 1, 4, "Fade out menu items after clicking",
        "Leaves the chosen menu item on the screen briefly, fading out, after the menu closes."),
    effect("tooltip-animation", "TOOLTIPANIMATION", 1, 8, "Animate tooltips",
        "Lets tooltips fade or slide into view."),
    effect("tooltip-fade", "TOOLTIPFADE", 1, 16, "Fade tooltips instead of sliding them",
        "Lets tooltips fade into view; turned off, they slide. Acts only while tooltips are animated."),
    effect("cursor-shadow", "CURSORSHADOW", 1, 32, "Show a shadow under the mouse pointer",
        "Draws a soft shadow under the pointer, which makes it easier to see on a light background."),
    effect("ui-effects", "UIEFFECTS", 3, 128, "User interface effects",
        "The main switch of the menu, list, tooltip and pointer effects above. Turned off, all of them are off, whatever their own switches say."),
    {
        id: "screen-saver-active", category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
        title: "Use the screen saver",
        description: "Starts the chosen screen saver after the waiting time below. Does nothing while no screen saver is chosen in Windows' screen saver settings.",
        spi: "SCREENSAVEACTIVE", source: spiPage,
        root: "HKCU", key: desktop, value: "ScreenSaveActive", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "screen-saver-timeout", category: "desktop", kind: "range", takesEffect: "now", windows: win10,
        title: "Wait before the screen saver starts (seconds)",
        description: "How long the computer must be idle before the screen saver starts.",
        spi: "SCREENSAVETIMEOUT", source: spiPage,
        root: "HKCU", key: desktop, value: "ScreenSaveTimeOut", type: "sz", min: 60, max: 86400, dflt: "900"
    }, {
        id: "screen-saver-password", category: "desktop", kind: "toggle", takesEffect: "now", windows: win10,
        title: "On resume, display the sign-in screen",
        description: "Asks for your password when the screen saver ends, so that nobody can use your session while you are away.",
        spi: "SCREENSAVESECURE", source: spiPage,
        root: "HKCU", key: desktop, value: "ScreenSaverIsSecure", type: "sz", on: "1", off: "0", dflt: "0"
    });
}(TweakDefinitions));
