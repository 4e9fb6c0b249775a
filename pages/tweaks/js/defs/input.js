// Tweak definitions: mouse and keyboard. Plain data read by the engine and the page.
var TweakDefinitions = TweakDefinitions || [];
(function (defs) {
    var mouse = "Control Panel\\Mouse";
    var keyboard = "Control Panel\\Keyboard";
    defs.push({
        id: "double-click", category: "input", kind: "range", takesEffect: "signout",
        title: "Double-click speed (ms)",
        description: "The longest time between two clicks that still counts as a double-click.",
        root: "HKCU", key: mouse, value: "DoubleClickSpeed", type: "sz", min: 200, max: 900, dflt: "500"
    }, {
        id: "hover-time", category: "input", kind: "range", takesEffect: "signout",
        title: "Mouse hover time (ms)",
        description: "How long the pointer must rest on something before it counts as hovering, for tooltips and the like.",
        root: "HKCU", key: mouse, value: "MouseHoverTime", type: "sz", min: 10, max: 5000, dflt: "400"
    }, {
        id: "snap-to-default", category: "input", kind: "toggle", takesEffect: "signout",
        title: "Move the pointer to the default button",
        description: "Places the mouse pointer on the default button of every new dialog box.",
        root: "HKCU", key: mouse, value: "SnapToDefaultButton", type: "sz", on: "1", off: "0", dflt: "0"
    }, {
        id: "wheel-lines", category: "input", kind: "range", takesEffect: "signout",
        title: "Lines to scroll per wheel notch",
        description: "How far one notch of the mouse wheel scrolls a document.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "WheelScrollLines", type: "sz", min: 1, max: 100, dflt: "3"
    }, {
        id: "repeat-delay", category: "input", kind: "range", takesEffect: "signout",
        title: "Keyboard repeat delay",
        description: "How long a key must be held before it repeats, from 0 (about 250 ms) to 3 (about 1 second).",
        root: "HKCU", key: keyboard, value: "KeyboardDelay", type: "sz", min: 0, max: 3, dflt: "1"
    }, {
        id: "repeat-rate", category: "input", kind: "range", takesEffect: "signout",
        title: "Keyboard repeat rate",
        description: "How fast a held key repeats, from 0 (about 2 per second) to 31 (about 30 per second).",
        root: "HKCU", key: keyboard, value: "KeyboardSpeed", type: "sz", min: 0, max: 31, dflt: "31"
    }, {
        id: "pointer-speed", category: "input", kind: "range", takesEffect: "signout",
        title: "Pointer speed",
        description: "How far the pointer moves for a movement of the mouse, from 1 (slowest) to 20 (fastest).",
        root: "HKCU", key: mouse, value: "MouseSensitivity", type: "sz", min: 1, max: 20, dflt: "10"
    }, {
        id: "pointer-precision", category: "input", kind: "toggle", takesEffect: "signout",
        title: "Enhance pointer precision",
        description: "Moves the pointer further when the mouse moves fast and less when it moves slowly. Gamers often turn it off.",
        root: "HKCU", key: mouse, value: "MouseSpeed", type: "sz", on: "1", off: "0", dflt: "1"
    }, {
        id: "swap-buttons", category: "input", kind: "toggle", takesEffect: "signout",
        title: "Switch the primary and secondary buttons",
        description: "Makes the right button select and the left one open menus, for a mouse in the left hand.",
        root: "HKCU", key: mouse, value: "SwapMouseButtons", type: "sz", on: "1", off: "0", dflt: "0"
    }, {
        id: "hover-activates", category: "input", kind: "toggle", takesEffect: "signout",
        title: "Activate a window by hovering over it",
        description: "Brings a window forward when the mouse pointer rests on it, without a click.",
        root: "HKCU", key: mouse, value: "ActiveWindowTracking", type: "dword", on: 1, off: 0, dflt: 0
    }, {
        id: "wheel-chars", category: "input", kind: "range", takesEffect: "signout",
        title: "Characters to scroll per sideways wheel tilt",
        description: "How far one tilt of the mouse wheel to the side scrolls a document.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "WheelScrollChars", type: "sz", min: 1, max: 100, dflt: "3"
    }, {
        id: "scroll-inactive", category: "input", kind: "toggle", takesEffect: "signout",
        title: "Scroll inactive windows when hovering over them",
        description: "Lets the mouse wheel scroll the window under the pointer, also when another window is active.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "MouseWheelRouting", type: "dword", on: 2, off: 0, dflt: 2
    }, {
        id: "click-lock-time", category: "input", kind: "range", takesEffect: "signout",
        title: "ClickLock time (ms)",
        description: "With ClickLock on, how long the button must be held before it stays down by itself.",
        root: "HKCU", key: "Control Panel\\Desktop", value: "ClickLockTime", type: "dword", min: 200, max: 2200, dflt: 1200
    }, {
        id: "language-hotkey", category: "input", kind: "choice", takesEffect: "signout",
        title: "Keys that switch the input language",
        description: "The keyboard shortcut that moves to the next input language.",
        root: "HKCU", key: "Keyboard Layout\\Toggle", value: "Language Hotkey", type: "sz", dflt: "1",
        choices: [
            { value: "1", label: "Left Alt + Shift" },
            { value: "2", label: "Ctrl + Shift" },
            { value: "4", label: "Grave accent (`)" },
            { value: "3", label: "None" }
        ]
    });
}(TweakDefinitions));
