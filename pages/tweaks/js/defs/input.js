// Tweak definitions: mouse and keyboard. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var mouse = "Control Panel\\Mouse";
    var keyboard = "Control Panel\\Keyboard";
    var desktop = "Control Panel\\Desktop";
    var spiPage = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-systemparametersinfow";
    var maskPage = "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc957204(v=technet.10)";
    var win10 = { from: 10240, why: "Needs Windows 10 or later." };
    // A number kept as text and set through its SystemParametersInfo action.
    function number(id, spi, key, value, min, max, dflt, title, description) {
        return {
            id: id, category: "input", kind: "range", takesEffect: "now", windows: win10,
            title: title, description: description, spi: spi, source: spiPage,
            root: "HKCU", key: key, value: value, type: "sz", min: min, max: max, dflt: dflt
        };
    }
    // A pointer feature that SystemParametersInfo keeps among the user's preference bits; the
    // reference documents the action, not which bit holds it, so the whole value is recorded.
    function pointerFeature(id, spi, title, description) {
        return {
            id: id, category: "input", kind: "toggle", takesEffect: "now", windows: win10,
            title: title, description: description, spi: spi, source: spiPage,
            root: "HKCU", key: desktop, value: "UserPreferencesMask", type: "binary", dflt: false
        };
    }
    defs.push(
        number("double-click", "DOUBLECLICKTIME", mouse, "DoubleClickSpeed", 200, 900, "500", "Double-click speed (ms)",
            "The longest time between two clicks that still counts as a double-click."),
        number("hover-time", "MOUSEHOVERTIME", mouse, "MouseHoverTime", 10, 5000, "400", "Mouse hover time (ms)",
            "How long the pointer must rest on something before it counts as hovering, for tooltips and the like."),
        number("hover-width", "MOUSEHOVERWIDTH", mouse, "MouseHoverWidth", 1, 50, "4", "Hover area width (pixels)",
            "How far the pointer may move sideways and still count as resting on the same spot."),
        number("hover-height", "MOUSEHOVERHEIGHT", mouse, "MouseHoverHeight", 1, 50, "4", "Hover area height (pixels)",
            "How far the pointer may move up or down and still count as resting on the same spot."),
        {
            id: "snap-to-default", category: "input", kind: "toggle", takesEffect: "now", windows: win10,
            title: "Move the pointer to the default button",
            description: "Places the mouse pointer on the default button, such as OK, of every new dialog box.",
            spi: "SNAPTODEFBUTTON", source: spiPage,
            root: "HKCU", key: mouse, value: "SnapToDefaultButton", type: "sz", on: "1", off: "0", dflt: "0"
        },
        number("wheel-lines", "WHEELSCROLLLINES", desktop, "WheelScrollLines", 1, 100, "3", "Lines to scroll per wheel notch",
            "How far one notch of the mouse wheel scrolls a document."),
        number("wheel-chars", "WHEELSCROLLCHARS", desktop, "WheelScrollChars", 1, 100, "3",
            "Characters to scroll per sideways wheel tilt", "How far one tilt of the mouse wheel to the side scrolls a document."),
        number("repeat-delay", "KEYBOARDDELAY", keyboard, "KeyboardDelay", 0, 3, "1", "Keyboard repeat delay",
            "How long a key must be held before it repeats, from 0 (about 250 ms) to 3 (about 1 second)."),
        number("repeat-rate", "KEYBOARDSPEED", keyboard, "KeyboardSpeed", 0, 31, "31", "Keyboard repeat rate",
            "How fast a held key repeats, from 0 (about 2.5 per second) to 31 (about 30 per second)."),
        number("pointer-speed", "MOUSESPEED", mouse, "MouseSensitivity", 1, 20, "10", "Pointer speed",
            "How far the pointer moves for a movement of the mouse, from 1 (slowest) to 20 (fastest); 10 is the default."),
        {
            id: "hover-activates", category: "input", kind: "toggle", takesEffect: "now", windows: win10,
            title: "Activate a window by hovering over it",
            description: "Activates the window under the mouse pointer without a click, after the delay below.",
            spi: "ACTIVEWINDOWTRACKING", source: maskPage,
            root: "HKCU", key: desktop, value: "UserPreferencesMask", type: "binary", bit: { "byte": 0, mask: 1 },
            dflt: false
        }, {
            id: "hover-activates-raise", category: "input", kind: "toggle", takesEffect: "now", windows: win10,
            title: "Bring a window activated by hovering to the front",
            description: "Also raises the window that hovering activates above the others. Acts only while \"Activate a window by hovering over it\" is on.",
            spi: "ACTIVEWNDTRKZORDER", source: maskPage,
            root: "HKCU", key: desktop, value: "UserPreferencesMask", type: "binary", bit: { "byte": 0, mask: 64 },
            dflt: false
        }, {
            id: "hover-activates-delay", category: "input", kind: "range", takesEffect: "signout", windows: win10,
            title: "Delay before hovering activates a window (ms)",
            description: "How long the pointer must rest on a window before hovering activates it. Acts only while \"Activate a window by hovering over it\" is on.",
            source: "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc957203(v=technet.10)",
            root: "HKCU", key: desktop, value: "ActiveWndTrkTimeout", type: "dword", min: 0, max: 5000, dfltAbsent: true
        },
        {
            id: "pointer-precision", category: "input", kind: "toggle", takesEffect: "now", windows: win10,
            title: "Enhance pointer precision",
            description: "Mouse acceleration: the pointer moves twice as far while the mouse moves faster than a threshold, so that slow movements place it precisely and fast ones cross the screen. Turned off, the pointer moves in proportion to the mouse, however fast.",
            caution: "Turned on here, the pointer speeds up at the first threshold only; a stronger acceleration set by another program, which speeds it up again at the second, reads as off and is replaced.",
            spi: "MOUSE.ACCELERATION",
            source: "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/cc978664(v=technet.10)",
            root: "HKCU", key: mouse, value: "MouseSpeed", type: "sz", on: "1", off: "0", dflt: "1"
        },
        pointerFeature("click-lock", "MOUSECLICKLOCK", "ClickLock",
            "Holding the primary mouse button down for a moment locks it, so that you can drag without holding it; the next click releases it."),
        pointerFeature("mouse-sonar", "MOUSESONAR", "Show the pointer's location when Ctrl is pressed",
            "Draws circles around the pointer when you press and release the Ctrl key, so that you can find it."),
        pointerFeature("mouse-vanish", "MOUSEVANISH", "Hide the pointer while typing",
            "Hides the mouse pointer while you type; it comes back when you move the mouse."),
        {
            id: "language-hotkey", category: "input", kind: "choice", takesEffect: "signout", windows: win10,
            title: "Keys that switch the input language",
            description: "The keyboard shortcut that moves to the next input language.",
            source: spiPage,
            root: "HKCU", key: "Keyboard Layout\\Toggle", value: "Hotkey", type: "sz", dflt: "1",
            choices: [
                { value: "1", label: "Left Alt + Shift" },
                { value: "2", label: "Ctrl + Shift" },
                { value: "4", label: "Grave accent (`), only with Thai as the default input language" },
                { value: "3", label: "None" }
            ]
        }
    );
}(TweakDefinitions));
